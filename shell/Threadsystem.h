// The run thread of the window: runs the evolutionary system's loop and, as
// an observer of it, has the window's thread show each generation (chart
// points, the best program, the picture of the best program's evaluation,
// animated frame by frame) while it waits.
#pragma once

#include <QThread>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/GenerationObserver.h"

class PictureCanvas;
class Producer;
class Recording;
class RobotEvolutionarySystem;
class TForm1;

class ThreadSystem : public QThread, private GenerationObserver {
  Q_OBJECT

 public:
  // Seeds the random generator from the clock and builds the evolutionary
  // system from producer. The thread starts on the first Resume.
  ThreadSystem(bool createSuspended, Producer* producer, TForm1* form);
  // Destroys the individuals of the last population and the system.
  ~ThreadSystem() override;

  // Suspend and resume are cooperative: the run thread stops at the next safe
  // point (before the first generation, before and after each display, and
  // between animation steps).
  void Resume();
  void Suspend();
  // Asks the run to end: it ends at the next safe point of the loop, between
  // two individuals, or at once during an animation.
  void Terminate();
  bool IsTerminateRequested() const { return terminateRequested.load(); }
  bool IsSuspended() const;
  int GetGeneration() const { return generation; }
  RobotEvolutionarySystem* GetSystem() { return system.get(); }

 protected:
  // The run: the system's loop, with this thread as its observer.
  void run() override;

 private:
  void RunStarted(const RunStart& start) override;
  // Shows the generation, between suspension points.
  void GenerationFinished(const GenerationRecord& record) override;

  // Runs on the window's thread while the run thread waits.
  void DisplayUpdate();
  void DrawRoom();
  void AnimationStep();
  void FinishAnimation();
  void WaitWhileSuspended();
  void WaitForAnimation();

  std::unique_ptr<RobotEvolutionarySystem> system;
  Producer* producer;
  TForm1* form;
  int generation = 0;

  bool started = false;
  std::atomic<bool> terminateRequested{false};
  mutable std::mutex mutex;
  std::condition_variable changed;
  bool suspended = false;
  bool animating = false;

  // The animation in progress (window's thread only).
  QTimer animationTimer;
  std::unique_ptr<Recording> recording;
  std::unique_ptr<PictureCanvas> canvas;
  int step = 0;
};
