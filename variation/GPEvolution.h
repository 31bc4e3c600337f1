// The GP generation schemes: building blocks that fill a new population from
// the current one (random generation, elite copies, crossover, mutation,
// reproduction) and the composite used for every generation after the first.
#pragma once

#include <memory>

#include "engine/Evolution.h"
#include "engine/Selection.h"
#include "programs/ProgramRecipe.h"

class GPCrossover;
class GPGenerator;
class GPMutation;
class IndividualFactory;
class HeadLispCode;
class Individual;
class LispCode;

class GPEvolution : public Evolution {
 public:
  explicit GPEvolution(IndividualFactory* producer) : producer(producer) {}
  // Wraps code in a new GP chromosome, has the producer make an individual of
  // it and adds that to population.
  virtual void AddProgram(Population* population, LispCode* code);
  // While on, Evolve adds its offspring as recipes, built when their
  // programs are first asked for (see GPChromosome); the parents must then
  // stay unchanged until every offspring is built.
  void DeferCopies(bool defer) override { deferring = defer; }

 protected:
  // Adds the offspring the recipe describes: built now, or later while
  // copies are deferred (preferably by the thread that made base, the
  // parent whose program the recipe copies).
  void AddOffspring(Population* population, ProgramRecipe recipe, Individual* base);
  // The individual's program as a tree; any other program ends the process
  // with a cast report.
  HeadLispCode* TreeOf(Individual* individual);
  // The individual's program (not a copy); an individual without a GP
  // chromosome ends the process with a cast report.
  LispCode* CodeOf(Individual* individual);

  IndividualFactory* producer;
  bool deferring = false;
};

// n random programs from the generator.
class GPGenerationEvolution : public GPEvolution {
 public:
  GPGenerationEvolution(GPGenerator* generator, IndividualFactory* producer)
      : GPEvolution(producer), generator(generator) {}
  void Evolve(Population* from, Population* to, int n) override;
  void Apply(Population* population, int n) override;

 private:
  GPGenerator* generator;
};

// Copies of the n best programs, best first.
class GPEliteEvolution : public GPEvolution {
 public:
  explicit GPEliteEvolution(IndividualFactory* producer) : GPEvolution(producer) {}
  void Evolve(Population* from, Population* to, int n) override;
  void Apply(Population* population, int n) override;

 private:
  EliteSelection selection;
};

// Pairs of tournament winners' copies, crossed; both children kept, except
// the second child of the last pair when n is odd.
class GPCrossoverEvolution : public GPEvolution {
 public:
  GPCrossoverEvolution(GPCrossover* crossover, Selection* selection, IndividualFactory* producer)
      : GPEvolution(producer), crossover(crossover), selection(selection) {}
  void Evolve(Population* from, Population* to, int n) override;
  // Crosses selected programs in place, in ceil(n / 2) pairs.
  void Apply(Population* population, int n) override;

 private:
  GPCrossover* crossover;
  Selection* selection;
};

// Mutated copies of tournament winners.
class GPMutationEvolution : public GPEvolution {
 public:
  GPMutationEvolution(GPMutation* mutation, Selection* selection, IndividualFactory* producer)
      : GPEvolution(producer), mutation(mutation), selection(selection) {}
  void Evolve(Population* from, Population* to, int n) override;
  // Mutates selected programs in place.
  void Apply(Population* population, int n) override;

 private:
  GPMutation* mutation;
  Selection* selection;
};

// Unchanged copies of tournament winners.
class GPReproductionEvolution : public GPEvolution {
 public:
  GPReproductionEvolution(Selection* selection, IndividualFactory* producer)
      : GPEvolution(producer), selection(selection) {}
  void Evolve(Population* from, Population* to, int n) override;
  void Apply(Population* population, int n) override;

 private:
  Selection* selection;
};

// The next generation: elite copies, then floor(r * crossover ratio)
// crossover offspring, floor(r * mutation ratio) mutants and reproductions for
// the rest, where r is n minus the elite size.
class GPWithMutationEvolution : public GPEvolution {
 public:
  GPWithMutationEvolution(GPCrossoverEvolution* crossover, GPMutationEvolution* mutation,
                          GPReproductionEvolution* reproduction, IndividualFactory* producer, int eliteSize,
                          double crossoverRatio, double mutationRatio);
  void Evolve(Population* from, Population* to, int n) override;
  void Apply(Population* population, int n) override;
  void DeferCopies(bool defer) override;
  // Each part adds its individuals finished: copies, crossed pairs and
  // mutants (or their recipes) are complete before they are added.
  bool AddsFinishedIndividuals() override { return true; }

 private:
  std::unique_ptr<GPEliteEvolution> elite;
  GPCrossoverEvolution* crossover;
  GPMutationEvolution* mutation;
  GPReproductionEvolution* reproduction;
  int eliteSize;
  double crossoverRatio;
  double mutationRatio;
};
