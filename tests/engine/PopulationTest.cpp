#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "TestSupport.h"
#include "ThreadsSharing.h"
#include "config/IndividualVisitor.h"
#include "engine/FakeLispCode.h"
#include "engine/IndividualComparator.h"
#include "engine/Population.h"

namespace {
using ::testing::ExitedWithCode;

std::string Order(Population& population, bool sorted) {
  std::string text;
  for (int i = 0; i < population.Size(); ++i) {
    Individual* individual = sorted ? population.Get(i) : population.GetUnsorted(i);
    text += individual->GetChromosome()->ToString();
  }
  return text;
}

class PopulationTest : public ::testing::Test {
 protected:
  ~PopulationTest() override { population.DeleteAll(); }
  DoubleTypeFitnessIndividualLessComparator comparator;
  IndividualSorter sorter{&comparator};
  Population population{4, &sorter};
};

TEST_F(PopulationTest, GetAfterAddSortsAndGetUnsortedDoesNot) {
  population.Add(MakeIndividual("c", 3));
  population.Add(MakeIndividual("a", 1));
  population.Add(MakeIndividual("b", 2));
  EXPECT_EQ(population.Size(), 3);
  EXPECT_EQ(Order(population, false), "cab");
  EXPECT_EQ(population.Get(0)->GetChromosome()->ToString(), "a");
  EXPECT_EQ(Order(population, false), "abc");
  population.Add(MakeIndividual("z", 0));  // a change: the next Get sorts again
  EXPECT_EQ(Order(population, false), "abcz");
  EXPECT_EQ(Order(population, true), "zabc");
}

TEST_F(PopulationTest, AVisitorPassMarksThePopulationUnsorted) {
  population.Add(MakeIndividual("a", 1));
  population.Add(MakeIndividual("b", 2));
  EXPECT_EQ(Order(population, true), "ab");
  struct Invert : IndividualVisitor {
    void Visit(Individual* individual) override {
      auto* scored = dynamic_cast<DoubleTypeFitnessIndividual*>(individual);
      scored->SetFitness(-scored->GetFitness());
    }
  } invert;
  population.AcceptAll(&invert);
  EXPECT_EQ(Order(population, true), "ba");
}

// Members are published a few at a time, when the population is full, and
// on Publish, each with the thread it was added for.
TEST_F(PopulationTest, PublishedMembersKeepTheThreadTheyWereAddedFor) {
  population.Add(MakeIndividual("a", 1));
  population.Add(MakeIndividual("b", 2), 3);
  EXPECT_EQ(population.GetPublishedCount(), 0);
  population.Publish();
  EXPECT_EQ(population.GetPublishedCount(), 2);
  population.Add(MakeIndividual("c", 3));
  population.Add(MakeIndividual("d", 4));
  EXPECT_EQ(population.GetPublishedCount(), 4);
  EXPECT_EQ(population.GetPublishedPreference(0), -1);
  EXPECT_EQ(population.GetPublishedPreference(1), 3);
  EXPECT_EQ(population.GetPublished(1)->GetChromosome()->ToString(), "b");
  population.DeleteAll();
  EXPECT_EQ(population.GetPublishedCount(), 0);

  Population large(2 * Population::kPublishEvery + 1, &sorter);
  for (int i = 0; i < 2 * Population::kPublishEvery + 1; ++i) {
    large.Add(MakeIndividual("x", i));
    int added = i + 1;
    EXPECT_EQ(large.GetPublishedCount(), added == large.Capacity()
                                             ? added
                                             : added / Population::kPublishEvery * Population::kPublishEvery);
  }
  large.DeleteAll();
}

TEST_F(PopulationTest, SortIsExplicitAndDeleteAllEmpties) {
  population.Add(MakeIndividual("b", 2));
  population.Add(MakeIndividual("a", 1));
  population.Sort();
  EXPECT_EQ(Order(population, false), "ab");
  population.DeleteAll();
  EXPECT_EQ(population.Size(), 0);
}

TEST_F(PopulationTest, AddingBeyondTheCapacityIsReported) {
  for (int i = 0; i < 4; ++i) population.Add(MakeIndividual("x", i));
  EXPECT_EXIT(population.Add(nullptr), ExitedWithCode(1),
              "^" + ExactLine("Capacity 4 is full  at IndividualArray::Add\n") + "$");
}
}  // namespace

