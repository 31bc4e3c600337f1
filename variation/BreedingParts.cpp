#include "variation/BreedingParts.h"

#include <algorithm>
#include <typeinfo>

#include "engine/Population.h"
#include "engine/Selection.h"

namespace {
TournamentSelection* PlainTournament(Selection* selection) {
  if (selection == nullptr || typeid(*selection) != typeid(TournamentSelection)) return nullptr;
  auto* tournament = static_cast<TournamentSelection*>(selection);
  return tournament->GetTournamentSize() >= 1 ? tournament : nullptr;
}
}  // namespace

int BreedingParts::PartSizeFor(int left) {
  return std::clamp(left / kTailParts, kLeastPartSize, kMostPartSize);
}

bool BreedingParts::Lay(Population* from, IndividualFactory* maker, Selection* crossing, Selection* mutating,
                        Selection* reproducing, const GenerationSplit& split, int n,
                        long long crossoverDraws) {
  crossoverSelection = PlainTournament(crossing);
  mutationSelection = PlainTournament(mutating);
  restSelection = PlainTournament(reproducing);
  if (crossoverSelection == nullptr || mutationSelection == nullptr || restSelection == nullptr) return false;
  if (n < 1 || from->Size() < 1 || split.elite < 0 || split.elite > from->Size() || split.crossover < 0 ||
      split.mutation < 0 || split.rest < 0) {
    return false;
  }
  // The selections rank the parents: sorted now, they are only read while
  // the parts are bred.
  from->Get(0);
  parents = from;
  producer = maker;
  size = n;
  elite = split.elite;
  crossed = split.crossover;
  mutants = split.mutation;
  rest = split.rest;
  long long pairs = (static_cast<long long>(split.crossover) + 1) / 2;
  pairDraws = 2LL * crossoverSelection->GetTournamentSize() + crossoverDraws;
  restTournament = restSelection->GetTournamentSize();
  mutantStart = pairs * pairDraws;

  int pairsEnd = elite + crossed;
  bounds.assign(1, 0);
  for (int at = 0;;) {
    int bound = at + PartSizeFor(n - at);
    if (bound > elite && bound < pairsEnd && (bound - elite) % 2 == 1) ++bound;
    if (bound >= n) break;
    bounds.push_back(bound);
    at = bound;
  }
  bounds.push_back(n);
  return true;
}
