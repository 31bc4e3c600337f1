// The producer of a genetic-programming run: besides reading the input files
// it builds every GP object (node set, tree generators, selection, crossover,
// mutation and the generation schemes), each once, on first request.
#pragma once

#include <memory>
#include <string>

#include "engine/IndividualFactory.h"
#include "run/Producer.h"

class Chromosome;
class DoubleTypeFitnessIndividualLessComparator;
class GPCrossoverEvolution;
class GPDepthLimitCrossover;
class GPDepthLimitGenerator;
class GPDepthLimitMutation;
class GPGenerationEvolution;
class GPMutationEvolution;
class GPReproductionEvolution;
class GPSymbolRegister;
class GPWithMutationEvolution;
class HeadLispCodePointer;
class Individual;
class OperatorRegister;
class TournamentSelection;

class GPProducer : public Producer, public IndividualFactory {
 public:
  // The greatest initial_depth or max_depth accepted: deeper trees would
  // risk overflowing the call stack in the recursive tree operations.
  static constexpr int kMaxDepthLimit = 1000;

  explicit GPProducer(const std::string& fileName);
  ~GPProducer() override;

  // The composite scheme of every generation after the first.
  Evolution* GetEvolution() override;
  // Random programs grown to "initial_depth".
  Evolution* GetInitialEvolution() override;
  IndividualSorter* GetSorter() override;
  IndividualComparator* GetComparator() override;

  // A new individual holding chromosome.
  Individual* CreateIndividual(Chromosome* chromosome) override;
  // A new, empty tree-building pointer.
  virtual HeadLispCodePointer* CreateCodePointer();
  // The node set, read from the table file on the first request.
  virtual GPSymbolRegister* GetGPSymbolRegister();

 private:
  int DepthParameter(const std::string& key, const char* method);

  std::unique_ptr<GPSymbolRegister> symbolRegister;
  std::unique_ptr<DoubleTypeFitnessIndividualLessComparator> comparator;
  std::unique_ptr<IndividualSorter> sorter;
  std::unique_ptr<OperatorRegister> operatorRegister;
  std::unique_ptr<GPDepthLimitGenerator> generator;
  std::unique_ptr<GPGenerationEvolution> generationEvolution;
  std::unique_ptr<TournamentSelection> selection;
  std::unique_ptr<GPDepthLimitCrossover> crossover;
  std::unique_ptr<GPCrossoverEvolution> crossoverEvolution;
  std::unique_ptr<GPReproductionEvolution> reproductionEvolution;
  std::unique_ptr<GPWithMutationEvolution> evolution;
  std::unique_ptr<GPDepthLimitMutation> mutation;
  std::unique_ptr<GPMutationEvolution> mutationEvolution;
};