namespace {
// The sorter's own pass over the fitness values must leave exactly the order
// the comparator's quicksort leaves, ties, infinities and NaNs included (the
// order of equal individuals decides which program a log shows).
// Noted facts are there only once trusted, follow the members through a sort
// (shared or not, ties and NaNs in exactly the order the members' own values
// give), and are forgotten at any change to the members.
TEST(PopulationFactsTest, NotedFactsFollowTheirMembersUntilTheMembersChange) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  DoubleTypeFitnessIndividualLessComparator comparator;
  IndividualSorter sorter(&comparator);
  std::uint32_t state = 5;
  for (int size : {1, 9, 3000}) {
    Population noted(size + 1, &sorter);
    Population plain(size + 1, &sorter);
    for (int i = 0; i < size; ++i) {
      state = state * 1664525U + 1013904223U;
      double fitness = (state >> 8) % 61 == 0 ? nan : static_cast<double>((state >> 16) % 9);
      // Each member's size is its number: the facts must follow their own.
      class Numbered : public GPChromosome {
       public:
        explicit Numbered(int number) : GPChromosome(new FakeLispCode("n", 0.0)), number(number) {}
        int GetSize() override { return number; }

       private:
        int number;
      };
      auto* member = new DoubleTypeFitnessIndividual(new Numbered(i));
      member->SetFitness(fitness);
      noted.Add(member);
      plain.Add(member);
    }
    EXPECT_EQ(noted.GetScoredFacts(), nullptr);
    for (int i = 0; i < size; ++i) noted.NoteScored(i, noted.GetUnsorted(i));
    noted.TrustScoredFacts();
    ThreadsSharing sharing(2);
    noted.Sort(&sharing);
    plain.Sort();
    const Population::ScoredFacts* facts = noted.GetScoredFacts();
    ASSERT_NE(facts, nullptr);
    for (int i = 0; i < size; ++i) {
      ASSERT_EQ(noted.GetUnsorted(i), plain.GetUnsorted(i)) << "size " << size << ", place " << i;
      double fitness = dynamic_cast<DoubleTypeFitnessIndividual*>(noted.GetUnsorted(i))->GetFitness();
      EXPECT_TRUE(facts[i].fitness == fitness || (std::isnan(fitness) && std::isnan(facts[i].fitness)));
      EXPECT_EQ(facts[i].size, noted.GetUnsorted(i)->GetChromosome()->GetSize());
    }
    noted.Add(MakeIndividual("y", 0.0));
    EXPECT_EQ(noted.GetScoredFacts(), nullptr);
    // Sorted again without them, they stay forgotten.
    noted.Sort();
    EXPECT_EQ(noted.GetScoredFacts(), nullptr);
    noted.DeleteAll();
  }
}

