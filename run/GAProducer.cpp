#include "run/GAProducer.h"

#include <fstream>

#include "config/ParameterFile.h"
#include "engine/Individual.h"
#include "engine/IndividualComparator.h"
#include "problems/MultiVariate.h"
#include "variation/GACrossover.h"
#include "variation/GAEvolution.h"
#include "variation/GAMutation.h"

GAProducer::GAProducer(const std::string& fileName) : Producer(fileName) {
  if (!IsGAProblem(GetProblem())) {
    GetException()->FatalError("Not a bit-string problem", ClassNameOf(*this), "GAProducer");
  }
}

GAProducer::~GAProducer() = default;

MultiVariate* GAProducer::GetMultiVariate() { return dynamic_cast<MultiVariate*>(GetProblem()); }

int GAProducer::GetGeneCount() { return GetMultiVariate()->GetGeneCount(); }

IndividualComparator* GAProducer::GetComparator() {
  if (!comparator) comparator = std::make_unique<DoubleTypeFitnessIndividualLessComparator>();
  return comparator.get();
}

IndividualSorter* GAProducer::GetSorter() {
  if (!sorter) sorter = std::make_unique<IndividualSorter>(GetComparator());
  return sorter.get();
}

Individual* GAProducer::CreateIndividual(Chromosome* chromosome) {
  return new DoubleTypeFitnessIndividual(chromosome);
}

Evolution* GAProducer::GetInitialEvolution() {
  if (!generationEvolution) generationEvolution = std::make_unique<GAGenerationEvolution>(this, GetGeneCount());
  return generationEvolution.get();
}

Evolution* GAProducer::GetEvolution() {
  if (evolution) return evolution.get();
  selection = std::make_unique<TournamentSelection>(GetTournamentSize());
  crossover = std::make_unique<GAOnePointCrossover>();
  crossoverEvolution = std::make_unique<GACrossoverEvolution>(crossover.get(), selection.get(), this);
  reproductionEvolution = std::make_unique<GAReproductionEvolution>(selection.get(), this);
  mutation = std::make_unique<GABitFlipMutation>(1.0 / GetGeneCount());
  mutationEvolution = std::make_unique<GAMutationEvolution>(mutation.get(), selection.get(), this);
  int eliteSize = GetIntParameter("elite_size");
  double crossoverRatio = GetDoubleParameter("crossover_ratio");
  double mutationRatio = GetDoubleParameter("mutation_ratio");
  evolution = std::make_unique<GAWithMutationEvolution>(crossoverEvolution.get(), mutationEvolution.get(),
                                                        reproductionEvolution.get(), this, eliteSize,
                                                        crossoverRatio, mutationRatio);
  return evolution.get();
}

bool IsGAProblem(Problem* problem) { return dynamic_cast<MultiVariate*>(problem) != nullptr; }

bool IsGAProblemFile(const std::string& fileName) {
  std::ifstream list(fileName);
  if (!list.is_open()) return false;
  StringRegister files(20);
  ReadFileList(list, files);
  if (files.Exists("problem") == 0) return false;
  std::ifstream problem(*files.Get("problem"));
  std::string name;
  if (!(problem >> name)) return false;
  return name == "MultiVariate";
}
