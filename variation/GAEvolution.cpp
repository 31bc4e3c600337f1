#include "variation/GAEvolution.h"

#include <algorithm>
#include <memory>

#include "engine/Chromosome.h"
#include "engine/GeneArrays.h"
#include "engine/Individual.h"
#include "engine/IndividualFactory.h"
#include "engine/Population.h"
#include "foundation/Exception.h"
#include "foundation/NumericArrays.h"
#include "foundation/Utility.h"
#include "variation/GACrossover.h"
#include "variation/GAMutation.h"

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
  IntArray* copy = GeneArrays::Take(genes->Capacity());
  std::copy_n(genes->Data(), genes->Size(), copy->Data());
  copy->SetSize(genes->Size());
  return copy;
}

std::pair<IntArray*, IntArray*> GAEvolution::Crossed(GACrossover* crossover, Individual* a, Individual* b) {
  IntArray* first = CopyGenesOf(a);
  IntArray* second = CopyGenesOf(b);
  crossover->Cross(first, second);
  return {first, second};
}

IntArray* GAEvolution::Mutated(GAMutation* mutation, Individual* parent) {
  IntArray* genes = CopyGenesOf(parent);
  mutation->Mutate(genes);
  return genes;
}

void GAEvolution::CrossInPlace(GACrossover* crossover, Individual* a, Individual* b) {
  crossover->Cross(GenesOf(a), GenesOf(b));
}

void GAEvolution::MutateInPlace(GAMutation* mutation, Individual* individual) { mutation->Mutate(GenesOf(individual)); }

void GAEvolution::Drop(IntArray*& genes) {
  GeneArrays::Give(genes);
  genes = nullptr;
}

void GAGenerationEvolution::Evolve(Population*, Population* to, int n) { Apply(to, n); }

void GAGenerationEvolution::Apply(Population* population, int n) {
  for (int k = 0; k < n && !StopRequested(); ++k) {
    IntArray* genes = GeneArrays::Take(length);
    for (int i = 0; i < length; ++i) genes->Add(GetUtility()->RandomInt(2));
    AddGenes(population, genes);
  }
}
