#include "variation/GAEvolution.h"

#include <algorithm>
#include <memory>

#include "engine/Chromosome.h"
#include "engine/GeneArrays.h"
#include "engine/Individual.h"
#include "engine/IndividualFactory.h"
#include "engine/Population.h"
#include "foundation/CastFast.h"
#include "foundation/Exception.h"
#include "foundation/NumericArrays.h"
#include "foundation/Utility.h"
#include "variation/GACrossover.h"
#include "variation/GAMutation.h"
#include "variation/GASharedBreeding.h"

void GAEvolution::AddGenes(Population* population, IntArray* genes) {
  // A full population reports before it takes the individual: where reports
  // are thrown (the window), the individual goes with the report.
  std::unique_ptr<Individual> individual(producer->CreateIndividual(new GAChromosome(genes)));
  population->Add(individual.get());
  individual.release();
}

namespace {
GAChromosome* StringOf(Individual* individual, const GAEvolution& scheme) {
  auto* chromosome = CastFast<GAChromosome>(individual->GetChromosome());
  if (chromosome == nullptr) {
    GetException()->CastError("Chromosome", "GAChromosome", ClassNameOf(scheme), "Evolve");
  }
  return chromosome;
}
}  // namespace

IntArray* GAEvolution::GenesOf(Individual* individual) { return StringOf(individual, *this)->GetGenes(); }

const IntArray* GAEvolution::ReadGenesOf(Individual* individual) {
  return StringOf(individual, *this)->ReadGenes();
}

IntArray* GAEvolution::CopyGenesOf(Individual* individual) {
  const IntArray* genes = ReadGenesOf(individual);
  IntArray* copy = GeneArrays::Take(genes->Capacity());
  std::copy_n(genes->Data(), genes->Size(), copy->Data());
  copy->SetSize(genes->Size());
  return copy;
}

GAEvolution::Child GAEvolution::CopyOf(Individual* individual) {
  Child child;
  if (deferring) {
    child.recipe.first = ReadGenesOf(individual);
  } else {
    child.genes = CopyGenesOf(individual);
  }
  return child;
}

std::pair<GAEvolution::Child, GAEvolution::Child> GAEvolution::Crossed(GACrossover* crossover, Individual* a,
                                                                       Individual* b) {
  if (deferring) {
    const IntArray* first = ReadGenesOf(a);
    const IntArray* second = ReadGenesOf(b);
    int cut = crossover->PlanCut(first, second);
    if (cut != GACrossover::kNoPlan) {
      std::pair<Child, Child> children;
      children.first.recipe = GAChromosome::Recipe{first, second, cut, {}};
      children.second.recipe = GAChromosome::Recipe{second, first, cut, {}};
      return children;
    }
  }
  std::pair<Child, Child> children;
  children.first.genes = CopyGenesOf(a);
  children.second.genes = CopyGenesOf(b);
  crossover->Cross(children.first.genes, children.second.genes);
  return children;
}

GAEvolution::Child GAEvolution::Mutated(GAMutation* mutation, Individual* parent) {
  Child child;
  if (deferring) {
    const IntArray* genes = ReadGenesOf(parent);
    if (mutation->PlanFlips(genes->Size(), child.recipe.flips)) {
      child.recipe.first = genes;
      return child;
    }
  }
  child.genes = CopyGenesOf(parent);
  mutation->Mutate(child.genes);
  return child;
}

void GAEvolution::Add(Population* population, Child child, Individual*) {
  if (child.genes != nullptr) {
    AddGenes(population, child.genes);
    return;
  }
  // As AddGenes: a full population reports before it takes the individual.
  std::unique_ptr<Individual> individual(producer->CreateIndividual(new GAChromosome(std::move(child.recipe))));
  population->Add(individual.get());
  individual.release();
}

void GAEvolution::CrossInPlace(GACrossover* crossover, Individual* a, Individual* b) {
  crossover->Cross(GenesOf(a), GenesOf(b));
}

void GAEvolution::MutateInPlace(GAMutation* mutation, Individual* individual) { mutation->Mutate(GenesOf(individual)); }

void GAEvolution::Drop(Child& child) {
  GeneArrays::Give(child.genes);
  child = Child();
}

void GAGenerationEvolution::Evolve(Population*, Population* to, int n) { Apply(to, n); }

void GAGenerationEvolution::Apply(Population* population, int n) {
  for (int k = 0; k < n && !StopRequested(); ++k) {
    IntArray* genes = GeneArrays::Take(length);
    for (int i = 0; i < length; ++i) genes->Add(GetUtility()->RandomInt(2));
    AddGenes(population, genes);
  }
}

std::unique_ptr<SharedBreeding> GAWithMutationEvolution::ShareBreeding(Population* from, int n) {
  return GASharedBreeding::Plan(this, producer, from, n);
}
