// Advances a population generation by generation: makes the first generation,
// evaluates it with the problem, breeds the next one. Also runs whole runs and
// batches of runs with per-generation logs and summary statistics.
#pragma once

#include <memory>

class BackgroundDeleter;
class FitnessMemory;
class Individual;
class ParallelEvaluator;
class Population;
class Problem;
class Producer;

class EvolutionarySystem {
 public:
  // Takes the problem and a new, empty population from producer (not owned).
  explicit EvolutionarySystem(Producer* producer);
  EvolutionarySystem(const EvolutionarySystem&) = delete;
  EvolutionarySystem& operator=(const EvolutionarySystem&) = delete;
  // Releases the population with any members Finish has not destroyed, and
  // the best-so-far individual.
  virtual ~EvolutionarySystem();

  // Batch entry: seeds the random generator with "seed", then runs
  // "iteration_num" runs.
  virtual void Execute();
  // One complete run: generations 0 .. max_generation with logging, stopping
  // early when the problem is solved; then Finish.
  virtual void Run();
  // n runs. Between runs: the time estimate to "timer" and a fresh collector
  // per statistic; after a batch of two or more, the producer's statistics.
  virtual void RunIterations(int n);
  // Fills the population with its first generation.
  virtual void Initialize();
  // Gives every member its fitness, then sorts. With more than one thread
  // (the producer's GetThreadCount) the members are evaluated in parallel,
  // with exactly the results, lines and reports of the loop in index order.
  // When the problem allows it, a program identical to one of the latest
  // generations' gets the fitness (and lines) that one got, unevaluated.
  virtual void Evaluate();
  // Replaces the population by the next generation. With more than one
  // thread the new members are evaluated as they are added (when the scheme
  // adds them finished), each program copied from its parents by the thread
  // that evaluates it, and the replaced generation is destroyed meanwhile;
  // Evaluate completes that. On one thread the programs are copied as
  // Evaluate reaches them.
  virtual void Evolve();
  // Destroys the members of the population (the population stays), and any
  // replaced generation not destroyed yet.
  virtual void Finish();
  // Logs generation g's best to "log" and the statistics collectors, and
  // updates the best-so-far individual.
  virtual void LogGeneration(int g);
  // Writes the best-so-far individual to "log" and "save", then discards it.
  virtual void SaveBest();

  Population* GetPopulation() { return population.get(); }
  Problem* GetProblem() { return problem; }
  Producer* GetProducer() { return producer; }
  // The best-so-far individual, or null.
  Individual* GetBest() { return best; }
  // The number of threads Evaluate uses when the problem can be copied.
  int GetThreadCount() const { return threads; }

 private:
  void ReleaseBest();
  // Evaluate's serial step for one member.
  void EvaluateMember(Individual* member);

  Producer* producer;
  Problem* problem;
  std::unique_ptr<Population> population;
  Individual* best = nullptr;
  int threads;
  // Made on the first parallel evaluation; null while there is none.
  std::unique_ptr<ParallelEvaluator> evaluator;
  // Set when the problem turned out to give no copies.
  bool serialOnly = false;
  // Whether every member of the population is ready to be read by several
  // threads at once (see Chromosome::PrepareForSharing).
  bool prepared = false;
  // With more than one thread: the generation Evolve replaced last, handed to
  // the deleter at the next Evolve.
  std::unique_ptr<BackgroundDeleter> deleter;
  std::unique_ptr<Population> retired;
  // On one thread: the generation before the parents, destroyed member by
  // member as the next generation is evaluated.
  std::unique_ptr<Population> retiring;
  // The fitness of the latest programs, when the problem allows reusing it.
  std::unique_ptr<FitnessMemory> memory;
};
