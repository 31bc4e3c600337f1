#include "engine/Individual.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "TestSupport.h"
#include "config/IndividualVisitor.h"
#include "engine/Chromosome.h"
#include "engine/FakeLispCode.h"
#include "engine/IndividualComparator.h"
#include "foundation/NumericArrays.h"
#include "foundation/Utility.h"

namespace {
using ::testing::ExitedWithCode;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// An individual of another kind, to provoke the cast reports.
class PlainIndividual : public Individual {
 public:
  PlainIndividual() : Individual(new GPChromosome(new FakeLispCode("x", 0))) {}
  void Accept(IndividualVisitor* visitor) override { visitor->Visit(this); }
  std::string ToString() override { return "plain"; }
  Individual* Clone() override { return new PlainIndividual(); }
};

TEST(IndividualTest, FitnessPrintsInPercentGForm) {
  std::unique_ptr<DoubleTypeFitnessIndividual> individual(MakeIndividual("x", 0.25));
  EXPECT_EQ(individual->ToString(), "0.25");
  individual->SetFitness(12);
  EXPECT_EQ(individual->ToString(), "12");
  individual->SetFitness(1000000);
  EXPECT_EQ(individual->ToString(), "1E+06");
  individual->SetFitness(1.5e7);
  EXPECT_EQ(individual->ToString(), "1.5E+07");
  individual->SetFitness(-0.000012345678);
  EXPECT_EQ(individual->ToString(), "-1.23457E-05");
  individual->SetFitness(kNaN);
  EXPECT_EQ(individual->ToString(), "NAN");
}

TEST(IndividualTest, CloneIsDeep) {
  std::unique_ptr<DoubleTypeFitnessIndividual> source(MakeIndividual("Plus[x0,1]", 3.5));
  std::unique_ptr<Individual> clone(source->Clone());
  auto* scored = dynamic_cast<DoubleTypeFitnessIndividual*>(clone.get());
  ASSERT_NE(scored, nullptr);
  EXPECT_EQ(scored->GetFitness(), 3.5);
  EXPECT_NE(clone->GetChromosome(), source->GetChromosome());
  EXPECT_NE(FakeCodeOf(clone.get()), FakeCodeOf(source.get()));
  FakeCodeOf(clone.get())->Set("Minus[x0,1]", 9);
  EXPECT_EQ(source->GetChromosome()->ToString(), "Plus[x0,1]");
  EXPECT_EQ(clone->GetChromosome()->ToString(), "Minus[x0,1]");
  EXPECT_EQ(clone->GetChromosome()->ToSaveString(), "Minus[x0,1]\t0\n");
}

TEST(IndividualTest, DeleteChromosomeReleasesTheProgramOnce) {
  std::unique_ptr<DoubleTypeFitnessIndividual> individual(MakeIndividual("x", 1));
  individual->DeleteChromosome();
  EXPECT_EQ(individual->GetChromosome(), nullptr);
  individual->DeleteChromosome();  // nothing left to release
  // An individual deleted without DeleteChromosome still releases its
  // program (checked by LeakSanitizer).
  delete MakeIndividual("y", 2);
}

TEST(IndividualTest, GPChromosomeGivesItsCodeWithoutCopying) {
  auto* code = new FakeLispCode("Times[x0,x1]", 0);
  GPChromosome chromosome(code);
  EXPECT_EQ(chromosome.GetCode(), code);
  // Not a flat program: nothing for breeding in parts to read.
  EXPECT_EQ(chromosome.BreedingForm(), nullptr);
  EXPECT_EQ(chromosome.ToString(), "Times[x0,x1]");
  std::unique_ptr<Chromosome> copy(chromosome.Clone());
  EXPECT_NE(dynamic_cast<GPChromosome*>(copy.get())->GetCode(), code);
  chromosome.DeleteContents();
}

TEST(IndividualTest, GAChromosomeHoldsAndCopiesItsBits) {
  auto* bits = new IntArray(4);
  for (int bit : {0, 1, 1, 0}) bits->Add(bit);
  GAChromosome chromosome(bits);
  EXPECT_EQ(chromosome.GetGenes(), bits);
  // Its form for breeding in parts once prepared, packed: gene i is bit i.
  EXPECT_EQ(chromosome.BreedingForm(), nullptr);
  chromosome.PrepareForSharing();
  const auto* form = static_cast<const GAChromosome::Form*>(chromosome.BreedingForm());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->genes, bits);
  EXPECT_EQ(form->length, 4);
  EXPECT_EQ(form->capacity, 4);
  EXPECT_TRUE(form->packed);
  EXPECT_EQ(form->bits[0], 0b0110U);
  // Reading leaves it; genes that may be changed drop it.
  EXPECT_EQ(chromosome.ReadGenes(), bits);
  EXPECT_EQ(chromosome.BreedingForm(), form);
  EXPECT_EQ(chromosome.GetGenes(), bits);
  EXPECT_EQ(chromosome.BreedingForm(), nullptr);
  EXPECT_EQ(chromosome.ToString(), "0110");
  std::unique_ptr<Chromosome> copy(chromosome.Clone());
  auto* genes = dynamic_cast<GAChromosome*>(copy.get())->GetGenes();
  ASSERT_NE(genes, bits);
  genes->Set(0, 1);
  EXPECT_EQ(chromosome.ToString(), "0110");
  EXPECT_EQ(copy->ToString(), "1110");
  chromosome.DeleteContents();
  EXPECT_EQ(chromosome.GetGenes(), nullptr);
  EXPECT_EQ(chromosome.ToString(), "");
  std::unique_ptr<Chromosome> empty(chromosome.Clone());
  EXPECT_EQ(dynamic_cast<GAChromosome*>(empty.get())->GetGenes()->Size(), 0);
}

