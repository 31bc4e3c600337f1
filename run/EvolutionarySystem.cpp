#include "run/EvolutionarySystem.h"

#include <cstdint>
#include <ostream>

#include "config/Log.h"
#include "engine/BackgroundDeleter.h"
#include "engine/Chromosome.h"
#include "engine/Evolution.h"
#include "engine/FitnessMemory.h"
#include "engine/Individual.h"
#include "engine/IndividualComparator.h"
#include "engine/ParallelEvaluator.h"
#include "engine/Population.h"
#include "engine/Problem.h"
#include "foundation/Exception.h"
#include "foundation/TimeEstimator.h"
#include "foundation/Utility.h"
#include "run/Producer.h"

EvolutionarySystem::EvolutionarySystem(Producer* producer)
    : producer(producer),
      problem(producer->GetProblem()),
      population(producer->CreatePopulation()),
      threads(producer->GetThreadCount()) {
  if (problem->CanReuseFitness()) memory = std::make_unique<FitnessMemory>();
}

EvolutionarySystem::~EvolutionarySystem() {
  evaluator.reset();
  deleter.reset();
  if (population) population->DeleteAll();
  if (retiring) retiring->DeleteAll();
  if (retired) retired->DeleteAll();
  ReleaseBest();
}

void EvolutionarySystem::ReleaseBest() {
  if (best == nullptr) return;
  best->DeleteChromosome();
  delete best;
  best = nullptr;
}

void EvolutionarySystem::Execute() {
  GetUtility()->Seed(static_cast<std::uint32_t>(producer->GetSeed()));
  RunIterations(producer->GetIterationNum());
}

void EvolutionarySystem::Run() {
  Initialize();
  for (int g = 0;; ++g) {
    Evaluate();
    LogGeneration(g);
    if (g == producer->GetMaxGeneration()) break;
    if (problem->IsSolved() == 1) break;
    Evolve();
  }
  Finish();
}

void EvolutionarySystem::RunIterations(int n) {
  if (n == 1) {
    Run();
    return;
  }
  // A batch of no runs has nothing to run and nothing to summarise.
  if (n < 1) return;
  TimeEstimator estimator(n);
  for (int i = 0; i < n; ++i) {
    problem->ResetSolved();
    Run();
    if (i == n - 1) break;
    producer->GetIndividualLogCollectorsRegister()->NextIteration();
    estimator.Estimate(*GetLog()->Get("timer"));
  }
  producer->WriteStatistics();
}

void EvolutionarySystem::Initialize() {
  // A new run: nothing of an earlier run's programs counts.
  if (memory) memory->Clear();
  Evolution* initial = producer->GetInitialEvolution();
  initial->Apply(population.get(), producer->GetPopulationSize());
}

void EvolutionarySystem::Evaluate() {
  bool parallel = threads > 1 && !serialOnly && population->Size() > 1 && !problem->IsRecording();
  if (parallel && !evaluator) {
    evaluator = ParallelEvaluator::Create(problem, threads);
    if (!evaluator) {
      serialOnly = true;
      parallel = false;
    } else {
      evaluator->SetMemory(memory.get());
    }
  }
  if (parallel) {
    evaluator->Evaluate(population.get());
    prepared = evaluator->PreparedAll();
    // Every program of the population is made: the generation it was made
    // from goes now, while this thread sorts and logs.
    if (retired) evaluator->Retire(std::move(retired));
  } else {
    // No worker may still be evaluating members begun early.
    if (evaluator) evaluator->Abandon();
    for (int i = 0; i < population->Size(); ++i) {
      // An old member goes before each member is evaluated (and its program
      // copied): the copy takes the nodes just freed.
      if (retiring && i < retiring->Size()) retiring->GetUnsorted(i)->DeleteChromosome();
      EvaluateMember(population->GetUnsorted(i));
    }
    prepared = false;
  }
  if (retiring) {
    retiring->DeleteAll();
    retiring.reset();
  }
  if (memory) memory->NextGeneration();
  population->Sort();
}

