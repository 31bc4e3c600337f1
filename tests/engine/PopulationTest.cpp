#include "engine/Population.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/IndividualVisitor.h"
#include "engine/FakeLispCode.h"
#include "engine/IndividualComparator.h"

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
