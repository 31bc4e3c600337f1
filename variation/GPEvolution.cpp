#include "variation/GPEvolution.h"

#include <memory>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "engine/IndividualFactory.h"
#include "engine/Population.h"
#include "foundation/Exception.h"
#include "programs/HeadLispCode.h"
#include "programs/LispCode.h"
#include "variation/GPCrossover.h"
#include "variation/GPGenerator.h"
#include "variation/GPMutation.h"
#include "variation/GenerationSplit.h"

// A full population reports before it takes the individual: where reports
// are thrown (the window), the individual goes with the report.
void GPEvolution::AddProgram(Population* population, LispCode* code) {
  std::unique_ptr<Individual> individual(producer->CreateIndividual(new GPChromosome(code)));
  population->Add(individual.get());
  individual.release();
}

void GPEvolution::AddOffspring(Population* population, ProgramRecipe recipe, Individual* base) {
  if (deferring) {
    std::unique_ptr<Individual> individual(producer->CreateIndividual(new GPChromosome(recipe)));
    population->Add(individual.get(), base->GetChromosome()->GetMaker());
    individual.release();
  } else {
    AddProgram(population, recipe.Build());
  }
}

HeadLispCode* GPEvolution::TreeOf(Individual* individual) {
  LispCode* code = CodeOf(individual);
  auto* tree = dynamic_cast<HeadLispCode*>(code);
  if (tree == nullptr || tree->GetRoot() == nullptr) {
    GetException()->CastError("LispCode", "HeadLispCode", ClassNameOf(*this), "Evolve");
  }
  return tree;
}

LispCode* GPEvolution::CodeOf(Individual* individual) {
  auto* chromosome = dynamic_cast<GPChromosome*>(individual->GetChromosome());
  if (chromosome == nullptr) {
    GetException()->CastError("Chromosome", "GPChromosome", ClassNameOf(*this), "Evolve");
  }
  return chromosome->GetCode();
}

void GPGenerationEvolution::Evolve(Population*, Population* to, int n) { Apply(to, n); }

void GPGenerationEvolution::Apply(Population* population, int n) {
  for (int i = 0; i < n; ++i) AddProgram(population, generator->Generate());
}

void GPEliteEvolution::Evolve(Population* from, Population* to, int n) {
  IndividualArray best(n);
  selection.SelectMany(from, &best, n);
  for (int i = 0; i < best.Size(); ++i) AddOffspring(to, ProgramRecipe::Copy(TreeOf(best.Get(i))->GetRoot()), best.Get(i));
}

void GPEliteEvolution::Apply(Population* population, int n) { Evolve(population, population, n); }

void GPCrossoverEvolution::Evolve(Population* from, Population* to, int n) {
  int i = 0;
  while (i < n) {
    Individual* a = selection->Select(from);
    Individual* b = selection->Select(from);
    CrossoverRecipes children = crossover->Plan(TreeOf(a), TreeOf(b));
    AddOffspring(to, children.first, a);
    ++i;
    // The second child of a last odd pair is never made.
    if (i == n) break;
    AddOffspring(to, children.second, b);
    ++i;
  }
}

void GPCrossoverEvolution::Apply(Population* population, int n) {
  for (int pair = 0; pair < (n + 1) / 2; ++pair) {
    LispCode* a = CodeOf(selection->Select(population));
    LispCode* b = CodeOf(selection->Select(population));
    crossover->Cross(a, b);
  }
}

void GPMutationEvolution::Evolve(Population* from, Population* to, int n) {
  for (int i = 0; i < n; ++i) {
    Individual* parent = selection->Select(from);
    AddOffspring(to, mutation->Plan(TreeOf(parent)), parent);
  }
}

void GPMutationEvolution::Apply(Population* population, int n) {
  for (int i = 0; i < n; ++i) mutation->Mutate(CodeOf(selection->Select(population)));
}

void GPReproductionEvolution::Evolve(Population* from, Population* to, int n) {
  for (int i = 0; i < n; ++i) {
    Individual* parent = selection->Select(from);
    AddOffspring(to, ProgramRecipe::Copy(TreeOf(parent)->GetRoot()), parent);
  }
}

void GPReproductionEvolution::Apply(Population* population, int n) { Evolve(population, population, n); }

GPWithMutationEvolution::GPWithMutationEvolution(GPCrossoverEvolution* crossover, GPMutationEvolution* mutation,
                                                 GPReproductionEvolution* reproduction, IndividualFactory* producer,
                                                 int eliteSize, double crossoverRatio, double mutationRatio)
    : GPEvolution(producer),
      elite(std::make_unique<GPEliteEvolution>(producer)),
      crossover(crossover),
      mutation(mutation),
      reproduction(reproduction),
      eliteSize(eliteSize),
      crossoverRatio(crossoverRatio),
      mutationRatio(mutationRatio) {}

void GPWithMutationEvolution::DeferCopies(bool defer) {
  GPEvolution::DeferCopies(defer);
  elite->DeferCopies(defer);
  crossover->DeferCopies(defer);
  mutation->DeferCopies(defer);
  reproduction->DeferCopies(defer);
}

void GPWithMutationEvolution::Evolve(Population* from, Population* to, int n) {
  GenerationSplit split = GenerationSplit::Of(n, eliteSize, crossoverRatio, mutationRatio);
  elite->Evolve(from, to, split.elite);
  crossover->Evolve(from, to, split.crossover);
  mutation->Evolve(from, to, split.mutation);
  reproduction->Evolve(from, to, split.rest);
}

void GPWithMutationEvolution::Apply(Population*, int) {}
