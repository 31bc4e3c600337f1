#include "shell/batch/BatchSystem.h"

#include "config/Log.h"
#include "run/Producer.h"

BatchSystem::BatchSystem(Producer* producer, bool showProgress)
    : RobotEvolutionarySystem(producer), summary(std::make_unique<BatchSummary>(producer->GetIterationNum())) {
  if (showProgress) {
    progress = std::make_unique<ProgressLine>(producer->GetIterationNum(), producer->GetMaxGeneration());
    AddObserver(progress.get());
  }
  AddObserver(summary.get());
  AddObserver(&writtenCheck);
}

void BatchSystem::WrittenCheck::GenerationFinished(const GenerationRecord&) { GetLog()->CheckWritten(); }
