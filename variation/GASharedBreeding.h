// The bit-string GA's next generation bred on several threads at once. Every
// draw of its scheme comes in a count fixed beforehand (a tournament draws
// its size, a one-point crossover one cut per pair, a bit-flip mutant one
// draw per gene, an elite copy none), so each offspring's draws begin at a
// known place among the generation's, and threads each with a copy of the
// generator moved on to their part draw what one thread would have.
#pragma once

#include <memory>
#include <vector>

#include "variation/BreedingParts.h"

class GAOnePointCrossover;
class GAMutation;
class GAWithMutationEvolution;
class IndividualFactory;
class Population;

class GASharedBreeding : public BreedingParts {
 public:
  // The plan for scheme's generation of n from parents (sorted here if they
  // are not), each offspring made by producer; null where scheme's parts are
  // not the tournaments, one-point crossover and bit-flip mutation counted
  // here, or the split of the generation is one the serial loops would
  // report or cut short.
  static std::unique_ptr<SharedBreeding> Plan(GAWithMutationEvolution* scheme, IndividualFactory* producer,
                                              Population* parents, int n);

  bool Breed(Population* next, int k, int slot, Utility* random, long long& drawn) override;

 private:
  GASharedBreeding() = default;
  GAOnePointCrossover* crossover = nullptr;
  GAMutation* mutation = nullptr;
  int length = 0;  // of every string
  long long mutantDraws = 0;
};
