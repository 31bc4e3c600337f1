#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>

#include "TestSupport.h"
#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "problems/Regression.h"
#include "programs/HeadLispCode.h"
#include "programs/TestOperators.h"
#include "run/ProblemRegister.h"

namespace {
using ::testing::ExitedWithCode;

std::string Report(const std::string& lines) { return "^" + ExactLine(lines) + "$"; }

const char* const kF2 = "(2-0.3x)Sin[2x]Cos[3x]+0.01x^2";

// Scores the program made of root (taken over) on problem.
double Score(Regression& problem, Head* root) {
  DoubleTypeFitnessIndividual individual(new GPChromosome(new HeadLispCode(root)));
  problem.FitnessFunction(&individual);
  return individual.GetFitness();
}

// The target written out here, summed over x = 0.0, 0.1, ... below 10.05:
// 101 points, the last one about 10.0.
TEST(RegressionTest, ProgramXScoresItsDistanceFromF2AtTheSamplePoints) {
  std::istringstream file(std::string(kF2) + " 0.0 10.0 101");
  Regression problem(file);
  DoubleVariable x("x", 0);
  double expected = 0.0;
  double point = 0.0;
  int points = 0;
  while (point < 10.05) {
    double f = (2.0 - 0.3 * point) * std::sin(2.0 * point) * std::cos(3.0 * point) + 0.01 * (point * point);
    expected += std::fabs(point - f);
    point += 0.1;
    ++points;
  }
  EXPECT_EQ(points, 101);
  EXPECT_NEAR(point - 0.1, 10.0, 1e-9);
  EXPECT_EQ(Score(problem, Node(&x)), expected);
}

TEST(RegressionTest, IntAndDoubleResultsCountAsTheirValue) {
  std::istringstream file("Rosenbrock 0 1 2");
  Regression problem(file);
  IntConstant zero("0", 0);
  IntConstant three("3", 3);
  DoubleConstant half("0.5", 0.5);
  Adder plus("Plus", 2);
  // One-dimensional Rosenbrock is 0 everywhere.
  EXPECT_EQ(Score(problem, Node(&zero)), 0.0);
  EXPECT_EQ(Score(problem, Node(&three)), 303.0);
  EXPECT_EQ(Score(problem, Node(&half)), 50.5);
  EXPECT_EQ(Score(problem, Node(&plus, {Node(&three), Node(&three)})), 606.0);
}

TEST(RegressionTest, ABooleanResultCountsAsZeroAndStaysUnpopped) {
  std::istringstream file(std::string(kF2) + " 0 10 101");
  Regression problem(file);
  BoolConstant yes("true", 1);
  IntConstant zero("0", 0);
  double zeroScore = Score(problem, Node(&zero));
  EXPECT_GT(zeroScore, 0.0);
  EXPECT_EQ(Score(problem, Node(&yes)), zeroScore);
  EXPECT_EQ(problem.GetInterpreter()->GetValueCount(), 0);  // the type was popped
  EXPECT_EQ(problem.GetInterpreter()->PopBool(), 1);        // the value was not
}

TEST(RegressionTest, TheNumbersAfterTheTargetAreKeptAndAnUnusedGridIsNamedOnce) {
  ProblemRegister problems(20);
  std::istringstream file("Regression\nx^3Cos[x]Sin[x]E^-x(Sin[x]^2Cos[x]-1)\n-1.5 8.25 42\n");
  testing::internal::CaptureStderr();
  auto* problem = dynamic_cast<Regression*>(problems.Create(file));
  std::unique_ptr<Problem> copy(problem->Clone());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Warning: The problem file asks for -1.5 to 8.25 with 42 points; regression always samples "
            "x = 0, 0.1, ..., 10 (101 points) at Regression::Regression\n");
  std::istringstream usual("Regression\nx^3Cos[x]Sin[x]E^-x(Sin[x]^2Cos[x]-1)\n0.0 10.0 101\n");
  testing::internal::CaptureStderr();
  ProblemRegister more(20);
  more.Create(usual);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_NE(problem, nullptr);
  EXPECT_NE(dynamic_cast<F1*>(problem->GetTarget()), nullptr);
  EXPECT_EQ(problem->GetTarget()->GetDimension(), 1);
  EXPECT_EQ(problem->GetFirstReal(), -1.5);
  EXPECT_EQ(problem->GetSecondReal(), 8.25);
  EXPECT_EQ(problem->GetCount(), 42);
  EXPECT_EQ(problem->IsSolved(), 0);
}

TEST(RegressionDeathTest, UnknownTargetOrMalformedNumbers) {
  ExpectReportMaking<Regression>("Sin[x] 0 10 101",
                                 "Fatal error: Objective function can not be created : Sin[x] at "
                                 "ObjectiveFunctionRegister::Create\n");
  ExpectReportMaking<Regression>(
      "Rastrigin 0 ten 101",
      "Fatal error: Expected a real number for second real at Regression::Regression\n");
  ExpectReportMaking<Regression>("Rastrigin 0 10",
                                 "Fatal error: Expected an integer for count at Regression::Regression\n");
}

TEST(RegressionDeathTest, OnlyProgramsAreScored) {
  std::istringstream file("Rastrigin 0 10 101");
  Regression problem(file);
  DoubleTypeFitnessIndividual bits(new GAChromosome(new IntArray(1)));
  EXPECT_EXIT(problem.FitnessFunction(&bits), ExitedWithCode(1),
              Report("Cast from Chromosome to GPChromosome failed at Regression::FitnessFunction\n"));
}
}  // namespace
