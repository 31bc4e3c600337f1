#include "run/BatchLog.h"

#include <ostream>

#include "config/Log.h"
#include "engine/Chromosome.h"
#include "engine/GenerationRecord.h"
#include "engine/Individual.h"
#include "run/Producer.h"

void BatchLog::GenerationFinished(const GenerationRecord& record) {
  Individual* generationBest = record.generationBest;
  IndividualLogCollectorsRegister* collectors = producer->GetIndividualLogCollectorsRegister();
  generationBest->Accept(collectors->Get("online")->Top());
  *GetLog()->Get("log") << record.generation << " : " << generationBest->ToString() << "\n"
                        << generationBest->GetChromosome()->ToString() << "\n"
                        << std::endl;
  record.bestSoFarIndividual->Accept(collectors->Get("offline")->Top());
}
