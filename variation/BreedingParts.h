// What the plans for breeding a generation in parts (GASharedBreeding,
// GPSharedBreeding) share: the parents, the three plain tournaments, the
// generation's split and where the draws of its sections begin, and the
// parts themselves, about 32 offspring each, never splitting a crossover
// pair (both children come of the same draws).
#pragma once

#include <vector>

#include "engine/Evolution.h"
#include "variation/GenerationSplit.h"

class IndividualFactory;
class Population;
class Selection;
class TournamentSelection;

class BreedingParts : public SharedBreeding {
 public:
  int Size() const override { return size; }
  // Once the reproductions' start is known.
  long long Draws() const override { return restStart + static_cast<long long>(rest) * restTournament; }
  int PartCount() const override { return static_cast<int>(bounds.size()) - 1; }
  int Part(int k) const override { return bounds[static_cast<std::size_t>(k)]; }

  // Offspring per part, about, and the most a part holds.
  static constexpr int kPartSize = 32;
  static constexpr int kMaxPart = kPartSize + 1;

 protected:
  // Lays out the generation of n from parents (sorted here if they are not)
  // split as split: the crossover, mutation and reproduction selections,
  // each pair also drawing crossoverDraws for its crossover. False where a
  // selection is not a plain tournament (a kind derived from it may draw
  // otherwise), or the split is one the serial loops would report or cut
  // short (elite copies beyond the parents, ratios past the generation).
  bool Lay(Population* parents, IndividualFactory* producer, Selection* crossing, Selection* mutating,
           Selection* reproducing, const GenerationSplit& split, int n, long long crossoverDraws);

  Population* parents = nullptr;
  IndividualFactory* producer = nullptr;
  TournamentSelection* crossoverSelection = nullptr;
  TournamentSelection* mutationSelection = nullptr;
  TournamentSelection* restSelection = nullptr;
  int size = 0;
  int elite = 0;
  int crossed = 0;
  int mutants = 0;
  int rest = 0;
  // Draws per crossover pair and per reproduction; where the mutants' and
  // the reproductions' draws begin (the latter set by the plan).
  long long pairDraws = 0;
  long long restTournament = 0;
  long long mutantStart = 0;
  long long restStart = 0;
  std::vector<int> bounds;
};
