#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>

#include "ThreadsSharing.h"
#include "engine/Chromosome.h"
#include "engine/GenerationRecord.h"
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

// A large population measured on several threads, or from the facts noted
// of its members, gives every statistic to the last bit as one thread
// reading the members does (the sums are taken in the same order).
TEST_F(GenerationRecordTest, MeasuredOnSeveralThreadsAsOnOne) {
  Population large(5000, &sorter);
  std::uint32_t state = 3;
  for (int i = 0; i < 5000; ++i) {
    state = state * 1664525U + 1013904223U;
    Head* root = (state >> 20) % 2 == 0 ? Node(&one)
                                        : Node(&plus, {Node(&one), Node(&plus, {Node(&two), Node(&one)})});
    auto* individual = new DoubleTypeFitnessIndividual(new GPChromosome(new HeadLispCode(root)));
    individual->SetFitness(static_cast<double>(state >> 8) / 3.0e5);
    large.Add(individual);
  }
  large.Sort();
  GenerationRecord alone;
  alone.Measure(&large);
  GenerationRecord shared;
  ThreadsSharing sharing(3);
  shared.Measure(&large, &sharing);
  EXPECT_GT(sharing.otherSteps.load() + sharing.ownSteps.load(), 0);
  for (auto field :
       {&GenerationRecord::best, &GenerationRecord::worst, &GenerationRecord::mean, &GenerationRecord::median,
        &GenerationRecord::deviation, &GenerationRecord::meanSize, &GenerationRecord::meanDepth}) {
    EXPECT_EQ(shared.*field, alone.*field);
  }
  EXPECT_EQ(shared.generationBest, alone.generationBest);
  EXPECT_EQ(shared.bestSize, alone.bestSize);
  // From the facts noted as the members were scored, the same to the bit.
  for (int i = 0; i < large.Size(); ++i) large.NoteScored(i, large.GetUnsorted(i));
  large.TrustScoredFacts();
  GenerationRecord noted;
  noted.Measure(&large);
  for (auto field :
       {&GenerationRecord::best, &GenerationRecord::worst, &GenerationRecord::mean, &GenerationRecord::median,
        &GenerationRecord::deviation, &GenerationRecord::meanSize, &GenerationRecord::meanDepth}) {
    EXPECT_EQ(noted.*field, alone.*field);
  }
  large.DeleteAll();
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
