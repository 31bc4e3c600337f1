// Takes each generation of a run from breeding to scores: fills the first
// generation, breeds each next one from the current one, makes every
// offspring (carries out the recipe breeding left on its parents) and scores
// it through the fitness memory, and retires each generation once its
// offspring are all scored. With more than one thread, and a problem that
// gives copies and gains from threads, the scoring is shared with worker
// threads (ParallelEvaluator, owned here) that take each member as breeding
// adds it; breeding's random draws stay on the calling thread, in their
// seeded order, and the results, lines and reports are exactly those of
// scoring in index order on one thread.
//
// A stop request ends breeding and scoring between two individuals. The
// generation bred from stays whole (sorted, with its fitnesses) until its
// offspring are all scored, so that after a stop Unwind can give it back.
#pragma once

#include <memory>

#include "engine/Scoring.h"
#include "engine/StopRequest.h"

class Evolution;
class FitnessMemory;
class ParallelEvaluator;
class Population;
class Problem;
class WorkSharing;

class GenerationPipeline {
 public:
  // threads counts the calling thread; the workers start when the first
  // generation is made or scored on several threads.
  GenerationPipeline(Problem* problem, int threads);
  GenerationPipeline(const GenerationPipeline&) = delete;
  GenerationPipeline& operator=(const GenerationPipeline&) = delete;
  // Ends any round, stops the workers, and destroys the generations held
  // here (not a population handed to Score).
  ~GenerationPipeline();

  // A new run: nothing of an earlier run's programs counts.
  void StartRun();
  // A run resumed from a checkpoint after scored, a generation scored in
  // full: the fitness memory knows its programs, as it would have after
  // scoring it (the lines their evaluations wrote are not known again).
  void ResumeRun(Population* scored);
  // initial's Apply on population, for n members. On several threads, the
  // workers score the members as they are added, when initial adds them
  // finished (Score then finishes the round).
  void MakeFirst(Evolution* initial, Population* population, int n);
  // evolution's Evolve from parents into next, for n members. The parents
  // are held here until next is scored in full; until then the members of
  // next may still be recipes on the parents' programs.
  void Breed(Evolution* evolution, std::unique_ptr<Population> parents, Population* next, int n);
  // Makes every member of population and gives it its fitness; once all
  // are, the generation they were bred from is retired. False when a stop
  // request cut the scoring short (perhaps only just): then nothing is
  // retired and, on several threads, no line written.
  bool Score(Population* population);
  // Sorts a scored population best first, on the scoring threads where
  // there are several.
  void Sort(Population* population);
  // The scoring threads, between rounds, for other work on a generation
  // (see WorkSharing); null on one thread.
  WorkSharing* Sharing();
  // After a stop: destroys the members of unfinished, made or not, and
  // gives back the generation it was bred from, whole; when there is none
  // (unfinished was the first), unfinished itself, empty.
  std::unique_ptr<Population> Unwind(std::unique_ptr<Population> unfinished);
  // Ends any round and destroys every generation held here.
  void Finish();

  // From any thread (or a signal handler): see StopRequest. It holds for
  // the life of the pipeline.
  void RequestStop() { stop.Request(); }
  bool IsStopRequested() const { return stop.IsRequested(); }

  // The threads that score a generation (the calling one included) when
  // the problem gives copies.
  int GetThreadCount() const { return threads; }
  // Between two generations (after Score, before the next Breed): scores
  // from the next generation on with count threads (at least one). The
  // results are the same on any number of threads, so a run may change it
  // as cores come free or are wanted elsewhere.
  void SetThreadCount(int count);
  // For the generation bred or made next (until its Score ends, however it
  // ends): watch sees each of its members once it has its fitness. Set it
  // before that generation's MakeFirst or Breed.
  void WatchNextScored(Scoring::Watch watch) { nextWatch = std::move(watch); }
  // Of the last Score: the members whose fitness function ran, and those
  // whose fitness came from the memory.
  long long GetEvaluations() const { return evaluations; }
  long long GetRemembered() const { return remembered; }

 private:
  // Whether this Score is shared with the worker threads (started now when
  // it is the first).
  bool OnThreads(Population* population);
  // Starts the worker threads when there are none; false when the problem
  // can not be scored on several (it gives no copies).
  bool StartWorkers();
  // Scoring on the calling thread, each member made just after an old one
  // is destroyed, so that the copy takes the nodes just freed.
  bool ScoreHere(Population* population, const Scoring::Watch& watch);
  // Breeds next on the scoring threads, each part scored by the thread that
  // bred it, where evolution can share its breeding (see
  // Evolution::ShareBreeding); the next Score of next then only takes the
  // outcome. False, with nothing changed, where it can not.
  bool BreedShared(Evolution* evolution, Population* next, int n);
  // Score but for ending the watch.
  bool ScoreRound(Population* population);
  // The generation no longer needed goes: destroyed by the workers when
  // there are some, each the members it made (at once on this thread when
  // they are to be freed where they were made); else member by member while
  // the next generation is scored.
  void Retire(std::unique_ptr<Population> old);
  // Destroys every member of population, and population.
  static void Destroy(std::unique_ptr<Population>& population);

  Problem* problem;
  int threads;
  StopRequest stop;
  // The fitness of the latest programs, when the problem allows reusing it.
  std::unique_ptr<FitnessMemory> memory;
  // Started on the first Score on several threads; null while there is none.
  std::unique_ptr<ParallelEvaluator> evaluator;
  // Set when the problem turned out to give no copies, or says threads gain
  // it nothing (Problem::GainsFromThreads).
  bool serialOnly = false;
  // Whether every member of the latest generation scored is ready to be
  // read by several threads at once (see Chromosome::PrepareForSharing).
  bool prepared = false;
  // The generation the one being bred or scored comes from.
  std::unique_ptr<Population> parents;
  // Alone: the generation before the parents, destroyed member by member as
  // the next generation is scored.
  std::unique_ptr<Population> retiring;
  // Whether the generations being made are destroyed on this thread rather
  // than by the workers (see Evolution::FreedWhereMade).
  bool freeWhereMade = false;
  long long evaluations = 0;
  long long remembered = 0;
  // The generation scored as it was bred, until its Score, and what that
  // scoring came to.
  Population* bredScored = nullptr;
  bool bredWhole = false;
  long long bredEvaluations = 0;
  long long bredRemembered = 0;
  bool bredPrepared = false;
  // The watch of the generation being bred or scored, null for none.
  Scoring::Watch nextWatch;
};
