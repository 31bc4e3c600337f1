// The producer of a bit-string GA run on the MultiVariate problem: random
// strings of the problem's length for the first generation, then elite
// copies, one-point crossover, bit-flip mutation and reproduction of
// tournament winners, split by the same parameters as a GP run.
#pragma once

#include <memory>
#include <string>

#include "engine/IndividualFactory.h"
#include "run/Producer.h"

class Chromosome;
class GAOnePointCrossover;
class GABitFlipMutation;
class GACrossoverEvolution;
class GAGenerationEvolution;
class GAMutationEvolution;
class GAReproductionEvolution;
class GAWithMutationEvolution;
class Individual;
class MultiVariate;
class TournamentSelection;

class GAProducer : public Producer, public IndividualFactory {
 public:
  // Reads the input files as every producer does; a problem other than
  // MultiVariate ends the process ("Not a bit-string problem").
  explicit GAProducer(const std::string& fileName);
  ~GAProducer() override;

  // Built on first request, in this order: the tournament
  // ("tournament_size"), the one-point crossover, the crossover scheme, the
  // reproduction scheme, the bit-flip mutation (rate 1 / gene count), the
  // mutation scheme and the composite ("elite_size", "crossover_ratio",
  // "mutation_ratio"), which is the result.
  Evolution* GetEvolution() override;
  // Random strings of the problem's gene count, built on first request.
  Evolution* GetInitialEvolution() override;
  IndividualSorter* GetSorter() override;
  IndividualComparator* GetComparator() override;

  // A new DoubleTypeFitnessIndividual holding chromosome.
  Individual* CreateIndividual(Chromosome* chromosome) override;

  MultiVariate* GetMultiVariate();
  // The chromosome length: variables times bits per variable.
  int GetGeneCount();

 private:
  std::unique_ptr<IndividualComparator> comparator;
  std::unique_ptr<IndividualSorter> sorter;
  std::unique_ptr<GAGenerationEvolution> generationEvolution;
  std::unique_ptr<TournamentSelection> selection;
  std::unique_ptr<GAOnePointCrossover> crossover;
  std::unique_ptr<GACrossoverEvolution> crossoverEvolution;
  std::unique_ptr<GAReproductionEvolution> reproductionEvolution;
  std::unique_ptr<GAWithMutationEvolution> evolution;
  std::unique_ptr<GABitFlipMutation> mutation;
  std::unique_ptr<GAMutationEvolution> mutationEvolution;
};

// Whether problem is the bit-string problem, which only a GAProducer runs.
bool IsGAProblem(Problem* problem);
// Whether the problem file named by the file list at fileName starts with the
// word "MultiVariate". Reads only the file list and that first word and
// reports nothing: a file that cannot be read gives false, and the producer
// then built reports the fault.
bool IsGAProblemFile(const std::string& fileName);