TEST(IndividualSorterTest, SortingOnFitnessValuesLeavesTheComparatorsOrder) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  // With a NaN among the values and without one (the sorter compares
  // differently then).
  const double withNaN[] = {0.0, 1.0, 1.0, 2.5, -3.0, nan, inf, -inf, 1e300, 1.0, 0.0, -0.0};
  const double withoutNaN[] = {0.0, 1.0, 1.0, 2.5, -3.0, 2.0, inf, -inf, 1e300, 1.0, 0.0, -0.0};
  DoubleTypeFitnessIndividualLessComparator comparator;
  IndividualSorter fast(&comparator);
  Sorter<Individual, IndividualArray, IndividualComparator> plain(&comparator);
  std::uint32_t state = 12345;
  for (int size : {0, 1, 2, 3, 7, 64, 500}) {
    for (int round = 0; round < 40; ++round) {
      const double* pool = round % 2 == 0 ? withNaN : withoutNaN;
      IndividualArray a(size);
      IndividualArray b(size);
      for (int i = 0; i < size; ++i) {
        state = state * 1664525U + 1013904223U;
        Individual* individual = MakeIndividual("P" + std::to_string(i), pool[(state >> 16) % 12]);
        a.Add(individual);
        b.Add(individual);
      }
      fast.Sort(&a);
      plain.Sort(&b);
      for (int i = 0; i < size; ++i) ASSERT_EQ(a.Get(i), b.Get(i)) << "size " << size << " round " << round;
      for (int i = 0; i < size; ++i) {
        a.Get(i)->DeleteChromosome();
        delete a.Get(i);
      }
    }
  }
}

// Sorted on several threads (large populations only), a population is in
// exactly the order one thread leaves, ties and NaNs included; small ones
// are sorted on the calling thread alone.
TEST(IndividualSorterTest, SortingSharedAmongThreadsLeavesTheOneThreadOrder) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  DoubleTypeFitnessIndividualLessComparator comparator;
  IndividualSorter shared(&comparator);
  Sorter<Individual, IndividualArray, IndividualComparator> plain(&comparator);
  std::uint32_t state = 99;
  for (int size : {100, 2048, 5000}) {
    for (bool withNaN : {false, true}) {
      IndividualArray a(size);
      IndividualArray b(size);
      for (int i = 0; i < size; ++i) {
        state = state * 1664525U + 1013904223U;
        double fitness = static_cast<double>((state >> 16) % 7);
        if (withNaN && (state >> 8) % 50 == 0) fitness = nan;
        Individual* individual = MakeIndividual("P" + std::to_string(i), fitness);
        a.Add(individual);
        b.Add(individual);
      }
      ThreadsSharing sharing(3);
      shared.SortShared(&a, &sharing);
      plain.Sort(&b);
      for (int i = 0; i < size; ++i) ASSERT_EQ(a.Get(i), b.Get(i)) << "size " << size << ", NaN " << withNaN;
      EXPECT_EQ(sharing.ownSteps + sharing.otherSteps > 0, size >= 2048) << size;
      for (int i = 0; i < size; ++i) {
        a.Get(i)->DeleteChromosome();
        delete a.Get(i);
      }
    }
  }
}

// Any other comparator, or an individual without a fitness, is sorted by the
// comparator itself (and reported by it).
TEST(IndividualSorterTest, OtherComparatorsAndIndividualsGoThroughTheComparator) {
  class Reversed : public DoubleTypeFitnessIndividualLessComparator {
   public:
    int Compare(Individual* a, Individual* b) override {
      return DoubleTypeFitnessIndividualLessComparator::Compare(b, a);
    }
  };
  Reversed reversed;
  IndividualSorter sorter(&reversed);
  Population population(3, &sorter);
  population.Add(MakeIndividual("a", 2.0));
  population.Add(MakeIndividual("b", 1.0));
  population.Add(MakeIndividual("c", 3.0));
  EXPECT_EQ(Order(population, true), "cab");
  population.DeleteAll();

  class Plain : public Individual {
   public:
    Plain() : Individual(nullptr) {}
    void Accept(IndividualVisitor*) override {}
    std::string ToString() override { return "plain"; }
    Individual* Clone() override { return new Plain(); }
  };
  EXPECT_EXIT(
      {
        DoubleTypeFitnessIndividualLessComparator comparator;
        IndividualSorter fitnessSorter(&comparator);
        IndividualArray mixed(2);
        mixed.Add(MakeIndividual("a", 1.0));
        mixed.Add(new Plain());
        fitnessSorter.Sort(&mixed);
      },
      ExitedWithCode(1),
      "Cast from Individual to DoubleTypeFitnessIndividual failed at DoubleTypeFitnessIndividualLessComparator::Compare");
}
}  // namespace
