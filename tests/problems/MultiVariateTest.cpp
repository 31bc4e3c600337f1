#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "TestSupport.h"
#include "engine/Chromosome.h"
#include "engine/FakeLispCode.h"
#include "engine/Individual.h"
#include "problems/MultiVariate.h"
#include "run/ProblemRegister.h"

namespace {
using ::testing::ExitedWithCode;

std::string Report(const std::string& lines) { return "^" + ExactLine(lines) + "$"; }

IntArray* Bits(const std::string& digits) {
  auto* genes = new IntArray(static_cast<int>(digits.size()));
  for (char c : digits) genes->Add(c - '0');
  return genes;
}

std::vector<int> Integers(const MultiVariate& problem, const std::string& digits) {
  std::unique_ptr<IntArray> genes(Bits(digits));
  IntArray integers(problem.GetVariableCount());
  problem.DecodeGenes(*genes, integers);
  std::vector<int> values;
  for (int i = 0; i < integers.Size(); ++i) values.push_back(integers.Get(i));
  return values;
}

std::vector<double> Point(const MultiVariate& problem, const std::vector<int>& integers) {
  IntArray k(static_cast<int>(integers.size()));
  for (int v : integers) k.Add(v);
  DoubleArray x(problem.GetVariableCount());
  problem.Decode(k, x);
  std::vector<double> values;
  for (int i = 0; i < x.Size(); ++i) values.push_back(x.Get(i));
  return values;
}

double Fitness(MultiVariate& problem, const std::string& digits) {
  DoubleTypeFitnessIndividual individual(new GAChromosome(Bits(digits)));
  problem.FitnessFunction(&individual);
  return individual.GetFitness();
}

TEST(MultiVariateTest, EachVariableIsReadMostSignificantBitFirst) {
  std::istringstream file("2 3 Rastrigin 1");
  MultiVariate problem(file);
  EXPECT_EQ(problem.GetGeneCount(), 6);
  EXPECT_EQ(Integers(problem, "100011"), (std::vector<int>{4, 3}));
  EXPECT_EQ(Integers(problem, "001110"), (std::vector<int>{1, 6}));
  EXPECT_EQ(Integers(problem, "111000"), (std::vector<int>{7, 0}));
  // Only a gene equal to 1 is a one bit.
  EXPECT_EQ(Integers(problem, "120201"), (std::vector<int>{4, 1}));
}

TEST(MultiVariateTest, FileEndingAfterTheScaleGivesAPlainScaledPoint) {
  std::istringstream file("MultiVariate 1 10\nRastrigin\n0.01\n\n  \n");
  std::string name;
  file >> name;
  MultiVariate problem(file);
  EXPECT_EQ(problem.GetTranslation(), nullptr);
  EXPECT_EQ(problem.GetRotation(), nullptr);
  EXPECT_EQ(problem.GetScale(), 0.01);
  EXPECT_EQ(Integers(problem, "0000000000"), std::vector<int>{0});
  EXPECT_EQ(Integers(problem, "1111111111"), std::vector<int>{1023});
  EXPECT_EQ(Point(problem, {0}), std::vector<double>{0.0});
  EXPECT_DOUBLE_EQ(Point(problem, {1023})[0], 10.23);
  EXPECT_EQ(Fitness(problem, "0000000000"), 0.0);  // Rastrigin at the origin
}

TEST(MultiVariateTest, TranslationIsAddedAfterScaling) {
  std::istringstream file("2 4 Rastrigin 0.5 -4 1.25");
  MultiVariate problem(file);
  ASSERT_NE(problem.GetTranslation(), nullptr);
  EXPECT_EQ(problem.GetRotation(), nullptr);
  EXPECT_EQ(Point(problem, {8, 0}), (std::vector<double>{0.0, 1.25}));
  EXPECT_EQ(Point(problem, {15, 3}), (std::vector<double>{3.5, 2.75}));
  // 1000 0000 decodes to (0, 1.25).
  Rastrigin rastrigin(2);
  DoubleArray x(2);
  x.Add(0.0);
  x.Add(1.25);
  EXPECT_EQ(Fitness(problem, "10000000"), rastrigin.Evaluate(x));
}

TEST(MultiVariateTest, RotationMixesTheScaledIntegersBeforeTranslation) {
  std::istringstream file("2 3 Rosenbrock 0.5\n10 20\n1 2\n3 4\n");
  MultiVariate problem(file);
  ASSERT_NE(problem.GetRotation(), nullptr);
  EXPECT_EQ(problem.GetRotation()->Size(), 2);
  // x0 = 1*0.5*4 + 2*0.5*3 + 10, x1 = 3*0.5*4 + 4*0.5*3 + 20
  EXPECT_EQ(Point(problem, {4, 3}), (std::vector<double>{15.0, 32.0}));
  EXPECT_EQ(Fitness(problem, "100011"), 14.0 * 14.0 + 100.0 * (225.0 - 32.0) * (225.0 - 32.0));
}

TEST(MultiVariateTest, TheRegisterBuildsIt) {
  ProblemRegister problems(20);
  std::istringstream file("MultiVariate 3 5 Ackley 0.25");
  auto* problem = dynamic_cast<MultiVariate*>(problems.Create(file));
  ASSERT_NE(problem, nullptr);
  EXPECT_EQ(problem->GetVariableCount(), 3);
  EXPECT_EQ(problem->GetBitsPerVariable(), 5);
  EXPECT_NE(dynamic_cast<Ackley*>(problem->GetFunction()), nullptr);
  EXPECT_EQ(problem->GetFunction()->GetDimension(), 3);
  EXPECT_EQ(problem->IsSolved(), 0);
  Fitness(*problem, std::string(15, '1'));
  EXPECT_EQ(problem->IsSolved(), 0);
}

TEST(MultiVariateDeathTest, IncompleteTranslationOrRotation) {
  ExpectReportMaking<MultiVariate>("3 2 Rastrigin 1 0.5 0.5\n",
                                   "Fatal error: Missing transition data at MultiVariate::MultiVariate\n");
  ExpectReportMaking<MultiVariate>("2 2 Rastrigin 1 0 0 1 0\n",
                                   "Fatal error: Missing rotation data at MultiVariate::MultiVariate\n");
  ExpectReportMaking<MultiVariate>("2 2 Rastrigin 1 0 0 1 0 0",
                                   "Fatal error: Missing rotation data at MultiVariate::MultiVariate\n");
  ExpectReportMaking<MultiVariate>(
      "2 2 Rastrigin 1 0 zero",
      "Fatal error: Expected a real number for translation at MultiVariate::MultiVariate\n");
}

TEST(MultiVariateDeathTest, BadFixedFieldsAndUnknownFunction) {
  ExpectReportMaking<MultiVariate>("2 2 Sphere 1",
                                   "Fatal error: Objective function can not be created : Sphere at "
                                   "ObjectiveFunctionRegister::Create\n");
  ExpectReportMaking<MultiVariate>(
      "2 2 Ackley", "Fatal error: Expected a real number for scale at MultiVariate::MultiVariate\n");
  ExpectReportMaking<MultiVariate>(
      "2 2.5 Ackley 1",
      "Fatal error: Expected an integer for bits per variable at MultiVariate::MultiVariate\n");
}

TEST(MultiVariateDeathTest, SizesOutOfRangeAreRefusedBeforeAnythingIsMade) {
  for (const char* n : {"0", "-3"}) {
    ExpectReportMaking<MultiVariate>(
        std::string(n) + " 4 Rastrigin 1",
        "Fatal error: The number of variables must be at least 1 at MultiVariate::MultiVariate\n");
  }
  for (const char* m : {"0", "-1", "31"}) {
    ExpectReportMaking<MultiVariate>(
        std::string("2 ") + m + " Rastrigin 1",
        "Fatal error: The bits per variable must be 1 to 30 at MultiVariate::MultiVariate\n");
  }
  ExpectReportMaking<MultiVariate>(
      "100001 10 Rastrigin 1",
      "Fatal error: Too many genes: variables times bits must be at most 1000000 at "
      "MultiVariate::MultiVariate\n");
  std::istringstream widest("1 30 Rastrigin 1");
  MultiVariate problem(widest);
  EXPECT_EQ(Integers(problem, std::string(30, '1')), std::vector<int>{1073741823});
}

TEST(MultiVariateDeathTest, OnlyLongEnoughBitStringsAreScored) {
  std::istringstream file("2 3 Rastrigin 1");
  MultiVariate problem(file);
  EXPECT_EXIT(Fitness(problem, "1000"), ExitedWithCode(1),
              Report("Array index 5 is over size 4 at IntArray::Get\n"));
  std::unique_ptr<Individual> program(MakeIndividual("x", 1));
  EXPECT_EXIT(problem.FitnessFunction(program.get()), ExitedWithCode(1),
              Report("Cast from Chromosome to GAChromosome failed at MultiVariate::FitnessFunction\n"));
}
}  // namespace
