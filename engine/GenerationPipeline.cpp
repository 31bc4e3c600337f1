#include "engine/GenerationPipeline.h"

#include <algorithm>
#include <string>
#include <utility>

#include "engine/Chromosome.h"
#include "engine/Evolution.h"
#include "engine/FitnessMemory.h"
#include "engine/Individual.h"
#include "engine/ParallelEvaluator.h"
#include "engine/Population.h"
#include "engine/Problem.h"
#include "engine/Scoring.h"
#include "foundation/Exception.h"
#include "foundation/Utility.h"

GenerationPipeline::GenerationPipeline(Problem* problem, int threads) : problem(problem), threads(threads) {
  if (problem->CanReuseFitness()) memory = std::make_unique<FitnessMemory>();
}

GenerationPipeline::~GenerationPipeline() {
  evaluator.reset();
  Destroy(retiring);
  Destroy(parents);
}

void GenerationPipeline::Destroy(std::unique_ptr<Population>& population) {
  if (!population) return;
  population->DeleteAll();
  population.reset();
}

void GenerationPipeline::StartRun() {
  if (memory) memory->Clear();
}

void GenerationPipeline::ResumeRun(Population* scored) {
  if (!memory) return;
  memory->Clear();
  FitnessMemory::Key key;
  for (int i = 0; i < scored->Size(); ++i) {
    Individual* member = scored->GetUnsorted(i);
    // Only plain fitness individuals have keys.
    if (!FitnessMemory::KeyOf(member, key)) continue;
    memory->Remember(key, static_cast<DoubleTypeFitnessIndividual*>(member)->GetFitness(), std::string());
  }
  // Members with the same program were remembered more than once: no race
  // between threads.
  memory->TakeRaced();
  memory->NextGeneration();
}

void GenerationPipeline::MakeFirst(Evolution* initial, Population* population, int n) {
  freeWhereMade = initial->FreedWhereMade();
  // The workers start while this thread makes the first generation (their
  // first steps, their stacks and first large pages, are done meanwhile),
  // and score its members as they are added, as in a generation bred.
  bool shared = threads > 1 && !serialOnly && n > 1 && !problem->IsRecording() && StartWorkers();
  if (shared && initial->AddsFinishedIndividuals()) {
    evaluator->SetWatch(nextWatch ? &nextWatch : nullptr);
    evaluator->EvaluateAsAdded(population);
  }
  initial->WatchStop(&stop);
  try {
    initial->Apply(population, n);
  } catch (...) {
    // Where reports are thrown (the window), no worker stays on the
    // population left unfinished.
    initial->WatchStop(nullptr);
    if (evaluator) evaluator->Abandon();
    throw;
  }
  initial->WatchStop(nullptr);
}

void GenerationPipeline::Breed(Evolution* evolution, std::unique_ptr<Population> from, Population* next, int n) {
  // Normally gone already (retired when its offspring were scored).
  if (parents) Retire(std::move(parents));
  freeWhereMade = evolution->FreedWhereMade();
  parents = std::move(from);
  // The workers score the new members as they are added, while this thread
  // breeds the rest; Score finishes the round. This thread only makes the
  // random draws: each new program is copied from its parents by the thread
  // that scores it, which then reads a tree it has just written. The parents
  // are read by all threads at once, so whatever they compute lazily is
  // computed first. On one thread the programs are copied as they are
  // scored, for the same reason: each is read while it is still in cache.
  bool deferred = !problem->IsRecording() && evolution->AddsFinishedIndividuals();
  if (evaluator) evaluator->SetWatch(nextWatch ? &nextWatch : nullptr);
  bredScored = nullptr;
  if (deferred && BreedShared(evolution, next, n)) return;
  if (deferred && evaluator) {
    if (!prepared) {
      for (int i = 0; i < parents->Size(); ++i) parents->GetUnsorted(i)->GetChromosome()->PrepareForSharing();
    }
    evaluator->EvaluateAsAdded(next);
  }
  evolution->DeferCopies(deferred);
  evolution->WatchStop(&stop);
  try {
    evolution->Evolve(parents.get(), next, n);
  } catch (...) {
    // Where reports are thrown rather than ending the process (the window),
    // a report from breeding leaves no worker on the unfinished generation
    // and none of its members behind; the parents stay held here.
    evolution->WatchStop(nullptr);
    evolution->DeferCopies(false);
    if (evaluator) evaluator->Abandon();
    next->DeleteAll();
    throw;
  }
  evolution->WatchStop(nullptr);
  evolution->DeferCopies(false);
}

bool GenerationPipeline::BreedShared(Evolution* evolution, Population* next, int n) {
  if (threads <= 1 || serialOnly || n <= 1 || next->Size() != 0 || next->Capacity() < n || !StartWorkers()) {
    return false;
  }
  std::unique_ptr<SharedBreeding> parts = evolution->ShareBreeding(parents.get(), n);
  if (!parts) return false;
  if (!prepared) {
    // A member may change form here (a tree made flat): what was noted of
    // it follows.
    bool noted = parents->GetScoredFacts() != nullptr;
    for (int i = 0; i < parents->Size(); ++i) {
      Individual* member = parents->GetUnsorted(i);
      member->GetChromosome()->PrepareForSharing();
      if (noted) parents->NoteScored(i, member);
    }
  }
  evaluator->SetWatch(nextWatch ? &nextWatch : nullptr);
  // Every thread draws from its own copy of the generator, which afterwards
  // stands where breeding in order would have left it.
  ParallelEvaluator::Bred bred = evaluator->BreedAndEvaluate(next, parts.get(), GetUtility());
  if (bred == ParallelEvaluator::Bred::NotShared) return false;
  bredScored = next;
  bredWhole = bred == ParallelEvaluator::Bred::Scored;
  bredEvaluations = evaluator->GetEvaluations();
  bredRemembered = evaluator->GetRemembered();
  bredPrepared = evaluator->PreparedAll();
  return true;
}

