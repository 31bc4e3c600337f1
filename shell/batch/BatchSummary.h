// What a batch has done so far, for the lines the batch program ends with:
// the runs done and solved, the best fitness and its run, and where the last
// finished generation was (for "Interrupted after run r, generation g").
#pragma once

#include <string>

#include "engine/GenerationObserver.h"
#include "run/CsvTables.h"

class BatchSummary : public GenerationObserver {
 public:
  explicit BatchSummary(int runs) : runs(runs) {}
  void GenerationFinished(const GenerationRecord& record) override;
  void RunEnded(const RunEnd& end) override;
  // Resumed: the runs before the record's are done, and the record's
  // generation is the last finished (whether the earlier runs solved the
  // problem and their best are not known here).
  void RunResumed(const GenerationRecord& record) override;

  // The line an interrupted batch ends with.
  std::string InterruptedLine() const;
  // The block a batch ends with on a terminal: runs done and solved, the
  // best fitness and its run, and the files of the logs and tables.
  std::string TerminalBlock() const;

 private:
  int runs;
  int runsDone = 0;
  int runsSolved = 0;
  RunBest best;
  int bestRun = 0;
  int lastRun = 0;
  int lastGeneration = -1;
};
