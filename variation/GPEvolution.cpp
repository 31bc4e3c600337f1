#include "variation/GPEvolution.h"

#include <memory>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "engine/IndividualFactory.h"
#include "engine/Population.h"
#include "foundation/Exception.h"
#include "programs/HeadLispCode.h"
#include "programs/LispCode.h"
#include "variation/GPGenerator.h"
#include "variation/GPMutation.h"

// A full population reports before it takes the individual: where reports
// are thrown (the window), the individual goes with the report.
void GPEvolution::AddProgram(Population* population, LispCode* code) {
  std::unique_ptr<Individual> individual(producer->CreateIndividual(new GPChromosome(code)));
  population->Add(individual.get());
  individual.release();
}

void GPEvolution::Add(Population* population, ProgramRecipe recipe, Individual* base) {
  if (deferring) {
    std::unique_ptr<Individual> individual(producer->CreateIndividual(new GPChromosome(recipe)));
    population->Add(individual.get(), base->GetChromosome()->GetMaker());
    individual.release();
  } else {
    AddProgram(population, recipe.Build());
  }
}

ProgramRecipe GPEvolution::CopyOf(Individual* individual) { return ProgramRecipe::Copy(TreeOf(individual)->GetRoot()); }

CrossoverRecipes GPEvolution::Crossed(GPCrossover* crossover, Individual* a, Individual* b) {
  return crossover->Plan(TreeOf(a), TreeOf(b));
}

ProgramRecipe GPEvolution::Mutated(GPMutation* mutation, Individual* parent) { return mutation->Plan(TreeOf(parent)); }

void GPEvolution::CrossInPlace(GPCrossover* crossover, Individual* a, Individual* b) {
  crossover->Cross(CodeOf(a), CodeOf(b));
}

void GPEvolution::MutateInPlace(GPMutation* mutation, Individual* individual) { mutation->Mutate(CodeOf(individual)); }

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
  for (int i = 0; i < n && !StopRequested(); ++i) AddProgram(population, generator->Generate());
}