bool GenerationPipeline::OnThreads(Population* population) {
  if (threads <= 1 || serialOnly || population->Size() <= 1 || problem->IsRecording()) return false;
  return StartWorkers();
}

bool GenerationPipeline::StartWorkers() {
  if (evaluator) return true;
  if (!problem->GainsFromThreads()) {
    serialOnly = true;
    return false;
  }
  evaluator = ParallelEvaluator::Create(problem, threads);
  if (!evaluator) {
    serialOnly = true;
    return false;
  }
  evaluator->SetMemory(memory.get());
  evaluator->SetStop(&stop);
  return true;
}

bool GenerationPipeline::Score(Population* population) {
  bool whole = ScoreRound(population);
  // The watch was for this generation only. A round that a stop during
  // breeding cut short may still have workers scoring (and calling it):
  // they finish first.
  if (evaluator) {
    evaluator->Abandon();
    evaluator->SetWatch(nullptr);
  }
  nextWatch = nullptr;
  return whole;
}

void GenerationPipeline::Sort(Population* population) { population->Sort(Sharing()); }

WorkSharing* GenerationPipeline::Sharing() {
  // The workers are between rounds (destroying the retired generation): they
  // take their part first.
  return evaluator ? evaluator.get() : nullptr;
}

bool GenerationPipeline::ScoreRound(Population* population) {
  evaluations = 0;
  remembered = 0;
  Population* bred = std::exchange(bredScored, nullptr);
  if (stop.IsRequested()) return false;
  bool whole = false;
  bool noted = true;
  if (bred == population) {
    whole = bredWhole;
    evaluations = bredEvaluations;
    remembered = bredRemembered;
    prepared = noted = bredPrepared;
  } else if (OnThreads(population)) {
    evaluator->SetWatch(nextWatch ? &nextWatch : nullptr);
    whole = evaluator->Evaluate(population);
    evaluations = evaluator->GetEvaluations();
    remembered = evaluator->GetRemembered();
    prepared = noted = evaluator->PreparedAll();
  } else {
    whole = ScoreHere(population, nextWatch);
    prepared = false;
  }
  if (!whole) return false;
  // Every member was noted as it was scored (on several threads, where none
  // failed: those are prepared too).
  if (noted) population->TrustScoredFacts();
  if (memory) memory->NextGeneration(Sharing());
  // Every program of the population is made: the generation it was made
  // from goes now (while this thread sorts and logs, on several threads).
  if (parents) Retire(std::move(parents));
  return true;
}

bool GenerationPipeline::ScoreHere(Population* population, const Scoring::Watch& watch) {
  // No worker may still be scoring members begun early.
  if (evaluator) evaluator->Abandon();
  std::string text;
  for (int i = 0; i < population->Size(); ++i) {
    if (stop.IsRequested()) return false;
    // An old member goes before each member is made: the copy takes the
    // nodes just freed.
    if (retiring && i < retiring->Size()) retiring->GetUnsorted(i)->DeleteChromosome();
    Individual* member = population->GetUnsorted(i);
    member->GetChromosome()->Make();
    Scoring::Outcome outcome = Scoring::Score(problem, memory.get(), member, Scoring::Lines::AsTheyCome, text);
    if (outcome == Scoring::Outcome::Remembered) {
      ++remembered;
    } else {
      ++evaluations;
    }
    if (outcome == Scoring::Outcome::Failed) {
      // Again, for real: the report is made as it would be without memory.
      problem->FitnessFunction(member);
    } else if (!text.empty()) {
      GetException()->Diagnostic(text);
    }
    population->NoteScored(i, member);
    if (watch) watch(i, member);
  }
  Destroy(retiring);
  return !stop.IsRequested();
}

void GenerationPipeline::Retire(std::unique_ptr<Population> old) {
  if (evaluator && freeWhereMade) {
    // Made on this thread: destroyed here, at once.
    Destroy(old);
    return;
  }
  if (evaluator) {
    evaluator->Retire(std::move(old));
    return;
  }
  Destroy(retiring);
  retiring = std::move(old);
}

std::unique_ptr<Population> GenerationPipeline::Unwind(std::unique_ptr<Population> unfinished) {
  // No thread reads the unfinished generation any more.
  if (evaluator) evaluator->Abandon();
  unfinished->DeleteAll();
  if (!parents) return unfinished;
  unfinished.reset();
  return std::move(parents);
}

void GenerationPipeline::SetThreadCount(int count) {
  count = std::max(count, 1);
  if (count == threads) return;
  if (evaluator) {
    evaluator->Abandon();
    evaluator->FinishRetiring();
    evaluator.reset();
  }
  // The generation just scored is made in full: what it was bred from can
  // go now rather than while the next is scored.
  Destroy(retiring);
  threads = count;
  prepared = false;
  // The workers are there before the next generation is bred: its members
  // are then copied from the parents by the threads that score them, as in
  // any generation after the first.
  if (threads > 1 && !serialOnly && parents == nullptr) StartWorkers();
}

void GenerationPipeline::Finish() {
  // A round on a population that Score never finished ends unused.
  if (evaluator) {
    evaluator->Abandon();
    evaluator->FinishRetiring();
  }
  Destroy(retiring);
  Destroy(parents);
}
