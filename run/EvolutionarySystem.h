// Advances a population generation by generation: makes the first generation,
// evaluates it with the problem, breeds the next one (through its generation
// pipeline, which owns the threads). Also runs whole runs and batches of runs,
// telling its observers of each run and each generation finished; the batch
// logs (per-generation log lines and statistics collectors) and the CSV
// tables are among them.
#pragma once

#include <chrono>
#include <memory>
#include <vector>

#include "engine/GenerationObserver.h"
#include "engine/GenerationRecord.h"
#include "engine/Scoring.h"

class BatchLog;
class GenerationsTable;
class RunsTable;
class GenerationPipeline;
class Individual;
class Population;
class Problem;
class Producer;
class TimeEstimator;

class EvolutionarySystem {
 public:
  // Whether the system writes the batch logs (see BatchLog) and the CSV
  // tables the log setting names (see CsvTables) of the generations it
  // finishes.
  enum class Logging { Batch, None };

  // Takes the problem and a new, empty population from producer (not owned).
  explicit EvolutionarySystem(Producer* producer, Logging logging = Logging::Batch);
  EvolutionarySystem(const EvolutionarySystem&) = delete;
  EvolutionarySystem& operator=(const EvolutionarySystem&) = delete;
  // Releases the population with any members Finish has not destroyed, and
  // the best-so-far individual.
  virtual ~EvolutionarySystem();

  // Batch entry: seeds the random generator with "seed", then runs
  // "iteration_num" runs.
  virtual void Execute();
  // One complete run: generations 0 .. max_generation, each reported to the
  // observers (LogGeneration), stopping early when the problem is solved or
  // a stop is requested; then Finish.
  virtual void Run();
  // n runs. Between runs: the time estimate to "timer" and a fresh collector
  // per statistic; after a batch of two or more, the producer's statistics.
  // A run ended by a stop request ends the batch there; the statistics then
  // summarise the generations finished (none are written when none was).
  // With run_seeding 1 each run first reseeds the generator (see
  // run/RunSeeding.h).
  virtual void RunIterations(int n);
  // Run index (0-based) of a batch on its own, as RunIterations runs it:
  // the problem's solved mark cleared, the generator reseeded where
  // run_seeding is 1, the observers told of run index + 1. A process that
  // runs some of a batch's runs (see shell/mpi) makes them with this.
  void RunIteration(int index);
  // Fills the population with its first generation.
  virtual void Initialize();
  // Gives every member its fitness, then sorts. With more than one thread
  // (the producer's GetThreadCount) the members are evaluated in parallel,
  // with exactly the results, lines and reports of the loop in index order.
  // When the problem allows it, a program identical to one of the latest
  // generations' gets the fitness (and lines) that one got, unevaluated.
  virtual void Evaluate();
  // Replaces the population by the next generation. The replaced one is
  // destroyed once the new one is evaluated in full. With more than one
  // thread the new members are evaluated as they are added, each program
  // copied from its parents by the thread that evaluates it; on one thread
  // the programs are copied as Evaluate reaches them.
  virtual void Evolve();
  // Destroys the members of the population (the population stays), and any
  // replaced generation not destroyed yet.
  virtual void Finish();
  // For a program that ends the process as soon as the batch is done: the
  // batch's last run (or one a stop request ends) then leaves its members
  // for the destructor rather than destroying them at once, which for a large
  // population takes a while and serves nothing.
  void SetLeaveLastRun(bool value) { leaveLastRun = value; }
  // Reports generation g, just evaluated, to the observers as one record,
  // after updating the best-so-far individual.
  virtual void LogGeneration(int g);
  // Writes the best-so-far individual to "log" and "save", then discards it.
  virtual void SaveBest();

  // Where the batch stands just after a generation finished (reported to
  // every observer), as a checkpoint keeps it.
  struct Position {
    int run = 0;  // 1 for the first
    int generation = -1;
    int solvedGeneration = -1;
    // Since the run began, and since the batch began.
    double runSeconds = 0.0;
    double batchSeconds = 0.0;
    // Of the generation's scoring (see GenerationRecord).
    long long evaluations = 0;
    long long remembered = 0;
  };
  Position GetPosition() const;
  // Continues a batch from a checkpoint taken at at: the random generator,
  // the population (that generation, scored), the best-so-far individual,
  // the problem's solved flag and the statistics collectors are already
  // restored. Goes on exactly as the batch would have after that
  // generation: the rest of its run, then the later runs.
  void Resume(const Position& at);
  // Takes individual (owned from here on) as the best so far.
  void RestoreBest(Individual* individual);

  // Observers (not owned) are told of every run and generation, after the
  // batch logs, in the order they were added.
  void AddObserver(GenerationObserver* observer);
  void RemoveObserver(GenerationObserver* observer);

  // Asks the run to end at its next safe point, between two individuals
  // (while breeding or evaluating) or between generations. Safe from any
  // thread and from a signal handler. It holds for every later run: Run then
  // returns at once.
  void RequestStop();
  bool IsStopRequested() const;
  // Whether the latest run was ended by a stop request, and the last
  // generation it finished (-1 when none).
  bool WasStopped() const { return stopped; }
  int GetLastFinishedGeneration() const { return lastFinished; }
  // The record of the latest generation finished; its population and
  // individuals are valid only while that generation is the population.
  const GenerationRecord& GetLastRecord() const { return record; }

  Population* GetPopulation() { return population.get(); }
  Problem* GetProblem() { return problem; }
  Producer* GetProducer() { return producer; }
  // The batch's CSV tables; null without batch logging.
  GenerationsTable* GetGenerationsTable() { return generationsTable.get(); }
  RunsTable* GetRunsTable() { return runsTable.get(); }
  // The best-so-far individual, or null.
  Individual* GetBest() { return best; }
  // The number of threads Evaluate uses when the problem can be copied.
  int GetThreadCount() const;
  // Between generations (from an observer's GenerationFinished): the
  // generations from the next on are scored with count threads. The logs
  // are the same whatever the count.
  void SetThreadCount(int count);
  // See GenerationPipeline::WatchNextScored.
  void WatchNextScored(Scoring::Watch watch);

 private:
  void ReleaseBest();
  void UpdateBest();
  void StartRun();
  // The generations of a run from the one after logged (-1: from the
  // first), then the end of the run.
  void Continue(int logged);
  // Runs first .. n - 1 (counted from 0) of a batch of n; with resumed,
  // run first continues after the generation its Position names.
  void Iterate(int n, int first, int resumed, TimeEstimator& estimator);
  // After the loop: a generation left unfinished by a stop gives way to the
  // one it was bred from; then the observers hear of the end.
  void EndRun();

  Producer* producer;
  Problem* problem;
  std::unique_ptr<Population> population;
  Individual* best = nullptr;
  std::unique_ptr<GenerationPipeline> pipeline;
  std::unique_ptr<BatchLog> batchLog;
  std::unique_ptr<GenerationsTable> generationsTable;
  std::unique_ptr<RunsTable> runsTable;
  std::vector<GenerationObserver*> observers;

  // The run under way (or the latest one).
  int run = 0;
  std::chrono::steady_clock::time_point runStart;
  std::chrono::steady_clock::time_point batchStart;
  // Whether the population is a generation scored in full.
  bool finished = false;
  bool stopped = false;
  // See SetLeaveLastRun; left is set when a run was left so.
  bool leaveLastRun = false;
  bool left = false;
  int lastFinished = -1;
  int solvedGeneration = -1;
  GenerationRecord record;
};
