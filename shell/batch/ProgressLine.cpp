#include "shell/batch/ProgressLine.h"

#include <atomic>
#include <cstdio>
#include <string>

#include "engine/GenerationRecord.h"
#include "engine/Individual.h"
#include "foundation/Exception.h"

namespace {
// Whether the progress line is the open last line of standard error.
std::atomic<bool> progressOpen{false};

void EndProgressLine() {
  if (progressOpen.exchange(false)) std::fputs("\n", stderr);
}

std::string Duration(double seconds) {
  if (!(seconds >= 0.0)) seconds = 0.0;
  long total = static_cast<long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, (total / 60) % 60, total % 60);
  return text;
}
}  // namespace

ProgressLine::ProgressLine(int runs, int generations)
    : runs(runs), generations(generations), start(std::chrono::steady_clock::now()) {
  GetException()->SetLineStarter(&EndProgressLine);
}

ProgressLine::~ProgressLine() {
  EndProgressLine();
  GetException()->SetLineStarter(nullptr);
}

void ProgressLine::GenerationFinished(const GenerationRecord& record) {
  lastGeneration = record.generation;
  Show(record.run, record.generation, record.bestSoFarIndividual, false);
}

void ProgressLine::RunResumed(const GenerationRecord& record) { lastGeneration = record.generation; }

void ProgressLine::RunEnded(const RunEnd& end) { Show(end.run, lastGeneration, end.best, true); }

void ProgressLine::Show(int run, int g, Individual* best, bool force) {
  auto now = std::chrono::steady_clock::now();
  if (!force && shownAny && now - lastShown < std::chrono::milliseconds(100)) return;
  lastShown = now;
  shownAny = true;
  double elapsed = std::chrono::duration<double>(now - start).count();
  double perRun = static_cast<double>(generations) + 1.0;
  double done = static_cast<double>(run - 1) * perRun + static_cast<double>(g) + 1.0;
  double total = static_cast<double>(runs) * perRun;
  double remaining = done > 0.0 ? elapsed * (total - done) / done : 0.0;
  std::string shown = best != nullptr ? best->ToString() : "-";
  std::fprintf(stderr, "\rrun %d of %d, generation %d of %d, best %s, elapsed %s, remaining %s   ", run, runs, g,
               generations, shown.c_str(), Duration(elapsed).c_str(), Duration(remaining).c_str());
  std::fflush(stderr);
  progressOpen = true;
}
