#include "run/CsvTables.h"

#include <cmath>
#include <cstdint>
#include <ostream>

#include "config/Log.h"
#include "engine/Chromosome.h"
#include "engine/GenerationRecord.h"
#include "engine/Individual.h"
#include "foundation/CsvText.h"
#include "run/Producer.h"
#include "run/RunSeeding.h"

namespace {
// The stream of a table, or null when the log setting does not name it.
MultiStream* TableStream(const char* name) {
  return GetLog()->Exists(name) != 0 ? GetLog()->Get(name) : nullptr;
}

void WriteRow(MultiStream* stream, const std::string& row) {
  *stream << row << "\n";
  stream->Flush();
}

// The header goes out with the first row (the run has begun, and the log
// files may still be being emptied: see EmptyLogFilesLater).
void WriteHeader(MultiStream* stream, const char* header) { *stream << header << "\n"; }

std::string Count(long long value) { return std::to_string(value); }
}  // namespace

bool RunBest::Offer(double candidate) {
  bool better = !any || (!std::isnan(candidate) && (std::isnan(fitness) || candidate < fitness));
  if (better) {
    any = true;
    fitness = candidate;
  }
  return better;
}

void GenerationsTable::RunStarted(const RunStart& start) {
  state.runBest = RunBest();
  MultiStream* stream = TableStream(kStream);
  // The header heads the batch's first run: a process making only a later
  // run of the batch writes none.
  if (stream == nullptr || state.headerWritten || start.run != 1) return;
  state.headerWritten = true;
  WriteHeader(stream, kHeader);
}

void GenerationsTable::GenerationFinished(const GenerationRecord& record) {
  state.runBest.Offer(record.best);
  MultiStream* stream = TableStream(kStream);
  if (stream == nullptr) return;
  std::string row =
      Count(record.run) + "," + Count(record.generation) + "," + CsvNumber(record.best) + "," +
      CsvNumber(record.mean) + "," + CsvNumber(record.median) + "," + CsvNumber(record.worst) + "," +
      CsvNumber(record.deviation) + "," + CsvNumber(state.runBest.fitness) + "," + Count(record.bestSize) +
      "," + Count(record.bestDepth) + "," + CsvNumber(record.meanSize) + "," + CsvNumber(record.meanDepth) +
      "," + Count(record.evaluations) + "," + Count(record.remembered) + "," + CsvNumber(record.seconds);
  WriteRow(stream, row);
}

void RunsTable::RunStarted(const RunStart& start) {
  state.runBest = RunBest();
  state.bestSize = 0;
  state.bestDepth = 0;
  state.bestProgram.clear();
  MultiStream* stream = TableStream(kStream);
  // The header heads the batch's first run: a process making only a later
  // run of the batch writes none.
  if (stream == nullptr || state.headerWritten || start.run != 1) return;
  state.headerWritten = true;
  WriteHeader(stream, kHeader);
}

void RunsTable::GenerationFinished(const GenerationRecord& record) {
  if (TableStream(kStream) == nullptr) return;
  if (!state.runBest.Offer(record.best)) return;
  state.bestSize = record.bestSize;
  state.bestDepth = record.bestDepth;
  state.bestProgram = record.generationBest->GetChromosome()->ToString();
}

void RunsTable::RunEnded(const RunEnd& end) {
  MultiStream* stream = TableStream(kStream);
  // A stop that came before the run finished a generation leaves no run.
  if (stream == nullptr || (end.stopped && end.lastGeneration < 0)) return;
  bool any = end.last != nullptr;
  std::int64_t seed = SeedOfRun(producer->GetSeed(), end.run - 1, producer->GetRunSeeding());
  std::string row = Count(end.run) + "," + Count(seed) + "," + Count(end.lastGeneration + 1) + "," +
                    (any ? CsvNumber(state.runBest.fitness) : "") + "," +
                    (end.solvedGeneration >= 0 ? Count(end.solvedGeneration) : "") + "," +
                    (any ? Count(state.bestSize) : "") + "," + (any ? Count(state.bestDepth) : "") + "," +
                    (any ? CsvNumber(end.last->seconds) : "") + "," + CsvField(state.bestProgram);
  WriteRow(stream, row);
}
