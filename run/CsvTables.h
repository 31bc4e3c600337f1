// The batch's two CSV tables, for plotting and analysis: "generations" (a row
// per generation of every run) and "runs" (a row per run). Each is written
// only when the log setting names its stream, with a header line first, and
// flushed after every row so that other programs can follow a batch as it
// goes.
#pragma once

#include <string>

#include "engine/GenerationObserver.h"

class Producer;

// The best of one run so far, by fitness (lower is better; NaN the worst;
// the earlier member stays on equal fitness).
struct RunBest {
  bool any = false;
  double fitness = 0.0;
  // Offered a generation's best: whether it became the run's best.
  bool Offer(double candidate);
};

// What a table keeps of the run under way between two generations, as a
// checkpoint saves it (the generations table keeps only the first two).
struct TableState {
  bool headerWritten = false;
  RunBest runBest;
  int bestSize = 0;
  int bestDepth = 0;
  std::string bestProgram;
};

class GenerationsTable : public GenerationObserver {
 public:
  static constexpr const char* kStream = "generations";
  static constexpr const char* kHeader =
      "run,generation,best,mean,median,worst,sd,best_so_far,best_size,best_depth,mean_size,mean_depth,"
      "evaluations,"
      "memory_hits,seconds";

  void RunStarted(const RunStart& start) override;
  void GenerationFinished(const GenerationRecord& record) override;
  const TableState& GetState() const { return state; }
  void SetState(const TableState& saved) { state = saved; }

 private:
  // What the table keeps between rows (saved with a checkpoint).
  TableState state;
};

class RunsTable : public GenerationObserver {
 public:
  static constexpr const char* kStream = "runs";
  static constexpr const char* kHeader =
      "run,seed,generations,best_fitness,solved_generation,best_size,best_depth,seconds,best_program";

  explicit RunsTable(Producer* producer) : producer(producer) {}
  void RunStarted(const RunStart& start) override;
  void GenerationFinished(const GenerationRecord& record) override;
  // A run ended by a stop request gets its row too, of the generations it
  // finished; none when it finished none.
  void RunEnded(const RunEnd& end) override;
  const TableState& GetState() const { return state; }
  void SetState(const TableState& saved) { state = saved; }

 private:
  Producer* producer;
  // What the table keeps between rows (saved with a checkpoint).
  TableState state;
};
