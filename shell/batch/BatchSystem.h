// The evolutionary system of the batch program: the robot system, plus a
// progress line on standard error while it runs (only when standard error is
// a terminal; nothing is added to any log stream).
#pragma once

#include <chrono>

#include "run/RobotEvolutionarySystem.h"

class BatchSystem : public RobotEvolutionarySystem {
 public:
  BatchSystem(Producer* producer, bool showProgress);
  ~BatchSystem() override;
  void Run() override;
  void LogGeneration(int g) override;

 private:
  void ShowProgress(int g, bool force);

  bool showProgress;
  int run = 0;
  int lastGeneration = 0;
  int runs;
  int generations;
  std::chrono::steady_clock::time_point start;
  std::chrono::steady_clock::time_point lastShown;
  bool shownAny = false;
};
