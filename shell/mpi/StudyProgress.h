// The study's progress line on standard error, while it is a terminal: runs
// done of runs in all, elapsed and remaining time. Nothing goes to any log.
#pragma once

#include <chrono>

class StudyProgress {
 public:
  explicit StudyProgress(int runsTotal);
  ~StudyProgress() { End(); }
  void Show(int runsDone);
  // Ends the open line, so that a report starts on a line of its own.
  void Interrupt();
  void End() { Interrupt(); }

 private:
  bool shown = false;
  bool terminal;
  int runsTotal;
  std::chrono::steady_clock::time_point start;
};
