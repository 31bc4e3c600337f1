// The evolutionary system of the batch program: the robot system, plus a
// progress line on standard error while it runs (only when standard error is
// a terminal; nothing is added to any log stream), a summary of what it has
// done, and a check after every generation that the logs could be written.
#pragma once

#include <memory>

#include "run/RobotEvolutionarySystem.h"
#include "shell/batch/BatchSummary.h"
#include "shell/batch/ProgressLine.h"

class BatchSystem : public RobotEvolutionarySystem {
 public:
  BatchSystem(Producer* producer, bool showProgress);
  const BatchSummary& GetSummary() const { return *summary; }

 private:
  // Flushes every log after each generation and reports a write that failed
  // (a full disk, /dev/full) naming the file, before more work is lost.
  class WrittenCheck : public GenerationObserver {
    void GenerationFinished(const GenerationRecord& record) override;
  };

  std::unique_ptr<ProgressLine> progress;
  std::unique_ptr<BatchSummary> summary;
  WrittenCheck writtenCheck;
};