// Packed forms across words, and strings that are not packed: a gene other
// than 0 or 1, more genes than are packed.
TEST(IndividualTest, GAChromosomeFormsPackOnlyStringsOfBits) {
  auto make = [](int length, int two) {
    auto* genes = new IntArray(length + 3);
    for (int i = 0; i < length; ++i) genes->Add(i == two ? 2 : (i * 7 + i / 5) % 3 == 0 ? 1 : 0);
    auto chromosome = std::make_unique<GAChromosome>(genes);
    chromosome->PrepareForSharing();
    return chromosome;
  };
  std::unique_ptr<GAChromosome> words = make(130, -1);
  const auto* form = static_cast<const GAChromosome::Form*>(words->BreedingForm());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->length, 130);
  EXPECT_EQ(form->capacity, 133);
  ASSERT_TRUE(form->packed);
  for (int i = 0; i < 130; ++i) {
    EXPECT_EQ(static_cast<int>((form->bits[i / 64] >> (i % 64)) & 1U), words->ReadGenes()->Get(i)) << i;
  }
  for (int length : {40, GAChromosome::kMostPacked + 1}) {
    std::unique_ptr<GAChromosome> string = make(length, length == 40 ? 39 : -1);
    form = static_cast<const GAChromosome::Form*>(string->BreedingForm());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->genes, string->ReadGenes());
    EXPECT_FALSE(form->packed);
  }
  // Destroyed genes leave no form.
  words->DeleteContents();
  EXPECT_EQ(words->BreedingForm(), nullptr);
}

TEST(IndividualTest, BitStringIndividualsCloneDeeplyWithTheirFitness) {
  auto* bits = new IntArray(3);
  for (int bit : {1, 0, 1}) bits->Add(bit);
  DoubleTypeFitnessIndividual individual(new GAChromosome(bits));
  individual.SetFitness(2.5);
  std::unique_ptr<Individual> copy(individual.Clone());
  bits->Set(1, 1);
  EXPECT_EQ(copy->GetChromosome()->ToString(), "101");
  EXPECT_EQ(copy->GetChromosome()->ToSaveString(), "101");
  EXPECT_EQ(copy->ToString(), "2.5");
  copy->DeleteChromosome();
  EXPECT_EQ(copy->GetChromosome(), nullptr);
}

