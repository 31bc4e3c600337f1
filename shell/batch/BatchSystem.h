// The evolutionary system of the batch program: the robot system, plus a
// progress line on standard error while it runs (only when standard error is
// a terminal; nothing is added to any log stream).
#pragma once

#include <memory>

#include "run/RobotEvolutionarySystem.h"
#include "shell/batch/ProgressLine.h"

class BatchSystem : public RobotEvolutionarySystem {
 public:
  BatchSystem(Producer* producer, bool showProgress);

 private:
  std::unique_ptr<ProgressLine> progress;
};
