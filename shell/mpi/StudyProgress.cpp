#include "shell/mpi/StudyProgress.h"

#include <cstdio>

namespace {
void PrintDuration(double seconds) {
  long total = seconds > 0.0 ? static_cast<long>(seconds + 0.5) : 0;
  std::fprintf(stderr, "%ld:%02ld:%02ld", total / 3600, (total / 60) % 60, total % 60);
}
}  // namespace

StudyProgress::StudyProgress(int runsTotal, bool shown)
    : wanted(shown), runsTotal(runsTotal), start(std::chrono::steady_clock::now()) {}

void StudyProgress::Show(int runsDone) {
  if (!wanted) return;
  double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  double remaining = runsDone > 0 ? elapsed * (runsTotal - runsDone) / runsDone : 0.0;
  std::fprintf(stderr, "\rruns %d of %d done, elapsed ", runsDone, runsTotal);
  PrintDuration(elapsed);
  std::fputs(", remaining ", stderr);
  PrintDuration(remaining);
  std::fputs("   ", stderr);
  std::fflush(stderr);
  shown = true;
}

void StudyProgress::Interrupt() {
  if (!shown) return;
  std::fputs("\n", stderr);
  std::fflush(stderr);
  shown = false;
}
