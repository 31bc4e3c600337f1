#include "run/EvolutionarySystem.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <ostream>

#include "config/Log.h"
#include "engine/Chromosome.h"
#include "engine/Evolution.h"
#include "engine/GenerationPipeline.h"
#include "engine/Individual.h"
#include "engine/IndividualComparator.h"
#include "engine/Population.h"
#include "engine/Problem.h"
#include "foundation/TimeEstimator.h"
#include "foundation/Utility.h"
#include "run/BatchLog.h"
#include "run/CsvTables.h"
#include "run/Producer.h"
#include "run/RunSeeding.h"

EvolutionarySystem::EvolutionarySystem(Producer* producer, Logging logging)
    : producer(producer),
      problem(producer->GetProblem()),
      population(producer->CreatePopulation()),
      pipeline(std::make_unique<GenerationPipeline>(problem, producer->GetThreadCount())),
      runStart(std::chrono::steady_clock::now()),
      batchStart(runStart) {
  if (logging == Logging::Batch) {
    batchLog = std::make_unique<BatchLog>(producer);
    observers.push_back(batchLog.get());
    generationsTable = std::make_unique<GenerationsTable>();
    observers.push_back(generationsTable.get());
    runsTable = std::make_unique<RunsTable>(producer);
    observers.push_back(runsTable.get());
  }
}

EvolutionarySystem::~EvolutionarySystem() {
  if (left) pipeline->Finish();
  // First the threads, which may still be reading the population.
  pipeline.reset();
  if (population) population->DeleteAll();
  ReleaseBest();
}

void EvolutionarySystem::ReleaseBest() {
  if (best == nullptr) return;
  best->DeleteChromosome();
  delete best;
  best = nullptr;
}

void EvolutionarySystem::AddObserver(GenerationObserver* observer) { observers.push_back(observer); }

void EvolutionarySystem::RemoveObserver(GenerationObserver* observer) {
  observers.erase(std::remove(observers.begin(), observers.end(), observer), observers.end());
}

void EvolutionarySystem::RequestStop() { pipeline->RequestStop(); }

bool EvolutionarySystem::IsStopRequested() const { return pipeline->IsStopRequested(); }

int EvolutionarySystem::GetThreadCount() const { return pipeline->GetThreadCount(); }

void EvolutionarySystem::SetThreadCount(int count) { pipeline->SetThreadCount(count); }

void EvolutionarySystem::WatchNextScored(Scoring::Watch watch) { pipeline->WatchNextScored(std::move(watch)); }

void EvolutionarySystem::Execute() {
  batchStart = std::chrono::steady_clock::now();
  GetUtility()->Seed(static_cast<std::uint32_t>(producer->GetSeed()));
  RunIterations(producer->GetIterationNum());
}

void EvolutionarySystem::Run() {
  StartRun();
  Initialize();
  Continue(-1);
}

void EvolutionarySystem::Continue(int logged) {
  for (int g = logged < 0 ? 0 : logged;; ++g) {
    if (g != logged) {
      Evaluate();
      // Only a stop request (made before or during) leaves it unfinished.
      stopped = !finished;
      if (stopped) break;
      LogGeneration(g);
    }
    if (g == producer->GetMaxGeneration()) break;
    if (problem->IsSolved() == 1) break;
    stopped = IsStopRequested();
    if (stopped) break;
    Evolve();
  }
  EndRun();
  if (leaveLastRun && (stopped || run >= producer->GetIterationNum())) {
    left = true;
    return;
  }
  Finish();
}

void EvolutionarySystem::StartRun() {
  if (left) {
    left = false;
    Finish();
  }
  ++run;
  runStart = std::chrono::steady_clock::now();
  stopped = false;
  lastFinished = -1;
  solvedGeneration = -1;
  RunStart start;
  start.run = run;
  for (GenerationObserver* observer : observers) observer->RunStarted(start);
}

void EvolutionarySystem::EndRun() {
  if (!finished) {
    population = pipeline->Unwind(std::move(population));
    finished = lastFinished >= 0;
  }
  RunEnd end;
  end.run = run;
  end.lastGeneration = lastFinished;
  end.solvedGeneration = solvedGeneration;
  end.stopped = stopped;
  end.best = best;
  end.last = lastFinished >= 0 ? &record : nullptr;
  for (GenerationObserver* observer : observers) observer->RunEnded(end);
}

void EvolutionarySystem::RunIterations(int n) {
  if (n == 1) {
    Run();
    return;
  }
  // A batch of no runs has nothing to run and nothing to summarise.
  if (n < 1) return;
  TimeEstimator estimator(n);
  Iterate(n, 0, -1, estimator);
}

