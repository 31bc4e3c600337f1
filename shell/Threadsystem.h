// The run thread of the window: runs the evolutionary system's loop and, as
// an observer of it, has the window's thread show each generation (chart
// points, the best program, the picture of the best program's evaluation,
// animated frame by frame) while it waits. A report of the engine ends the
// run, and is kept for the window.
#pragma once

#include <QThread>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
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
  // system from producer. The thread starts on the first Resume. A report
  // while building is thrown (see EngineReport) with nothing left behind.
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
  // Whether each generation waits for its animation before the next is bred
  // (the default). Without waiting, the picture animates the latest
  // generation shown whenever it is free.
  void SetWaitForPicture(bool wait);
  // The report that ended the run, or empty; read once the thread has ended.
  const std::string& GetReport() const { return report; }
  // On the window's thread: draws what is left of the animation at once and,
  // if the run did not wait for its pictures, the last generation's best
  // (the run thread has this done before the run's end). Nothing after a
  // report or a terminate request.
  void DrawLatest();
  RobotEvolutionarySystem* GetSystem() { return system.get(); }

 protected:
  // The run: the system's loop, with this thread as its observer.
  void run() override;

 private:
  void RunStarted(const RunStart& start) override;
  // Shows the generation, between suspension points.
  void GenerationFinished(const GenerationRecord& record) override;
  // A run that did not wait for its pictures ends with its last one drawn.
  void RunEnded(const RunEnd& end) override;

  // Runs work on the window's thread while this one waits; a report made
  // there is thrown here.
  void OnWindowThread(const std::function<void()>& work);
  // Runs on the window's thread while the run thread waits.
  void DisplayUpdate();
  // Draws what is left of the animation at once.
  void DrawRest();
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
  std::atomic<bool> waitForPicture{true};
  // Window's thread: a generation shown whose best the picture skipped.
  bool latestUndrawn = false;
  std::string report;
  std::string displayReport;

  // The animation in progress (window's thread only).
  QTimer animationTimer;
  std::unique_ptr<Recording> recording;
  std::unique_ptr<PictureCanvas> canvas;
  int step = 0;
};
