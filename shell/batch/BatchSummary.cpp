#include "shell/batch/BatchSummary.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "config/Log.h"
#include "engine/GenerationRecord.h"

namespace {
// The files of the streams named, in order, separated by spaces.
std::string FilesOf(std::initializer_list<const char*> streams) {
  std::vector<std::string> files;
  std::string list;
  for (const char* stream : streams) {
    for (const std::string& file : GetLog()->FilesOf(stream)) {
      if (std::find(files.begin(), files.end(), file) != files.end()) continue;
      files.push_back(file);
      list += (list.empty() ? "" : " ") + file;
    }
  }
  return list;
}
}  // namespace

void BatchSummary::GenerationFinished(const GenerationRecord& record) {
  lastRun = record.run;
  lastGeneration = record.generation;
  if (best.Offer(record.best)) bestRun = record.run;
}

void BatchSummary::RunResumed(const GenerationRecord& record) {
  runsDone = record.run - 1;
  lastRun = record.run;
  lastGeneration = record.generation;
}

void BatchSummary::RunEnded(const RunEnd& end) {
  if (end.lastGeneration < 0) return;
  ++runsDone;
  if (end.solvedGeneration >= 0) ++runsSolved;
}

std::string BatchSummary::InterruptedLine() const {
  if (lastGeneration < 0) return "Interrupted before generation 0 of run 1 finished";
  return "Interrupted after run " + std::to_string(lastRun) + ", generation " + std::to_string(lastGeneration);
}

std::string BatchSummary::TerminalBlock() const {
  std::ostringstream block;
  block << "Runs done: " << runsDone << " of " << runs << ", solved: " << runsSolved << "\n";
  if (best.any) {
    block << "Best fitness: " << best.fitness << " (run " << bestRun << ")\n";
  }
  std::string logs = FilesOf({"log", "save", "orbit", "timer", "online-mean", "online-sd", "offline-mean",
                              "offline-sd", "best"});
  std::string tables = FilesOf({GenerationsTable::kStream, RunsTable::kStream});
  if (!logs.empty()) block << "Logs: " << logs << "\n";
  if (!tables.empty()) block << "Tables: " << tables << "\n";
  return block.str();
}
