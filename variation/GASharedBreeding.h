// The bit-string GA's next generation bred on several threads at once. Every
// draw of its scheme comes in a count fixed beforehand (a tournament draws
// its size, a one-point crossover one cut per pair, a bit-flip mutant one
// draw per gene, an elite copy none), so each offspring's draws begin at a
// known place among the generation's, and threads each with a copy of the
// generator moved on to their part draw what one thread would have.
#pragma once

#include <memory>
#include <vector>

#include "engine/Evolution.h"

class GAOnePointCrossover;
class GAMutation;
class GAWithMutationEvolution;
class IndividualFactory;
class IntArray;
class Individual;
class Population;
class TournamentSelection;

class GASharedBreeding : public SharedBreeding {
 public:
  // The plan for scheme's generation of n from parents (sorted here if they
  // are not), each offspring made by producer; null where scheme's parts are
  // not the tournaments, one-point crossover and bit-flip mutation counted
  // here, or the split of the generation is one the serial loops would
  // report or cut short.
  static std::unique_ptr<SharedBreeding> Plan(GAWithMutationEvolution* scheme, IndividualFactory* producer,
                                              Population* parents, int n);

  int Size() const override { return size; }
  long long Draws() const override { return restStart + static_cast<long long>(rest) * restTournament; }
  int PartCount() const override { return static_cast<int>(bounds.size()) - 1; }
  int Part(int k) const override { return bounds[static_cast<std::size_t>(k)]; }
  bool Breed(Population* next, int k, int slot, Utility* random, long long& drawn) override;

  // Offspring per part, about (a part never splits a crossover pair, and
  // so may be one longer), and the most a part may hold.
  static constexpr int kPartSize = 32;
  static constexpr int kMaxPart = kPartSize + 1;

 private:
  GASharedBreeding() = default;
  Population* parents = nullptr;
  IndividualFactory* producer = nullptr;
  TournamentSelection* crossoverSelection = nullptr;
  TournamentSelection* mutationSelection = nullptr;
  TournamentSelection* restSelection = nullptr;
  GAOnePointCrossover* crossover = nullptr;
  GAMutation* mutation = nullptr;
  int size = 0;
  int length = 0;  // of every string
  int elite = 0;
  int crossed = 0;
  int mutants = 0;
  int rest = 0;
  // Draws per crossover pair, per mutant and per reproduction, and where
  // the mutants' and the reproductions' draws begin.
  long long pairDraws = 0;
  long long mutantDraws = 0;
  long long restTournament = 0;
  long long mutantStart = 0;
  long long restStart = 0;
  std::vector<int> bounds;
};
