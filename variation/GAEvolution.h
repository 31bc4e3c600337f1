// The generation schemes of the bit-string GA: random strings for the first
// generation, elite copies, one-point crossover offspring, bit-flip mutants
// and reproductions of tournament winners, and the composite that splits a
// new generation among them by elite_size, crossover_ratio and
// mutation_ratio.
#pragma once

#include <utility>

#include "engine/Chromosome.h"
#include "engine/Evolution.h"
#include "variation/BreedingSchemes.h"

class GACrossover;
class GAMutation;
class IndividualFactory;
class IntArray;
class Individual;

// The bit-string steps of the shared schemes (see BreedingSchemes.h): an
// offspring is a new gene array, or while copies are deferred the recipe
// for one, made just before it is scored (the string is then written where
// it is read next).
class GAEvolution : public Evolution {
 public:
  // producer (not owned) makes the individuals.
  explicit GAEvolution(IndividualFactory* producer) : producer(producer) {}
  // While copies are deferred, offspring are added as recipes on their
  // parents' strings (see GAChromosome::Recipe), made by the thread that
  // scores them; otherwise as strings copied at once.
  void DeferCopies(bool defer) override { deferring = defer; }
  // Wraps genes (taken over) in a new GAChromosome, has the producer make an
  // individual of it and adds that to population.
  virtual void AddGenes(Population* population, IntArray* genes);

 protected:
  // An offspring: its genes, or (while copies are deferred) its recipe.
  struct Child {
    IntArray* genes = nullptr;
    GAChromosome::Recipe recipe;
  };
  Child CopyOf(Individual* individual);
  // Copies of both strings, crossed.
  std::pair<Child, Child> Crossed(GACrossover* crossover, Individual* a, Individual* b);
  Child Mutated(GAMutation* mutation, Individual* parent);
  void CrossInPlace(GACrossover* crossover, Individual* a, Individual* b);
  void MutateInPlace(GAMutation* mutation, Individual* individual);
  void Add(Population* population, Child child, Individual*);
  void Drop(Child& child);

  // The individual's genes, not a copy. A chromosome that is not a
  // GAChromosome ends the process with a cast report naming this scheme and
  // "Evolve".
  IntArray* GenesOf(Individual* individual);
  // The same, for reading only (what was noted of the genes for breeding
  // in parts stays).
  const IntArray* ReadGenesOf(Individual* individual);
  // A fresh copy of the individual's genes.
  IntArray* CopyGenesOf(Individual* individual);

  IndividualFactory* producer;
  bool deferring = false;
};

// Random strings: each gene drawn with RandomInt(2), first gene first.
class GAGenerationEvolution : public GAEvolution {
 public:
  GAGenerationEvolution(IndividualFactory* producer, int length) : GAEvolution(producer), length(length) {}
  // Adds n random strings to to; from is not read.
  void Evolve(Population* from, Population* to, int n) override;
  // Adds n random strings to population.
  void Apply(Population* population, int n) override;
  // Each random string is complete when it is added.
  bool AddsFinishedIndividuals() override { return true; }
  int GetLength() const { return length; }

 private:
  int length;
};

// Copies of the n best, best first.
class GAEliteEvolution : public EliteScheme<GAEvolution> {
 public:
  using EliteScheme::EliteScheme;
};

// One-point crossover pairs of tournament winners; Apply crosses in place.
class GACrossoverEvolution : public CrossoverScheme<GAEvolution, GACrossover> {
 public:
  using CrossoverScheme::CrossoverScheme;
};

// Bit-flip mutants of tournament winners; Apply mutates in place.
class GAMutationEvolution : public MutationScheme<GAEvolution, GAMutation> {
 public:
  using MutationScheme::MutationScheme;
};

// Unchanged copies of tournament winners.
class GAReproductionEvolution : public ReproductionScheme<GAEvolution> {
 public:
  using ReproductionScheme::ReproductionScheme;
};

// The next generation: elite copies, crossover offspring, mutants, and
// reproductions for the rest.
class GAWithMutationEvolution : public CompositeScheme<GAEvolution, GAEliteEvolution> {
 public:
  using CompositeScheme::CompositeScheme;
  // Every offspring is final once added (its recipe, while copies are
  // deferred, reads only the parents).
  bool AddsFinishedIndividuals() override { return true; }
  // Threads can share a generation: see GASharedBreeding.
  std::unique_ptr<SharedBreeding> ShareBreeding(Population* from, int n) override;
};
