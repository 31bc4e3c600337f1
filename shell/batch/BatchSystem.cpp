#include "shell/batch/BatchSystem.h"

#include "run/Producer.h"

BatchSystem::BatchSystem(Producer* producer, bool showProgress) : RobotEvolutionarySystem(producer) {
  if (!showProgress) return;
  progress = std::make_unique<ProgressLine>(producer->GetIterationNum(), producer->GetMaxGeneration());
  AddObserver(progress.get());
}
