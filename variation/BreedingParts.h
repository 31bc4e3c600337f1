// What the plans for breeding a generation in parts (GASharedBreeding,
// GPSharedBreeding) share: the parents, the three plain tournaments, the
// generation's split and where the draws of its sections begin, and the
// parts themselves, 32 to 128 offspring each, never splitting a crossover
// pair (both children come of the same draws).
#pragma once

#include <vector>

#include "engine/Chromosome.h"
#include "engine/Evolution.h"
#include "engine/Individual.h"
#include "engine/Population.h"
#include "engine/Selection.h"
#include "foundation/Utility.h"
#include "variation/GenerationSplit.h"

class IndividualFactory;

class BreedingParts : public SharedBreeding {
 public:
  int Size() const override { return size; }
  // Once the reproductions' start is known.
  long long Draws() const override { return restStart + static_cast<long long>(rest) * restTournament; }
  int PartCount() const override { return static_cast<int>(bounds.size()) - 1; }
  int Part(int k) const override { return bounds[static_cast<std::size_t>(k)]; }

  // Offspring per part, about: the kTailParts-th of the offspring from the
  // part's start on, but from kLeastPartSize to kMostPartSize. Large parts
  // cost less each (claiming one, the cache lines its ends share with its
  // neighbours', a look at the retired members); small ones at the end
  // leave no thread long alone with the last. The most a part holds.
  static constexpr int kTailParts = 16;
  static constexpr int kLeastPartSize = 32;
  static constexpr int kMostPartSize = 128;
  static constexpr int kMaxPart = kMostPartSize + 1;
  // The offspring, about, of a part that starts with left offspring to go.
  static int PartSizeFor(int left);

 protected:
  // A part as its draws leave it: each offspring's parents (indices into
  // chosen; none for a mutant planned beforehand) and whether it is the
  // second child of its pair (the parents' roles exchanged); the parents
  // chosen, in order (their ranks), and their breeding forms (see
  // Chromosome::BreedingForm).
  struct Offspring {
    int first = -1;
    int second = -1;
    bool secondChild = false;
  };
  struct PartDraws {
    int from = 0;
    int count = 0;
    Offspring offspring[kMaxPart];
    int chosen[2 * kMaxPart];
    const void* forms[2 * kMaxPart];
    int chosenCount = 0;
    // The parents' facts, where known: each is asked for as its parent is
    // chosen, so that the reads overlap the draws that follow.
    const Population::ScoredFacts* facts = nullptr;
    int Choose(int rank) {
      if (facts != nullptr) __builtin_prefetch(&facts[rank].form);
      chosen[chosenCount] = rank;
      return chosenCount++;
    }
  };

  // Makes part k's draws, all of them in their order, from random (which
  // has made drawn of the generation's, and is moved on here, never back;
  // it is the calling thread's generator meanwhile): an elite copy chooses
  // the i-th best, a pair two tournament winners and then drawPair(j) (the
  // crossover's own draws, j the pair's first child in the part), a mutant
  // drawMutant(part, j, m) (the m-th of the generation's mutants: its own
  // selection and draws, moved to with MoveTo), a reproduction a winner.
  // Then the chosen parents' forms are looked up together: most parents
  // were scored by another thread, and each lookup is a read from memory
  // another core wrote; reads that do not wait for one another overlap.
  // They come from what the scoring threads noted (see
  // Population::ScoredFacts) where the parents have it: the members, their
  // chromosomes and code objects, which the threads that made them destroy
  // later, are then not read here at all.
  template <class DrawPair, class DrawMutant>
  void DrawPart(int k, Utility* random, long long& drawn, PartDraws& part, const DrawPair& drawPair,
                const DrawMutant& drawMutant) const {
    part.from = Part(k);
    part.count = Part(k + 1) - part.from;
    part.chosenCount = 0;
    part.facts = parents->GetScoredFacts();
    int mutantsFrom = elite + crossed;
    int restFrom = mutantsFrom + mutants;
    {
      ThreadUtility drawing(random);
      for (int j = 0; j < part.count;) {
        int i = part.from + j;
        Offspring& child = part.offspring[j];
        if (i < elite) {
          // The i-th best, as the elite scheme takes them.
          child.first = part.Choose(i);
          ++j;
        } else if (i < mutantsFrom) {
          // A part begins at a pair's first child.
          MoveTo(random, drawn, static_cast<long long>((i - elite) / 2) * pairDraws);
          child.first = part.Choose(crossoverSelection->SelectRank(parents));
          child.second = part.Choose(crossoverSelection->SelectRank(parents));
          drawPair(j);
          drawn += pairDraws;
          ++j;
          // The second child of the last pair of an odd count is never
          // added.
          if (i + 1 < mutantsFrom) {
            part.offspring[j] = child;
            part.offspring[j].secondChild = true;
            ++j;
          }
        } else if (i < restFrom) {
          drawMutant(part, j, i - mutantsFrom);
          ++j;
        } else {
          MoveTo(random, drawn, restStart + static_cast<long long>(i - restFrom) * restTournament);
          child.first = part.Choose(restSelection->SelectRank(parents));
          drawn += restTournament;
          ++j;
        }
      }
    }
    if (const Population::ScoredFacts* facts = part.facts) {
      for (int c = 0; c < part.chosenCount; ++c) part.forms[c] = facts[part.chosen[c]].form;
    } else {
      for (int c = 0; c < part.chosenCount; ++c) {
        part.forms[c] = parents->GetUnsorted(part.chosen[c])->GetChromosome()->BreedingForm();
      }
    }
  }
  // Moves random, which has made drawn of the generation's draws, on to at.
  static void MoveTo(Utility* random, long long& drawn, long long at) {
    random->Skip(at - drawn);
    drawn = at;
  }

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
