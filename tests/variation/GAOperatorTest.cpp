#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "TestSupport.h"
#include "foundation/Utility.h"
#include "variation/GACrossover.h"
#include "variation/GAMutation.h"
#include "variation/GATestRun.h"

namespace {
using ::testing::ExitedWithCode;

std::string Report(const std::string& lines) { return "^" + ExactLine(lines) + "$"; }

TEST(GAOnePointCrossoverTest, TailsFromThePointOnAreExchanged) {
  GAOnePointCrossover crossover;
  std::unique_ptr<IntArray> a(BitsOf("000000"));
  std::unique_ptr<IntArray> b(BitsOf("111111"));
  crossover.CrossAt(a.get(), b.get(), 2);
  EXPECT_EQ(DigitsOf(*a), "001111");
  EXPECT_EQ(DigitsOf(*b), "110000");
  crossover.CrossAt(a.get(), b.get(), 5);
  EXPECT_EQ(DigitsOf(*a), "001110");
  EXPECT_EQ(DigitsOf(*b), "110001");
}

TEST(GAOnePointCrossoverTest, ThePointIsOneDrawFromOneToLengthMinusOne) {
  GAOnePointCrossover crossover;
  Utility reference;
  reference.Seed(17);
  GetUtility()->Seed(17);
  std::set<int> points;
  for (int k = 0; k < 200; ++k) {
    std::unique_ptr<IntArray> a(BitsOf("000000"));
    std::unique_ptr<IntArray> b(BitsOf("111111"));
    crossover.Cross(a.get(), b.get());
    int point = 1 + reference.RandomInt(5);
    EXPECT_EQ(DigitsOf(*a), std::string(point, '0') + std::string(6 - point, '1'));
    EXPECT_EQ(DigitsOf(*b), std::string(point, '1') + std::string(6 - point, '0'));
    points.insert(point);
  }
  EXPECT_EQ(points, (std::set<int>{1, 2, 3, 4, 5}));
  // A single gene has no inner point: one draw, nothing exchanged.
  std::unique_ptr<IntArray> a(BitsOf("0"));
  std::unique_ptr<IntArray> b(BitsOf("1"));
  crossover.Cross(a.get(), b.get());
  reference.RandomInt(0);
  EXPECT_EQ(DigitsOf(*a), "0");
  EXPECT_EQ(GetUtility()->NextWord(), reference.NextWord());
}

TEST(GAOnePointCrossoverDeathTest, StringsOfDifferentLengthsAreRefused) {
  GAOnePointCrossover crossover;
  std::unique_ptr<IntArray> a(BitsOf("0000"));
  std::unique_ptr<IntArray> b(BitsOf("111"));
  EXPECT_EXIT(crossover.Cross(a.get(), b.get()), ExitedWithCode(1),
              Report("Fatal error: Bit strings of different lengths at GAOnePointCrossover::Cross\n"));
}

TEST(GABitFlipMutationTest, EachGeneFlipsWhenItsDrawIsBelowTheRate) {
  Utility reference;
  reference.Seed(3);
  GetUtility()->Seed(3);
  GABitFlipMutation mutation(0.5);
  std::unique_ptr<IntArray> genes(BitsOf("0101010101010101"));
  std::string expected;
  for (int i = 0; i < genes->Size(); ++i) {
    bool flip = reference.Random01() < 0.5;
    expected += (genes->Get(i) == 1) != flip ? '1' : '0';
  }
  mutation.Mutate(genes.get());
  EXPECT_EQ(DigitsOf(*genes), expected);
  EXPECT_NE(expected, "0101010101010101");
}

TEST(GABitFlipMutationTest, EveryGeneTakesOneDrawWhateverTheRate) {
  Utility reference;
  reference.Seed(8);
  GetUtility()->Seed(8);
  std::unique_ptr<IntArray> genes(BitsOf("01201"));
  GABitFlipMutation always(1.0);
  always.Mutate(genes.get());
  EXPECT_EQ(DigitsOf(*genes), "10110");  // a gene other than 1 becomes 1
  GABitFlipMutation never(0.0);
  never.Mutate(genes.get());
  EXPECT_EQ(DigitsOf(*genes), "10110");
  for (int i = 0; i < 10; ++i) reference.NextWord();
  EXPECT_EQ(GetUtility()->NextWord(), reference.NextWord());
}
}  // namespace
