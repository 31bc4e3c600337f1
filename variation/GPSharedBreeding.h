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

#include "engine/Evolution.h"
#include "foundation/Utility.h"
#include "programs/ProgramRecipe.h"

class FlatLispCode;
class GPCrossover;
class GPMutation;
class GPWithMutationEvolution;
class IndividualFactory;
class Individual;
class Population;
class TournamentSelection;

class GPSharedBreeding : public SharedBreeding {
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

  int Size() const override { return size; }
  // Known in full once the mutants are planned.
  long long Draws() const override;
  int PartCount() const override { return static_cast<int>(bounds.size()) - 1; }
  int Part(int k) const override { return bounds[static_cast<std::size_t>(k)]; }
  // Plans the mutants (their selections and grown subtrees), in order.
  void Prepare() override;
  bool Breed(Population* next, int k, int slot, Utility* random, long long& drawn) override;

  // Offspring per part, about (a part never splits a crossover pair).
  static constexpr int kPartSize = 32;

 private:
  GPSharedBreeding() = default;
  // The parent's program, flat and ready to be read by several threads;
  // null where it is not (the serial loops would make it so, or report).
  static FlatLispCode* FlatOf(Individual* parent);
  // Waits for Prepare; false where it found a parent it could not plan on.
  bool MutantsReady() const;

  Population* parents = nullptr;
  IndividualFactory* producer = nullptr;
  TournamentSelection* crossoverSelection = nullptr;
  TournamentSelection* mutationSelection = nullptr;
  TournamentSelection* restSelection = nullptr;
  GPCrossover* crossover = nullptr;
  GPMutation* mutation = nullptr;
  int size = 0;
  int elite = 0;
  int crossed = 0;
  int mutants = 0;
  int rest = 0;
  long long pairDraws = 0;
  long long restTournament = 0;
  // Where the mutants' draws begin, and (once planned) where the
  // reproductions' do.
  long long mutantStart = 0;
  long long restStart = 0;
  Utility start;
  // The mutants' recipes, in order, once planned; planned says so (and
  // plannedWell whether every parent could be planned on).
  std::vector<ProgramRecipe> mutantRecipes;
  std::atomic<bool> planned{false};
  bool plannedWell = false;
  std::vector<int> bounds;
};
