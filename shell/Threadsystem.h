// The run thread of the window: steps the evolutionary system generation by
// generation and has the window's thread show each generation (chart points,
// the best program, the animation of the best robot's episode) while it waits.
// A report of the engine ends the run, and is kept for the window.
#pragma once

#include <QThread>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class DoublePointArray;
class Producer;
class RobotEvolutionarySystem;
class RobotProblem;
class TForm1;

class ThreadSystem : public QThread {
  Q_OBJECT

 public:
  // Seeds the random generator from the clock and builds the evolutionary
  // system from producer. The thread starts on the first Resume. A report
  // while building is thrown (see EngineReport) with nothing left behind.
  ThreadSystem(bool createSuspended, Producer* producer, TForm1* form);
  // Destroys the individuals of the last population and the system.
  ~ThreadSystem() override;

  // Suspend and resume are cooperative: the run thread stops at the next safe
  // point (between the steps of the loop and between animation steps).
  void Resume();
  void Suspend();
  // Asks the run to end; it ends after the next evolution step, or at once
  // during an animation.
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
  // Once the thread has ended: has the picture show the last generation's
  // best, drawn at once, if the run did not wait for it. Nothing after a
  // report or a terminate request.
  void DrawLatest();
  RobotEvolutionarySystem* GetSystem() { return system.get(); }

 protected:
  // The run loop.
  void run() override;

 private:
  // The generations until the run ends.
  void RunLoop();
  // Runs on the window's thread while the run thread waits.
  void DisplayUpdate();
  // Draws what is left of the animation at once.
  void DrawRest();
  void DrawRoom();
  void AnimationStep();
  void FinishAnimation();
  void WaitWhileSuspended();
  void WaitForAnimation();
  int PixelX(double x) const;
  int PixelY(double y) const;

  std::unique_ptr<RobotEvolutionarySystem> system;
  Producer* producer;
  TForm1* form;
  int generation = 0;
  RobotProblem* robotProblem = nullptr;

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
  std::unique_ptr<DoublePointArray> robotPath;
  std::unique_ptr<DoublePointArray> boxPath;
  int step = 0;
  double roomWidth = 1.0;
  double roomHeight = 1.0;
  double halfSize = 0.0;
};