void EvolutionarySystem::Iterate(int n, int first, int resumed, TimeEstimator& estimator) {
  // A resumed batch has finished a generation at least.
  bool anyFinished = resumed >= 0;
  for (int i = first; i < n; ++i) {
    if (i == first && resumed >= 0) {
      Continue(resumed);
    } else {
      RunIteration(i);
    }
    anyFinished = anyFinished || lastFinished >= 0;
    if (stopped) {
      if (anyFinished) producer->WriteStatistics();
      return;
    }
    if (i == n - 1) break;
    producer->GetIndividualLogCollectorsRegister()->NextIteration();
    estimator.Estimate(*GetLog()->Get("timer"));
  }
  producer->WriteStatistics();
}

EvolutionarySystem::Position EvolutionarySystem::GetPosition() const {
  Position at;
  at.run = run;
  at.generation = lastFinished;
  at.solvedGeneration = solvedGeneration;
  at.runSeconds = record.seconds;
  at.batchSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - batchStart).count();
  at.evaluations = record.evaluations;
  at.remembered = record.remembered;
  return at;
}

void EvolutionarySystem::RestoreBest(Individual* individual) {
  ReleaseBest();
  best = individual;
}

void EvolutionarySystem::Resume(const Position& at) {
  auto now = std::chrono::steady_clock::now();
  run = at.run;
  runStart = now - std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                       std::chrono::duration<double>(at.runSeconds));
  batchStart = now - std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                         std::chrono::duration<double>(at.batchSeconds));
  stopped = false;
  finished = true;
  lastFinished = at.generation;
  solvedGeneration = at.solvedGeneration;
  pipeline->ResumeRun(population.get());
  // The record of that generation, as LogGeneration made it.
  record = GenerationRecord();
  record.run = run;
  record.generation = at.generation;
  record.Measure(population.get());
  record.bestSoFarIndividual = best;
  record.bestSoFar = FitnessOf(best);
  record.evaluations = at.evaluations;
  record.remembered = at.remembered;
  record.seconds = at.runSeconds;
  record.solved = problem->IsSolved() == 1;
  for (GenerationObserver* observer : observers) observer->RunResumed(record);
  int n = producer->GetIterationNum();
  if (n == 1) {
    Continue(at.generation);
    return;
  }
  // The estimates go on from the batch's start and the runs before.
  TimeEstimator estimator(n, std::time(nullptr) - static_cast<std::time_t>(at.batchSeconds), at.run - 1);
  Iterate(n, at.run - 1, at.generation, estimator);
}

void EvolutionarySystem::RunIteration(int index) {
  problem->ResetSolved();
  if (producer->GetRunSeeding() == 1) {
    GetUtility()->Seed(GeneratorSeed(SeedOfRun(producer->GetSeed(), index, 1)));
  }
  run = index;
  Run();
}

void EvolutionarySystem::Initialize() {
  finished = false;
  pipeline->StartRun();
  pipeline->MakeFirst(producer->GetInitialEvolution(), population.get(), producer->GetPopulationSize());
}

void EvolutionarySystem::Evaluate() {
  finished = pipeline->Score(population.get());
  if (finished) pipeline->Sort(population.get());
}

void EvolutionarySystem::Evolve() {
  finished = false;
  std::unique_ptr<Population> next(producer->CreatePopulation());
  Evolution* evolution = producer->GetEvolution();
  // The new generation is the population from here on, also when breeding
  // ends in a thrown report (as in the window): it is then empty, and the
  // parents stay with the pipeline until its Finish.
  population.swap(next);
  pipeline->Breed(evolution, std::move(next), population.get(), producer->GetPopulationSize());
}

void EvolutionarySystem::Finish() {
  pipeline->Finish();
  population->DeleteAll();
  finished = false;
}

void EvolutionarySystem::UpdateBest() {
  if (best == nullptr) {
    best = population->Get(0)->Clone();
  } else if (producer->GetComparator()->Compare(population->Get(0), best) == 1) {
    ReleaseBest();
    best = population->Get(0)->Clone();
  }
}

void EvolutionarySystem::LogGeneration(int g) {
  record = GenerationRecord();
  record.run = run;
  record.generation = g;
  record.Measure(population.get(), pipeline->Sharing());
  UpdateBest();
  record.bestSoFarIndividual = best;
  record.bestSoFar = FitnessOf(best);
  record.evaluations = pipeline->GetEvaluations();
  record.remembered = pipeline->GetRemembered();
  record.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - runStart).count();
  record.solved = problem->IsSolved() == 1;
  lastFinished = g;
  if (record.solved && solvedGeneration < 0) solvedGeneration = g;
  for (GenerationObserver* observer : observers) observer->GenerationFinished(record);
}

void EvolutionarySystem::SaveBest() {
  // Nothing has been logged since the last save: there is no best to write.
  if (best == nullptr) return;
  *GetLog()->Get("log") << best->ToString() << " : " << best->GetChromosome()->ToString() << std::endl;
  *GetLog()->Get("save") << best->GetChromosome()->ToSaveString() << "\n"
                         << "-----" << std::endl;
  ReleaseBest();
}
