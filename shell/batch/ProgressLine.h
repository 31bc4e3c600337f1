// The batch program's progress line on standard error (while it is a
// terminal): the run, the generation, the best fitness so far and the elapsed
// and remaining time, redrawn at most ten times a second and once more where
// each run ends. Nothing goes to any log stream.
#pragma once

#include <chrono>

#include "engine/GenerationObserver.h"

class Individual;

class ProgressLine : public GenerationObserver {
 public:
  // runs and generations: iteration_num and max_generation. A report or
  // warning made while the line is open starts on a line of its own.
  ProgressLine(int runs, int generations);
  // Ends the open line.
  ~ProgressLine() override;

  void GenerationFinished(const GenerationRecord& record) override;
  // The line shows where the run ended, also when it ended early (solved).
  void RunEnded(const RunEnd& end) override;
  void RunResumed(const GenerationRecord& record) override;

 private:
  void Show(int run, int g, Individual* best, bool force);

  int runs;
  int generations;
  int lastGeneration = 0;
  std::chrono::steady_clock::time_point start;
  std::chrono::steady_clock::time_point lastShown;
  bool shownAny = false;
};
