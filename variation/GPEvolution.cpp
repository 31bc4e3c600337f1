#include "variation/GPEvolution.h"

#include <memory>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "engine/IndividualFactory.h"
#include "engine/Population.h"
#include "foundation/CastFast.h"
#include "foundation/Exception.h"
#include "foundation/Utility.h"
#include "programs/FlatLispCode.h"
#include "programs/LispCode.h"
#include "variation/GPGenerator.h"
#include "variation/GPMutation.h"
#include "variation/GPSharedBreeding.h"

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

ProgramRecipe GPEvolution::CopyOf(Individual* individual) { return ProgramRecipe::Copy(FlatOf(individual)->GetRoot()); }

CrossoverRecipes GPEvolution::Crossed(GPCrossover* crossover, Individual* a, Individual* b) {
  FlatLispCode* first = FlatOf(a);
  return crossover->Plan(first, FlatOf(b));
}

ProgramRecipe GPEvolution::Mutated(GPMutation* mutation, Individual* parent) { return mutation->Plan(FlatOf(parent)); }

void GPEvolution::CrossInPlace(GPCrossover* crossover, Individual* a, Individual* b) {
  LispCode* first = TreeCodeOf(a);
  crossover->Cross(first, TreeCodeOf(b));
}

void GPEvolution::MutateInPlace(GPMutation* mutation, Individual* individual) {
  mutation->Mutate(TreeCodeOf(individual));
}

FlatLispCode* GPEvolution::FlatOf(Individual* individual) {
  GPChromosome* chromosome = ChromosomeOf(individual);
  chromosome->Flatten();
  auto* flat = CastFast<FlatLispCode>(chromosome->GetCode());
  if (flat == nullptr || flat->GetRoot() == nullptr) {
    GetException()->CastError("LispCode", "HeadLispCode", ClassNameOf(*this), "Evolve");
  }
  return flat;
}

LispCode* GPEvolution::TreeCodeOf(Individual* individual) {
  GPChromosome* chromosome = ChromosomeOf(individual);
  chromosome->Unflatten();
  return chromosome->GetCode();
}

GPChromosome* GPEvolution::ChromosomeOf(Individual* individual) {
  auto* chromosome = CastFast<GPChromosome>(individual->GetChromosome());
  if (chromosome == nullptr) {
    GetException()->CastError("Chromosome", "GPChromosome", ClassNameOf(*this), "Evolve");
  }
  return chromosome;
}

void GPGenerationEvolution::Evolve(Population*, Population* to, int n) { Apply(to, n); }

void GPGenerationEvolution::Apply(Population* population, int n) {
  // Members are held flat from the start: they take less room, and the
  // next generation is bred from that form.
  for (int i = 0; i < n && !StopRequested(); ++i) AddProgram(population, generator->GenerateFlat());
}

std::unique_ptr<SharedBreeding> GPWithMutationEvolution::ShareBreeding(Population* from, int n) {
  return GPSharedBreeding::Plan(this, producer, from, n, *GetUtility());
}