TEST(ComparatorTest, LowerFitnessComesFirstAndEqualIsZero) {
  DoubleTypeFitnessIndividualLessComparator comparator;
  std::unique_ptr<Individual> low(MakeIndividual("a", -1.5));
  std::unique_ptr<Individual> high(MakeIndividual("b", 2));
  std::unique_ptr<Individual> high2(MakeIndividual("c", 2));
  EXPECT_EQ(comparator.Compare(low.get(), high.get()), 1);
  EXPECT_EQ(comparator.Compare(high.get(), low.get()), -1);
  EXPECT_EQ(comparator.Compare(high.get(), high2.get()), 0);
  EXPECT_EQ(comparator.Compare(high.get(), high.get()), 0);
}

TEST(ComparatorTest, NaNIsWorseThanEveryNumberAndEqualToNaN) {
  DoubleTypeFitnessIndividualLessComparator comparator;
  std::unique_ptr<Individual> nan(MakeIndividual("n", kNaN));
  std::unique_ptr<Individual> nan2(MakeIndividual("m", -kNaN));
  std::unique_ptr<Individual> big(MakeIndividual("b", std::numeric_limits<double>::infinity()));
  EXPECT_EQ(comparator.Compare(big.get(), nan.get()), 1);
  EXPECT_EQ(comparator.Compare(nan.get(), big.get()), -1);
  EXPECT_EQ(comparator.Compare(nan.get(), nan2.get()), 0);
}

TEST(ComparatorTest, SortingWithNaNsPutsEveryNumberFirst) {
  DoubleTypeFitnessIndividualLessComparator comparator;
  IndividualSorter sorter(&comparator);
  GetUtility()->Seed(5);
  for (int round = 0; round < 200; ++round) {
    int size = 1 + GetUtility()->RandomInt(12);
    IndividualArray array(size);
    int numbers = 0;
    for (int i = 0; i < size; ++i) {
      bool isNaN = GetUtility()->RandomInt(3) == 0;
      numbers += isNaN ? 0 : 1;
      array.Add(MakeIndividual("x", isNaN ? kNaN : GetUtility()->RandomInt(5)));
    }
    sorter.Sort(&array);
    for (int i = 0; i < size; ++i) {
      double f = dynamic_cast<DoubleTypeFitnessIndividual*>(array.Get(i))->GetFitness();
      EXPECT_EQ(std::isnan(f), i >= numbers) << "round " << round << " index " << i;
      if (i > 0 && i < numbers) {
        EXPECT_LE(dynamic_cast<DoubleTypeFitnessIndividual*>(array.Get(i - 1))->GetFitness(), f);
      }
    }
    array.DeleteAll();
  }
}

TEST(ComparatorDeathTest, OtherIndividualsAreCastReports) {
  DoubleTypeFitnessIndividualLessComparator comparator;
  PlainIndividual plain;
  std::unique_ptr<Individual> scored(MakeIndividual("a", 1));
  EXPECT_EXIT(comparator.Compare(scored.get(), &plain), ExitedWithCode(1),
              "^" +
                  ExactLine("Cast from Individual to DoubleTypeFitnessIndividual failed at "
                            "DoubleTypeFitnessIndividualLessComparator::Compare\n") +
                  "$");
}

TEST(ComparatorTest, SorterWithoutComparatorWarnsUnderItsOwnName) {
  IndividualSorter sorter(nullptr);
  IndividualArray array(2);
  array.Add(MakeIndividual("b", 2));
  array.Add(MakeIndividual("a", 1));
  testing::internal::CaptureStderr();
  sorter.Sort(&array);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Warning: Not Sorted at IndividualSorter::Sort\n");
  EXPECT_EQ(array.Get(0)->GetChromosome()->ToString(), "b");
  array.DeleteAll();
}
}  // namespace