void EvolutionarySystem::EvaluateMember(Individual* member) {
  FitnessMemory::Key key;
  if (!memory || !FitnessMemory::KeyOf(member, key)) {
    problem->FitnessFunction(member);
    return;
  }
  double fitness = 0.0;
  std::string text;
  if (memory->Recall(key, fitness, text) == FitnessMemory::Found::Fitness) {
    if (!text.empty()) GetException()->Diagnostic(text);
    static_cast<DoubleTypeFitnessIndividual*>(member)->SetFitness(fitness);
    return;
  }
  // Evaluated in capture mode to learn the lines it writes; a report is made
  // for real by evaluating once more.
  bool reported = false;
  {
    Exception::CaptureScope capture;
    try {
      problem->FitnessFunction(member);
      text = capture.TakeText();
    } catch (const Exception::CapturedReport&) {
      reported = true;
    }
  }
  if (reported) {
    problem->FitnessFunction(member);
    return;
  }
  if (!text.empty()) GetException()->Diagnostic(text);
  memory->Remember(key, static_cast<DoubleTypeFitnessIndividual*>(member)->GetFitness(), text);
}

void EvolutionarySystem::Evolve() {
  std::unique_ptr<Population> next(producer->CreatePopulation());
  if (threads > 1 && !evaluator && !deleter) deleter = std::make_unique<BackgroundDeleter>();
  // The generation replaced last time goes while this one is bred from the
  // current one: destroyed by the evaluating workers when they have nothing
  // to evaluate, or by a thread of its own.
  if (retired) {
    if (evaluator) {
      evaluator->Retire(std::move(retired));
    } else if (deleter) {
      deleter->Delete(std::move(retired));
    } else {
      retiring = std::move(retired);
    }
  }
  Evolution* evolution = producer->GetEvolution();
  // The workers evaluate the new generation's members as they are added,
  // while this thread breeds the rest; Evaluate finishes the round. This
  // thread only makes the random draws: each new program is copied from its
  // parents by the thread that evaluates it, which then reads a tree it has
  // just written. The parents are read by all threads at once, so whatever
  // they compute lazily is computed first.
  bool pipelined = evaluator && !problem->IsRecording() && evolution->AddsFinishedIndividuals();
  // On one thread the programs are copied as they are evaluated, for the
  // same reason: each is read while it is still in the cache.
  bool deferred = pipelined || (threads <= 1 && !problem->IsRecording() && evolution->AddsFinishedIndividuals());
  if (pipelined) {
    if (!prepared) {
      for (int i = 0; i < population->Size(); ++i) population->GetUnsorted(i)->GetChromosome()->PrepareForSharing();
    }
    evaluator->EvaluateAsAdded(next.get());
  }
  // Where reports are thrown rather than ending the process (the window), a
  // report from breeding leaves no worker on the unfinished generation and
  // none of its members behind.
  struct Unfinished {
    ParallelEvaluator* evaluator;
    Population* next;
    ~Unfinished() {
      if (next == nullptr) return;
      if (evaluator != nullptr) evaluator->Abandon();
      next->DeleteAll();
    }
  } unfinished{pipelined ? evaluator.get() : nullptr, next.get()};
  evolution->DeferCopies(deferred);
  evolution->Evolve(population.get(), next.get(), producer->GetPopulationSize());
  evolution->DeferCopies(false);
  unfinished.next = nullptr;
  if (evaluator || deleter || deferred) {
    retired = std::move(population);
  } else {
    population->DeleteAll();
  }
  population = std::move(next);
}

void EvolutionarySystem::Finish() {
  // A round on this population that Evaluate never finished ends unused.
  if (evaluator) {
    evaluator->Abandon();
    evaluator->FinishRetiring();
  }
  population->DeleteAll();
  for (std::unique_ptr<Population>* old : {&retiring, &retired}) {
    if (!*old) continue;
    (*old)->DeleteAll();
    old->reset();
  }
  if (deleter) deleter->Wait();
}

void EvolutionarySystem::LogGeneration(int g) {
  Individual* generationBest = population->Get(0);
  IndividualLogCollectorsRegister* collectors = producer->GetIndividualLogCollectorsRegister();
  generationBest->Accept(collectors->Get("online")->Top());
  *GetLog()->Get("log") << g << " : " << generationBest->ToString() << "\n"
                        << generationBest->GetChromosome()->ToString() << "\n"
                        << std::endl;
  if (best == nullptr) {
    best = population->Get(0)->Clone();
  } else if (producer->GetComparator()->Compare(population->Get(0), best) == 1) {
    ReleaseBest();
    best = population->Get(0)->Clone();
  }
  best->Accept(collectors->Get("offline")->Top());
}

void EvolutionarySystem::SaveBest() {
  // Nothing has been logged since the last save: there is no best to write.
  if (best == nullptr) return;
  *GetLog()->Get("log") << best->ToString() << " : " << best->GetChromosome()->ToString() << std::endl;
  *GetLog()->Get("save") << best->GetChromosome()->ToSaveString() << "\n"
                         << "-----" << std::endl;
  ReleaseBest();
}
