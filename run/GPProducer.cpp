#include "run/GPProducer.h"

#include <fstream>

#include "config/InputWarnings.h"
#include "engine/Individual.h"
#include "engine/IndividualComparator.h"
#include "engine/Selection.h"
#include "programs/GPSymbolRegister.h"
#include "programs/HeadLispCodePointer.h"
#include "programs/OperatorRegister.h"
#include "variation/GPCrossover.h"
#include "variation/GPEvolution.h"
#include "variation/GPGenerator.h"
#include "variation/GPMutation.h"

GPProducer::GPProducer(const std::string& fileName) : Producer(fileName) {}

GPProducer::~GPProducer() {
  // Schemes first, then what they point to; the node set before the
  // operators it holds.
  evolution.reset();
  mutationEvolution.reset();
  reproductionEvolution.reset();
  crossoverEvolution.reset();
  generationEvolution.reset();
  mutation.reset();
  crossover.reset();
  selection.reset();
  generator.reset();
  symbolRegister.reset();
  operatorRegister.reset();
  sorter.reset();
  comparator.reset();
}

IndividualComparator* GPProducer::GetComparator() {
  if (!comparator) comparator = std::make_unique<DoubleTypeFitnessIndividualLessComparator>();
  return comparator.get();
}

IndividualSorter* GPProducer::GetSorter() {
  if (!sorter) sorter = std::make_unique<IndividualSorter>(GetComparator());
  return sorter.get();
}

GPSymbolRegister* GPProducer::GetGPSymbolRegister() {
  if (!symbolRegister) {
    operatorRegister = std::make_unique<OperatorRegister>(100);
    const std::string path = GetFileName("table");
    std::ifstream in;
    if (!OpenInputFile(in, path)) {
      WarnCanNotOpen("Node-set table", path, ClassNameOf(*this), "GetGPSymbolRegister");
      GetException()->FatalError("Can not open file", ClassNameOf(*this), "GetGPSymbolRegister");
    }
    symbolRegister = std::make_unique<GPSymbolRegister>(operatorRegister.get(), in);
  }
  return symbolRegister.get();
}

int GPProducer::DepthParameter(const std::string& key, const char* method) {
  int value = GetIntParameter(key);
  if (value > kMaxDepthLimit) {
    GetException()->FatalError(key + " is " + std::to_string(value) + ", more than the greatest depth " +
                                   std::to_string(kMaxDepthLimit),
                               ClassNameOf(*this), method);
  }
  return value;
}

Evolution* GPProducer::GetInitialEvolution() {
  if (!generationEvolution) {
    // The table is read before the depth is looked up, so that of two faults
    // the table's is the one reported.
    GPSymbolRegister* symbols = GetGPSymbolRegister();
    int depth = DepthParameter("initial_depth", "GetInitialEvolution");
    generator = std::make_unique<GPDepthLimitGenerator>(symbols, depth);
    generationEvolution = std::make_unique<GPGenerationEvolution>(generator.get(), this);
  }
  return generationEvolution.get();
}

Evolution* GPProducer::GetEvolution() {
  if (!evolution) {
    selection = std::make_unique<TournamentSelection>(GetTournamentSize());
    crossover = std::make_unique<GPDepthLimitCrossover>(DepthParameter("max_depth", "GetEvolution"));
    crossoverEvolution = std::make_unique<GPCrossoverEvolution>(crossover.get(), selection.get(), this);
    reproductionEvolution = std::make_unique<GPReproductionEvolution>(selection.get(), this);
    // Parameters are looked up one by one, in this order, so that the first
    // missing key is always the same one.
    int mutationDepth = DepthParameter("max_depth", "GetEvolution");
    GPSymbolRegister* symbols = GetGPSymbolRegister();
    int growDepth = DepthParameter("initial_depth", "GetEvolution");
    mutation = std::make_unique<GPDepthLimitMutation>(mutationDepth, new GPDepthLimitGenerator(symbols, growDepth));
    mutationEvolution = std::make_unique<GPMutationEvolution>(mutation.get(), selection.get(), this);
    int eliteSize = GetIntParameter("elite_size");
    double crossoverRatio = GetDoubleParameter("crossover_ratio");
    double mutationRatio = GetDoubleParameter("mutation_ratio");
    evolution = std::make_unique<GPWithMutationEvolution>(crossoverEvolution.get(), mutationEvolution.get(),
                                                          reproductionEvolution.get(), this, eliteSize,
                                                          crossoverRatio, mutationRatio);
  }
  return evolution.get();
}

Individual* GPProducer::CreateIndividual(Chromosome* chromosome) {
  return new DoubleTypeFitnessIndividual(chromosome);
}

HeadLispCodePointer* GPProducer::CreateCodePointer() { return new HeadLispCodePointer(); }
