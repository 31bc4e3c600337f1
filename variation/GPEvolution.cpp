#include "variation/GPEvolution.h"

#include "config/GPProducer.h"
#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "engine/Population.h"
#include "programs/LispCode.h"
#include "variation/GPCrossover.h"
#include "variation/GenerationSplit.h"
#include "variation/GPGenerator.h"
#include "variation/GPMutation.h"

void GPEvolution::AddProgram(Population* population, LispCode* code) {
  population->Add(producer->CreateIndividual(new GPChromosome(code)));
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
  for (int i = 0; i < best.Size(); ++i) AddProgram(to, CodeOf(best.Get(i))->Clone());
}

void GPEliteEvolution::Apply(Population* population, int n) { Evolve(population, population, n); }

void GPCrossoverEvolution::Evolve(Population* from, Population* to, int n) {
  int i = 0;
  while (i < n) {
    LispCode* a = CodeOf(selection->Select(from))->Clone();
    LispCode* b = CodeOf(selection->Select(from))->Clone();
    crossover->Cross(a, b);
    AddProgram(to, a);
    ++i;
    if (i == n) {
      b->DeleteTree();
      delete b;
      break;
    }
    AddProgram(to, b);
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
    LispCode* c = CodeOf(selection->Select(from))->Clone();
    mutation->Mutate(c);
    AddProgram(to, c);
  }
}

void GPMutationEvolution::Apply(Population* population, int n) {
  for (int i = 0; i < n; ++i) mutation->Mutate(CodeOf(selection->Select(population)));
}

void GPReproductionEvolution::Evolve(Population* from, Population* to, int n) {
  for (int i = 0; i < n; ++i) AddProgram(to, CodeOf(selection->Select(from))->Clone());
}

void GPReproductionEvolution::Apply(Population* population, int n) { Evolve(population, population, n); }

GPWithMutationEvolution::GPWithMutationEvolution(GPCrossoverEvolution* crossover, GPMutationEvolution* mutation,
                                                 GPReproductionEvolution* reproduction, GPProducer* producer,
                                                 int eliteSize, double crossoverRatio, double mutationRatio)
    : GPEvolution(producer),
      elite(std::make_unique<GPEliteEvolution>(producer)),
      crossover(crossover),
      mutation(mutation),
      reproduction(reproduction),
      eliteSize(eliteSize),
      crossoverRatio(crossoverRatio),
      mutationRatio(mutationRatio) {}

void GPWithMutationEvolution::Evolve(Population* from, Population* to, int n) {
  GenerationSplit split = GenerationSplit::Of(n, eliteSize, crossoverRatio, mutationRatio);
  elite->Evolve(from, to, split.elite);
  crossover->Evolve(from, to, split.crossover);
  mutation->Evolve(from, to, split.mutation);
  reproduction->Evolve(from, to, split.rest);
}

void GPWithMutationEvolution::Apply(Population*, int) {}
