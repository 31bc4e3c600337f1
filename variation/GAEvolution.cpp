#include "variation/GAEvolution.h"

#include <memory>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "engine/IndividualFactory.h"
#include "engine/Population.h"
#include "foundation/Numeric.h"
#include "foundation/NumericArrays.h"
#include "foundation/Utility.h"
#include "variation/GACrossover.h"
#include "variation/GAMutation.h"
#include "variation/GenerationSplit.h"

void GAEvolution::AddGenes(Population* population, IntArray* genes) {
  // A full population reports before it takes the individual: where reports
  // are thrown (the window), the individual goes with the report.
  std::unique_ptr<Individual> individual(producer->CreateIndividual(new GAChromosome(genes)));
  population->Add(individual.get());
  individual.release();
}

IntArray* GAEvolution::GenesOf(Individual* individual) {
  auto* chromosome = dynamic_cast<GAChromosome*>(individual->GetChromosome());
  if (chromosome == nullptr) {
    GetException()->CastError("Chromosome", "GAChromosome", ClassNameOf(*this), "Evolve");
  }
  return chromosome->GetGenes();
}

IntArray* GAEvolution::CopyGenesOf(Individual* individual) {
  IntArray* genes = GenesOf(individual);
  auto* copy = new IntArray(genes->Capacity());
  for (int i = 0; i < genes->Size(); ++i) copy->Add(genes->Get(i));
  return copy;
}

void GAGenerationEvolution::Evolve(Population*, Population* to, int n) { Apply(to, n); }

void GAGenerationEvolution::Apply(Population* population, int n) {
  for (int k = 0; k < n; ++k) {
    auto* genes = new IntArray(length);
    for (int i = 0; i < length; ++i) genes->Add(GetUtility()->RandomInt(2));
    AddGenes(population, genes);
  }
}

GAEliteEvolution::GAEliteEvolution(IndividualFactory* producer)
    : GAEvolution(producer), selection(std::make_unique<EliteSelection>()) {}

void GAEliteEvolution::Evolve(Population* from, Population* to, int n) {
  IndividualArray best(n);
  selection->SelectMany(from, &best, n);
  for (int i = 0; i < best.Size(); ++i) AddGenes(to, CopyGenesOf(best.Get(i)));
}

void GAEliteEvolution::Apply(Population* population, int n) { Evolve(population, population, n); }

void GACrossoverEvolution::Evolve(Population* from, Population* to, int n) {
  int i = 0;
  while (i < n) {
    IntArray* a = CopyGenesOf(selection->Select(from));
    std::unique_ptr<IntArray> b(CopyGenesOf(selection->Select(from)));
    crossover->Cross(a, b.get());
    AddGenes(to, a);
    ++i;
    if (i == n) break;  // the second child of an odd last pair is dropped
    AddGenes(to, b.release());
    ++i;
  }
}

void GACrossoverEvolution::Apply(Population* population, int n) {
  for (int k = 0; k < n; k += 2) {
    IntArray* a = GenesOf(selection->Select(population));
    IntArray* b = GenesOf(selection->Select(population));
    crossover->Cross(a, b);
  }
}

void GAMutationEvolution::Evolve(Population* from, Population* to, int n) {
  for (int k = 0; k < n; ++k) {
    IntArray* genes = CopyGenesOf(selection->Select(from));
    mutation->Mutate(genes);
    AddGenes(to, genes);
  }
}

void GAMutationEvolution::Apply(Population* population, int n) {
  for (int k = 0; k < n; ++k) mutation->Mutate(GenesOf(selection->Select(population)));
}

void GAReproductionEvolution::Evolve(Population* from, Population* to, int n) {
  for (int k = 0; k < n; ++k) AddGenes(to, CopyGenesOf(selection->Select(from)));
}

void GAReproductionEvolution::Apply(Population* population, int n) { Evolve(population, population, n); }

GAWithMutationEvolution::GAWithMutationEvolution(Evolution* crossover, Evolution* mutation,
                                                 Evolution* reproduction, IndividualFactory* producer, int eliteSize,
                                                 double crossoverRatio, double mutationRatio)
    : GAEvolution(producer),
      elite(std::make_unique<GAEliteEvolution>(producer)),
      crossover(crossover),
      mutation(mutation),
      reproduction(reproduction),
      eliteSize(eliteSize),
      crossoverRatio(crossoverRatio),
      mutationRatio(mutationRatio) {}

int GAWithMutationEvolution::CrossoverCount(int n) const {
  return GenerationSplit::Of(n, eliteSize, crossoverRatio, mutationRatio).crossover;
}

int GAWithMutationEvolution::MutationCount(int n) const {
  return GenerationSplit::Of(n, eliteSize, crossoverRatio, mutationRatio).mutation;
}

void GAWithMutationEvolution::Evolve(Population* from, Population* to, int n) {
  GenerationSplit split = GenerationSplit::Of(n, eliteSize, crossoverRatio, mutationRatio);
  elite->Evolve(from, to, split.elite);
  crossover->Evolve(from, to, split.crossover);
  mutation->Evolve(from, to, split.mutation);
  reproduction->Evolve(from, to, split.rest);
}

void GAWithMutationEvolution::Apply(Population*, int) {}
