// The study's progress line on standard error (where asked for): runs done of
// runs in all, elapsed and remaining time, redrawn as runs are written.
// Nothing goes to any log.
#pragma once

#include <chrono>

class StudyProgress {
 public:
  StudyProgress(int runsTotal, bool shown);
  ~StudyProgress() { End(); }
  void Show(int runsDone);
  // Ends the open line, so that a report starts on a line of its own.
  void Interrupt();
  void End() { Interrupt(); }

 private:
  bool shown = false;
  bool wanted;
  int runsTotal;
  std::chrono::steady_clock::time_point start;
};
