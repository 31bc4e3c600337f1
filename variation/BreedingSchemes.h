// The schemes that fill a next generation, written once for both kinds of
// genome: elite copies, crossover pairs, mutants, reproductions, and the
// composite that splits a generation among them. Kind is the genome's scheme
// base (GAEvolution for bit strings, GPEvolution for programs); it supplies
//   Child                             one offspring not yet added,
//   CopyOf(Individual*) -> Child      an unchanged copy of a genome,
//   Crossed(crossover, a, b)          both children of a pair (.first, .second),
//   Mutated(mutation, parent) -> Child
//   CrossInPlace, MutateInPlace       the operators on a member itself,
//   Add(Population*, Child, parent)   adds an offspring (parent: the one it
//                                     copies most of),
//   Drop(Child&)                      destroys an offspring never added.
// Every loop draws in the same order for both kinds, and ends early between
// two offspring when a stop is requested.
#pragma once

#include <array>
#include <memory>

#include "engine/Individual.h"
#include "engine/Selection.h"
#include "variation/GenerationSplit.h"

class IndividualFactory;

// Copies of the n best, best first. Draws nothing.
template <class Kind>
class EliteScheme : public Kind {
 public:
  using Kind::Kind;
  void Evolve(Population* from, Population* to, int n) override {
    IndividualArray best(n);
    selection.SelectMany(from, &best, n);
    for (int i = 0; i < best.Size() && !this->StopRequested(); ++i) {
      this->Add(to, this->CopyOf(best.Get(i)), best.Get(i));
    }
  }
  void Apply(Population* population, int n) override { Evolve(population, population, n); }

 private:
  EliteSelection selection;
};

// Pairs of selected parents, crossed; both children are kept, except the
// second child of the last pair when n is odd. Per pair: the two selections,
// then the crossover's draws.
template <class Kind, class Crossover>
class CrossoverScheme : public Kind {
 public:
  // crossover and selection are not owned.
  CrossoverScheme(Crossover* crossover, Selection* selection, IndividualFactory* producer)
      : Kind(producer), crossover(crossover), selection(selection) {}
  void Evolve(Population* from, Population* to, int n) override {
    int i = 0;
    while (i < n && !this->StopRequested()) {
      Individual* a = selection->Select(from);
      Individual* b = selection->Select(from);
      auto children = this->Crossed(crossover, a, b);
      this->Add(to, children.first, a);
      ++i;
      if (i == n) {
        this->Drop(children.second);
        break;
      }
      this->Add(to, children.second, b);
      ++i;
    }
  }
  Crossover* GetCrossover() const { return crossover; }
  Selection* GetSelection() const { return selection; }
  // For n >= 1: ceil(n / 2) times, crosses two selected members in place;
  // adds nothing.
  void Apply(Population* population, int n) override {
    for (int pair = 0; pair < (n + 1) / 2 && !this->StopRequested(); ++pair) {
      Individual* a = selection->Select(population);
      Individual* b = selection->Select(population);
      this->CrossInPlace(crossover, a, b);
    }
  }

 private:
  Crossover* crossover;
  Selection* selection;
};

// Mutated copies of selected individuals. Per mutant: the selection, then the
// mutation's draws.
template <class Kind, class Mutation>
class MutationScheme : public Kind {
 public:
  // mutation and selection are not owned.
  MutationScheme(Mutation* mutation, Selection* selection, IndividualFactory* producer)
      : Kind(producer), mutation(mutation), selection(selection) {}
  void Evolve(Population* from, Population* to, int n) override {
    for (int k = 0; k < n && !this->StopRequested(); ++k) {
      Individual* parent = selection->Select(from);
      this->Add(to, this->Mutated(mutation, parent), parent);
    }
  }
  Mutation* GetMutation() const { return mutation; }
  Selection* GetSelection() const { return selection; }
  // n times, mutates a selected member in place.
  void Apply(Population* population, int n) override {
    for (int k = 0; k < n && !this->StopRequested(); ++k) this->MutateInPlace(mutation, selection->Select(population));
  }

 private:
  Mutation* mutation;
  Selection* selection;
};

// Unchanged copies of selected individuals.
template <class Kind>
class ReproductionScheme : public Kind {
 public:
  // selection is not owned.
  ReproductionScheme(Selection* selection, IndividualFactory* producer) : Kind(producer), selection(selection) {}
  void Evolve(Population* from, Population* to, int n) override {
    for (int k = 0; k < n && !this->StopRequested(); ++k) {
      Individual* parent = selection->Select(from);
      this->Add(to, this->CopyOf(parent), parent);
    }
  }
  void Apply(Population* population, int n) override { Evolve(population, population, n); }
  Selection* GetSelection() const { return selection; }

 private:
  Selection* selection;
};

// A whole next generation of n: e elite copies, then with r = n - e,
// trunc(r * crossover ratio) crossover offspring, trunc(r * mutation ratio)
// mutants and the rest reproductions, in that order.
template <class Kind, class Elite>
class CompositeScheme : public Kind {
 public:
  // The three schemes are not owned; the elite scheme is made here.
  CompositeScheme(Evolution* crossover, Evolution* mutation, Evolution* reproduction, IndividualFactory* producer,
                  int eliteSize, double crossoverRatio, double mutationRatio)
      : Kind(producer),
        elite(std::make_unique<Elite>(producer)),
        crossover(crossover),
        mutation(mutation),
        reproduction(reproduction),
        eliteSize(eliteSize),
        crossoverRatio(crossoverRatio),
        mutationRatio(mutationRatio) {}
  void Evolve(Population* from, Population* to, int n) override {
    GenerationSplit split = GenerationSplit::Of(n, eliteSize, crossoverRatio, mutationRatio);
    elite->Evolve(from, to, split.elite);
    crossover->Evolve(from, to, split.crossover);
    mutation->Evolve(from, to, split.mutation);
    reproduction->Evolve(from, to, split.rest);
  }
  // Does nothing.
  void Apply(Population*, int) override {}
  // Passed on to every part.
  void DeferCopies(bool defer) override {
    Kind::DeferCopies(defer);
    for (Evolution* part : Parts()) part->DeferCopies(defer);
  }
  void WatchStop(const StopRequest* stop) override {
    Kind::WatchStop(stop);
    for (Evolution* part : Parts()) part->WatchStop(stop);
  }

  // The crossover and mutation counts for a generation of n.
  int CrossoverCount(int n) const { return GenerationSplit::Of(n, eliteSize, crossoverRatio, mutationRatio).crossover; }
  int MutationCount(int n) const { return GenerationSplit::Of(n, eliteSize, crossoverRatio, mutationRatio).mutation; }
  int GetEliteSize() const { return eliteSize; }
  // The parts a generation is split among.
  GenerationSplit SplitOf(int n) const {
    return GenerationSplit::Of(n, eliteSize, crossoverRatio, mutationRatio);
  }
  Evolution* GetCrossoverPart() const { return crossover; }
  Evolution* GetMutationPart() const { return mutation; }
  Evolution* GetReproductionPart() const { return reproduction; }

 private:
  std::array<Evolution*, 4> Parts() { return {elite.get(), crossover, mutation, reproduction}; }

  std::unique_ptr<Elite> elite;
  Evolution* crossover;
  Evolution* mutation;
  Evolution* reproduction;
  int eliteSize;
  double crossoverRatio;
  double mutationRatio;
};
