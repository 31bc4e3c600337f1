#include "run/RobotEvolutionarySystem.h"

#include <memory>

#include "config/Log.h"
#include "engine/Individual.h"
#include "engine/Problem.h"

void RobotEvolutionarySystem::SaveBest() {
  auto* robotProblem = dynamic_cast<RobotProblem*>(GetProblem());
  Individual* best = GetBest();
  if (robotProblem == nullptr || best == nullptr) {
    EvolutionarySystem::SaveBest();
    return;
  }
  // The saved individual is released by the plain SaveBest, and the last
  // population is already empty after a run: record a copy of the best.
  std::unique_ptr<Individual> saved(best->Clone());
  EvolutionarySystem::SaveBest();
  robotProblem->StartRecording();
  robotProblem->FitnessFunction(saved.get());
  robotProblem->WriteRecording(GetLog()->Get("orbit"));
  saved->DeleteChromosome();
}
