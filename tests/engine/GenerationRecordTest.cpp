#include "engine/GenerationRecord.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "engine/Chromosome.h"
#include "engine/IndividualComparator.h"
#include "engine/Population.h"
#include "foundation/NumericArrays.h"
#include "programs/HeadLispCode.h"
#include "programs/TestOperators.h"

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct GenerationRecordTest : ::testing::Test {
  IntConstant one{"1", 1}, two{"2", 2};
  Adder plus{"Plus", 2};
  DoubleTypeFitnessIndividualLessComparator comparator;
  IndividualSorter sorter{&comparator};
  Population population{5, &sorter};

  ~GenerationRecordTest() override { population.DeleteAll(); }
  void Add(Head* root, double fitness) {
    auto* individual = new DoubleTypeFitnessIndividual(new GPChromosome(new HeadLispCode(root)));
    individual->SetFitness(fitness);
    population.Add(individual);
  }
};

// By hand: fitnesses 5, 1, 3 sort to 1, 3, 5: mean 3, median 3, deviation
// sqrt((4 + 0 + 4) / 3); sizes 3, 1, 1 and depths 2, 1, 1.
TEST_F(GenerationRecordTest, StatisticsOfASmallPopulation) {
  Add(Node(&plus, {Node(&one), Node(&two)}), 5.0);
  Add(Node(&one), 1.0);
  Add(Node(&two), 3.0);
  population.Sort();
  GenerationRecord record;
  record.Measure(&population);
  EXPECT_EQ(record.best, 1.0);
  EXPECT_EQ(record.worst, 5.0);
  EXPECT_EQ(record.mean, 3.0);
  EXPECT_EQ(record.median, 3.0);
  EXPECT_DOUBLE_EQ(record.deviation, std::sqrt(8.0 / 3.0));
  EXPECT_EQ(record.generationBest, population.Get(0));
  EXPECT_EQ(record.bestSize, 1);
  EXPECT_EQ(record.bestDepth, 1);
  EXPECT_DOUBLE_EQ(record.meanSize, 5.0 / 3.0);
  EXPECT_DOUBLE_EQ(record.meanDepth, 4.0 / 3.0);

  // An even count takes the middle two; a NaN is the worst.
  Add(Node(&plus, {Node(&plus, {Node(&one), Node(&two)}), Node(&one)}), kNaN);
  population.Sort();
  record = GenerationRecord();
  record.Measure(&population);
  EXPECT_EQ(record.median, 4.0);
  EXPECT_TRUE(std::isnan(record.worst));
  EXPECT_TRUE(std::isnan(record.mean));
  EXPECT_EQ(record.best, 1.0);
  EXPECT_DOUBLE_EQ(record.meanSize, 10.0 / 4.0);
  EXPECT_DOUBLE_EQ(record.meanDepth, 7.0 / 4.0);
}

TEST_F(GenerationRecordTest, BitStringsMeasureTheirLengthAndNoDepth) {
  auto* genes = new IntArray(6);
  for (int gene : {0, 1, 1, 0, 1}) genes->Add(gene);
  auto* individual = new DoubleTypeFitnessIndividual(new GAChromosome(genes));
  individual->SetFitness(2.5);
  population.Add(individual);
  GenerationRecord record;
  record.Measure(&population);
  EXPECT_EQ(record.bestSize, 5);
  EXPECT_EQ(record.bestDepth, 0);
  EXPECT_EQ(record.median, 2.5);
  EXPECT_EQ(record.deviation, 0.0);
}
}  // namespace
