// The GP's next generation bred on several threads at once. Elite copies draw
// nothing, a tournament draws its size, a depth-limited crossover one point
// in each parent: the draws of every elite copy, crossover pair and
// reproduction begin at a known place among the generation's. A mutant's
// draws grow a subtree, as many as the growing takes, so the mutants are
// planned in order by the thread that starts the round (Prepare), from a
// copy of the generator moved on past the crossover pairs, while the other
// threads breed the pairs; the parts of mutants and reproductions wait for
// that plan.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "foundation/Utility.h"
#include "programs/ProgramRecipe.h"
#include "variation/BreedingParts.h"

class Chromosome;
class FlatLispCode;
class GPDepthLimitCrossover;
class GPMutation;
class GPWithMutationEvolution;
class IndividualFactory;
class Individual;
class Population;

class GPSharedBreeding : public BreedingParts {
 public:
  // The plan for scheme's generation of n from parents (sorted here if they
  // are not), each offspring made by producer, drawing from random (the
  // generator as breeding begins, copied here for the mutants); null where
  // scheme's parts are not the tournaments and depth-limited crossover
  // counted here, or the split of the generation is one the serial loops
  // would report or cut short.
  static std::unique_ptr<SharedBreeding> Plan(GPWithMutationEvolution* scheme, IndividualFactory* producer,
                                              Population* parents, int n, const Utility& random);
  // Discards the recipes of mutants never placed.
  ~GPSharedBreeding() override;

  // Known in full once the mutants are planned.
  long long Draws() const override;
  // Plans the mutants (their selections and grown subtrees), in order.
  void Prepare() override;
  bool Breed(Population* next, int k, int slot, Utility* random, long long& drawn) override;

 private:
  GPSharedBreeding() = default;
  // A parent's program, flat and ready to be read by several threads; null
  // where it is not (the serial loops would make it so, or report).
  static FlatLispCode* FlatOf(Chromosome* chromosome);
  // Waits for Prepare; false where it found a parent it could not plan on.
  bool MutantsReady() const;

  GPDepthLimitCrossover* crossover = nullptr;
  GPMutation* mutation = nullptr;
  Utility start;
  // The mutants' recipes, in order, once planned; planned says so (and
  // plannedWell whether every parent could be planned on).
  std::vector<ProgramRecipe> mutantRecipes;
  std::atomic<bool> planned{false};
  bool plannedWell = false;
};
