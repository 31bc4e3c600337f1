// The generation schemes of the bit-string GA: random strings for the first
// generation, elite copies, one-point crossover offspring, bit-flip mutants
// and reproductions of tournament winners, and the composite that splits a
// new generation among them by elite_size, crossover_ratio and
// mutation_ratio.
#pragma once

#include <memory>

#include "engine/Evolution.h"
#include "engine/Selection.h"

class GACrossover;
class GAMutation;
class IndividualFactory;
class IntArray;
class Individual;

class GAEvolution : public Evolution {
 public:
  // producer (not owned) makes the individuals.
  explicit GAEvolution(IndividualFactory* producer) : producer(producer) {}
  // Wraps genes (taken over) in a new GAChromosome, has the producer make an
  // individual of it and adds that to population.
  virtual void AddGenes(Population* population, IntArray* genes);

 protected:
  // The individual's genes, not a copy. A chromosome that is not a
  // GAChromosome ends the process with a cast report naming this scheme and
  // "Evolve".
  IntArray* GenesOf(Individual* individual);
  // A fresh copy of the individual's genes.
  IntArray* CopyGenesOf(Individual* individual);

  IndividualFactory* producer;
};

// Random strings: each gene drawn with RandomInt(2), first gene first.
class GAGenerationEvolution : public GAEvolution {
 public:
  GAGenerationEvolution(IndividualFactory* producer, int length) : GAEvolution(producer), length(length) {}
  // Adds n random strings to to; from is not read.
  void Evolve(Population* from, Population* to, int n) override;
  // Adds n random strings to population.
  void Apply(Population* population, int n) override;
  int GetLength() const { return length; }

 private:
  int length;
};

// Copies of the n best, best first. Draws nothing.
class GAEliteEvolution : public GAEvolution {
 public:
  explicit GAEliteEvolution(IndividualFactory* producer);
  void Evolve(Population* from, Population* to, int n) override;
  void Apply(Population* population, int n) override;

 private:
  std::unique_ptr<EliteSelection> selection;
};

// Pairs of selected parents, copied and crossed; both children are kept, and
// an odd n discards the second child of the last pair. Per pair: the two
// selections, then the crossover's draw.
class GACrossoverEvolution : public GAEvolution {
 public:
  // crossover and selection are not owned.
  GACrossoverEvolution(GACrossover* crossover, Selection* selection, IndividualFactory* producer)
      : GAEvolution(producer), crossover(crossover), selection(selection) {}
  void Evolve(Population* from, Population* to, int n) override;
  // For n >= 1: ceil(n / 2) times, crosses the strings of two selected
  // individuals in place; adds nothing.
  void Apply(Population* population, int n) override;

 private:
  GACrossover* crossover;
  Selection* selection;
};

// Copies of selected individuals, mutated. Per mutant: the selection, then
// the mutation's draws.
class GAMutationEvolution : public GAEvolution {
 public:
  // mutation and selection are not owned.
  GAMutationEvolution(GAMutation* mutation, Selection* selection, IndividualFactory* producer)
      : GAEvolution(producer), mutation(mutation), selection(selection) {}
  void Evolve(Population* from, Population* to, int n) override;
  // n times, mutates the string of a selected individual in place.
  void Apply(Population* population, int n) override;

 private:
  GAMutation* mutation;
  Selection* selection;
};

// Unchanged copies of selected individuals.
class GAReproductionEvolution : public GAEvolution {
 public:
  // selection is not owned.
  GAReproductionEvolution(Selection* selection, IndividualFactory* producer)
      : GAEvolution(producer), selection(selection) {}
  void Evolve(Population* from, Population* to, int n) override;
  void Apply(Population* population, int n) override;

 private:
  Selection* selection;
};

// A whole next generation of n: e elite copies, then with r = n - e,
// trunc(r * crossover ratio) crossover offspring, trunc(r * mutation ratio)
// mutants and the rest reproductions, in that order.
class GAWithMutationEvolution : public GAEvolution {
 public:
  // The three schemes are not owned; the elite scheme is made here.
  GAWithMutationEvolution(Evolution* crossover, Evolution* mutation, Evolution* reproduction,
                          IndividualFactory* producer, int eliteSize, double crossoverRatio, double mutationRatio);
  void Evolve(Population* from, Population* to, int n) override;
  // Does nothing.
  void Apply(Population* population, int n) override;

  // The crossover and mutation counts for a generation of n.
  int CrossoverCount(int n) const;
  int MutationCount(int n) const;
  int GetEliteSize() const { return eliteSize; }

 private:
  std::unique_ptr<GAEliteEvolution> elite;
  Evolution* crossover;
  Evolution* mutation;
  Evolution* reproduction;
  int eliteSize;
  double crossoverRatio;
  double mutationRatio;
};
