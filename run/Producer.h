// The assembler of a run: reads the input files (file list, log setting,
// parameters, problem), keeps the registers and the problem, and makes what the
// evolutionary system asks for. Concrete producers supply the evolutions, the
// sorter and the comparator.
#pragma once

#include <memory>
#include <string>

#include "config/Register.h"
#include "engine/IndividualLogCollector.h"

class Evolution;
class IndividualComparator;
class IndividualSorter;
class Population;
class Problem;
class ProblemRegister;

class Producer {
 public:
  // The greatest population_size, max_generation and iteration_num accepted.
  // Populations are made at their full capacity, and the statistics keep a
  // value for every generation of every run from the start, so larger values
  // would only end in the process running out of memory.
  static constexpr int kMaxPopulationSize = 1000000;
  static constexpr int kMaxGeneration = 1000000;
  static constexpr int kMaxIterationNum = 100000;
  // The greatest tournament_size accepted: each selection draws that many
  // ranks, so a larger one would only keep breeding from ever ending.
  static constexpr int kMaxTournamentSize = 1000000;
  // Most threads a run evaluates with.
  static constexpr int kMaxThreads = 256;

  // Reads every input file named by the file list at fileName; any failure
  // ends the process, as does a population_size below 1, a max_generation or
  // iteration_num below 0, or any of them above its greatest value.
  explicit Producer(const std::string& fileName);
  Producer(const Producer&) = delete;
  Producer& operator=(const Producer&) = delete;
  // Destroys the registers (and the problem with them) and the process-wide
  // log, which closes every log file.
  virtual ~Producer();

  // The evolution that turns one generation into the next.
  virtual Evolution* GetEvolution() = 0;
  // The evolution that fills the first generation.
  virtual Evolution* GetInitialEvolution() = 0;
  virtual IndividualSorter* GetSorter() = 0;
  virtual IndividualComparator* GetComparator() = 0;
  // A new, empty population of room for population_size, owned by the caller.
  virtual Population* CreatePopulation();
  virtual IndividualLogCollectorsRegister* GetIndividualLogCollectorsRegister();
  // Writes the summary of a batch of iteration_num runs to the log streams.
  virtual void WriteStatistics();
  // Reads the file list at fileName, then the log setting, the parameters and
  // the problem that it names.
  virtual void ReadFile(const std::string& fileName);

  // The problem; "Not initialized" ends the process when none was read.
  Problem* GetProblem();
  int GetMaxGeneration() const { return maxGeneration; }
  int GetPopulationSize() const { return populationSize; }
  // Looked up on every call.
  int GetSeed();
  int GetIterationNum();
  // The optional int parameter "run_seeding" (0 when absent): 1 reseeds each
  // run of the batch with seed + its 0-based index (see run/RunSeeding.h).
  int GetRunSeeding();
  // The number of threads that evaluate a generation: the optional int
  // parameter "threads" (1 evaluates on the calling thread alone); without
  // it, or with a value below 1, one per processor core of the machine.
  int GetThreadCount();

  // Parameter lookups for concrete producers; a missing key ends the process
  // with the register's "Can not find " report.
  IntRegister* GetIntRegister() { return intParameters.get(); }
  DoubleRegister* GetDoubleRegister() { return doubleParameters.get(); }
  StringRegister* GetStringRegister() { return files.get(); }
  int GetIntParameter(const std::string& key) { return *intParameters->Get(key); }
  double GetDoubleParameter(const std::string& key) { return *doubleParameters->Get(key); }
  std::string GetFileName(const std::string& key) { return *files->Get(key); }

 protected:
  // As the public constructor, reading the problem file through problems
  // (owned) instead of a plain problem register.
  Producer(const std::string& fileName, ProblemRegister* problems);
  void SetProblem(Problem* value) { problem = value; }
  // The int parameter "tournament_size"; a value above kMaxTournamentSize
  // ends the process with a range report.
  int GetTournamentSize();

 private:
  // The int parameter key, which must lie in lowest .. highest.
  int RangeParameter(const std::string& key, int lowest, int highest);

  std::unique_ptr<IndividualLogCollectorsRegister> collectors;
  std::unique_ptr<IntRegister> intParameters;
  std::unique_ptr<DoubleRegister> doubleParameters;
  std::unique_ptr<StringRegister> files;
  std::unique_ptr<ProblemRegister> problems;
  Problem* problem = nullptr;  // owned by problems
  int maxGeneration = 0;
  int populationSize = 0;
};
