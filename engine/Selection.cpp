#include "engine/Selection.h"

#include "engine/Individual.h"
#include "engine/Population.h"
#include "foundation/NumericArrays.h"
#include "foundation/Utility.h"

Individual* TournamentSelection::Select(Population* population) {
  return population->Get(SelectRank(population));
}

int TournamentSelection::SelectRank(Population* population) const {
  int s = population->Size();
  int best = s;
  for (int k = 0; k < tournamentSize; ++k) {
    int r = GetUtility()->RandomInt(s);
    if (r < best) best = r;
  }
  return best;
}

void TournamentSelection::SelectMany(Population* population, IndividualArray* out, int n) {
  int s = population->Size();
  IntArray ranks(tournamentSize);
  for (int k = 0; k < tournamentSize; ++k) ranks.Add(GetUtility()->RandomInt(s));
  ranks.Sort();
  int j = 0;
  for (int k = 0; k < n; ++k) {
    out->Add(population->Get(ranks.Get(j)));
    ++j;
    if (j >= ranks.Size()) j = 0;
  }
}

Individual* EliteSelection::Select(Population* population) { return population->Get(0); }

void EliteSelection::SelectMany(Population* population, IndividualArray* out, int n) {
  for (int k = 0; k < n; ++k) out->Add(population->Get(k));
}
