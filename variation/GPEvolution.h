// The GP generation schemes: building blocks that fill a new population from
// the current one (random generation, elite copies, crossover, mutation,
// reproduction) and the composite used for every generation after the first.
#pragma once

#include "engine/Evolution.h"
#include "programs/ProgramRecipe.h"
#include "variation/BreedingSchemes.h"
#include "variation/GPCrossover.h"

class GPGenerator;
class GPMutation;
class IndividualFactory;
class FlatLispCode;
class GPChromosome;
class Individual;
class LispCode;

// The program steps of the shared schemes (see BreedingSchemes.h): an
// offspring is a recipe on its parents' trees, built at once or, while copies
// are deferred, by whoever makes the new individual.
class GPEvolution : public Evolution {
 public:
  explicit GPEvolution(IndividualFactory* producer) : producer(producer) {}
  // Wraps code in a new GP chromosome, has the producer make an individual of
  // it and adds that to population.
  virtual void AddProgram(Population* population, LispCode* code);
  // While on, Evolve adds its offspring as recipes, made later (see
  // GPChromosome::Make); the parents must then stay unchanged until every
  // offspring is made or destroyed.
  void DeferCopies(bool defer) override { deferring = defer; }

 protected:
  using Child = ProgramRecipe;
  Child CopyOf(Individual* individual);
  CrossoverRecipes Crossed(GPCrossover* crossover, Individual* a, Individual* b);
  Child Mutated(GPMutation* mutation, Individual* parent);
  void CrossInPlace(GPCrossover* crossover, Individual* a, Individual* b);
  void MutateInPlace(GPMutation* mutation, Individual* individual);
  // Adds the offspring the recipe describes: built now, or later while
  // copies are deferred (preferably by the thread that made base, the
  // parent whose program the recipe copies).
  void Add(Population* population, Child recipe, Individual* base);
  void Drop(Child& recipe) { recipe.Discard(); }

  // The individual's program in flat form (made so if it is a tree); any
  // other program ends the process with a cast report.
  FlatLispCode* FlatOf(Individual* individual);
  // The individual's program (not a copy) in tree form, as the composers
  // edit it in place.
  LispCode* TreeCodeOf(Individual* individual);
  // The individual's chromosome; an individual without a GP chromosome ends
  // the process with a cast report.
  GPChromosome* ChromosomeOf(Individual* individual);

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
  // Each random program is complete when it is added.
  bool AddsFinishedIndividuals() override { return true; }

 private:
  GPGenerator* generator;
};

// Copies of the n best programs, best first.
class GPEliteEvolution : public EliteScheme<GPEvolution> {
 public:
  using EliteScheme::EliteScheme;
};

// Pairs of tournament winners' copies, crossed; Apply crosses in place.
class GPCrossoverEvolution : public CrossoverScheme<GPEvolution, GPCrossover> {
 public:
  using CrossoverScheme::CrossoverScheme;
};

// Mutated copies of tournament winners; Apply mutates in place.
class GPMutationEvolution : public MutationScheme<GPEvolution, GPMutation> {
 public:
  using MutationScheme::MutationScheme;
};

// Unchanged copies of tournament winners.
class GPReproductionEvolution : public ReproductionScheme<GPEvolution> {
 public:
  using ReproductionScheme::ReproductionScheme;
};

// The next generation: elite copies, crossover offspring, mutants, and
// reproductions for the rest.
class GPWithMutationEvolution : public CompositeScheme<GPEvolution, GPEliteEvolution> {
 public:
  using CompositeScheme::CompositeScheme;
  // Each part adds its individuals finished: copies, crossed pairs and
  // mutants (or their recipes) are complete before they are added.
  bool AddsFinishedIndividuals() override { return true; }
  // Threads can share a generation: see GPSharedBreeding.
  std::unique_ptr<SharedBreeding> ShareBreeding(Population* from, int n) override;
};
