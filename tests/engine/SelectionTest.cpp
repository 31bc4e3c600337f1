#include "engine/Selection.h"

#include <gtest/gtest.h>

#include "FakeLispCode.h"
#include "TestSupport.h"
#include "engine/IndividualComparator.h"
#include "engine/Population.h"
#include "foundation/Utility.h"

namespace {
using ::testing::ExitedWithCode;

// A population of the given fitnesses, sorted best first.
class Ranked {
 public:
  explicit Ranked(std::initializer_list<double> fitnesses)
      : sorter(&comparator), population(static_cast<int>(fitnesses.size()), &sorter) {
    int k = 0;
    for (double f : fitnesses) population.Add(MakeIndividual("p" + std::to_string(k++), f));
    population.Sort();
  }
  ~Ranked() { population.DeleteAll(); }
  Population* Get() { return &population; }

 private:
  DoubleTypeFitnessIndividualLessComparator comparator;
  IndividualSorter sorter;
  Population population;
};

TEST(SelectionTest, TournamentTakesTheBestOfItsDrawsWithReplacement) {
  Ranked ranked({5, 1, 4, 2, 3});
  TournamentSelection tournament(3);
  GetUtility()->Seed(7U);
  Individual* chosen = tournament.Select(ranked.Get());
  Utility reference;
  reference.Seed(7U);
  int best = 5;
  for (int k = 0; k < 3; ++k) best = std::min(best, reference.RandomInt(5));
  EXPECT_EQ(chosen, ranked.Get()->Get(best));
  EXPECT_EQ(GetUtility()->NextWord(), reference.NextWord());  // exactly three draws
}

TEST(SelectionTest, TournamentOfOneIsUniformAndOfFullSizeCanMissTheBest) {
  Ranked ranked({1, 2, 3, 4});
  TournamentSelection single(1);
  TournamentSelection full(4);
  GetUtility()->Seed(1U);
  int seen[4] = {};
  int missedBest = 0;
  for (int k = 0; k < 4000; ++k) {
    auto* chosen = dynamic_cast<DoubleTypeFitnessIndividual*>(single.Select(ranked.Get()));
    ++seen[static_cast<int>(chosen->GetFitness()) - 1];
    if (full.Select(ranked.Get()) != ranked.Get()->Get(0)) ++missedBest;
  }
  for (int count : seen) EXPECT_GT(count, 800);
  EXPECT_GT(missedBest, 0);  // (3/4)^4 of the tournaments miss rank 0
}

TEST(SelectionTest, EqualFitnessesGiveTheSmallestDrawnIndex) {
  Ranked ranked({2, 2, 2, 2, 2});
  TournamentSelection tournament(2);
  GetUtility()->Seed(99U);
  Individual* chosen = tournament.Select(ranked.Get());
  Utility reference;
  reference.Seed(99U);
  int a = reference.RandomInt(5);
  int b = reference.RandomInt(5);
  EXPECT_EQ(chosen, ranked.Get()->GetUnsorted(std::min(a, b)));
}

TEST(SelectionTest, SelectManyCyclesThroughSortedDrawnRanks) {
  Ranked ranked({1, 2, 3, 4, 5, 6});
  TournamentSelection tournament(3);
  GetUtility()->Seed(5U);
  IndividualArray out(7);
  tournament.SelectMany(ranked.Get(), &out, 7);
  Utility reference;
  reference.Seed(5U);
  int ranks[3];
  for (int& r : ranks) r = reference.RandomInt(6);
  std::sort(ranks, ranks + 3);
  for (int k = 0; k < 7; ++k) EXPECT_EQ(out.Get(k), ranked.Get()->Get(ranks[k % 3])) << k;
}

TEST(SelectionTest, EliteTakesTheBestFirstAndDrawsNothing) {
  Ranked ranked({3, 1, 2});
  EliteSelection elite;
  GetUtility()->Seed(11U);
  IndividualArray out(3);
  elite.SelectMany(ranked.Get(), &out, 0);
  EXPECT_EQ(out.Size(), 0);
  elite.SelectMany(ranked.Get(), &out, 2);
  EXPECT_EQ(out.Get(0), ranked.Get()->Get(0));
  EXPECT_EQ(out.Get(1), ranked.Get()->Get(1));
  EXPECT_EQ(elite.Select(ranked.Get()), ranked.Get()->Get(0));
  Utility reference;
  reference.Seed(11U);
  EXPECT_EQ(GetUtility()->NextWord(), reference.NextWord());
}

TEST(SelectionTest, SelectionSortsAChangedPopulationFirst) {
  DoubleTypeFitnessIndividualLessComparator comparator;
  IndividualSorter sorter(&comparator);
  Population population(3, &sorter);
  population.Add(MakeIndividual("c", 3));
  population.Add(MakeIndividual("a", 1));
  population.Add(MakeIndividual("b", 2));
  EliteSelection elite;
  EXPECT_EQ(FakeCodeOf(elite.Select(&population))->ToString(), "a");
  population.DeleteAll();
}

TEST(SelectionDeathTest, ImpossibleSizesEndWithIndexReports) {
  Ranked ranked({1, 2});
  TournamentSelection none(0);
  EXPECT_EXIT(none.Select(ranked.Get()), ExitedWithCode(1),
              ExactLine("Array index 2 is over size 2 at IndividualArray::Get"));
  IndividualArray out(3);
  EXPECT_EXIT(none.SelectMany(ranked.Get(), &out, 1), ExitedWithCode(1),
              ExactLine("Array index 0 is over size 0 at IntArray::Get"));
  EliteSelection elite;
  EXPECT_EXIT(elite.SelectMany(ranked.Get(), &out, 3), ExitedWithCode(1),
              ExactLine("Array index 2 is over size 2 at IndividualArray::Get"));
  IndividualArray small(1);
  EXPECT_EXIT(elite.SelectMany(ranked.Get(), &small, 2), ExitedWithCode(1),
              ExactLine("Capacity 1 is full  at IndividualArray::Add"));
}
}  // namespace
