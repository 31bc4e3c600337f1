#include "problems/ObjectiveFunction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <sstream>

#include "TestSupport.h"
#include "foundation/NumericArrays.h"
#include "problems/ObjectiveFunctionRegister.h"

namespace {
using ::testing::ExitedWithCode;

std::string Report(const std::string& lines) { return "^" + ExactLine(lines) + "$"; }

double At(ObjectiveFunction& function, std::initializer_list<double> values) {
  DoubleArray x(static_cast<int>(values.size()));
  for (double v : values) x.Add(v);
  return function.Evaluate(x);
}

TEST(ObjectiveFunctionTest, ValuesAtTheOrigin) {
  Rastrigin rastrigin(10);
  EXPECT_EQ(At(rastrigin, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 0.0);
  Ackley ackley(3);
  EXPECT_EQ(At(ackley, {0, 0, 0}), 22.7182 - 20.0 - std::exp(1.0));
  EXPECT_NEAR(At(ackley, {0, 0, 0}), -0.0000818, 1e-7);
  F1 f1(1);
  EXPECT_EQ(At(f1, {0}), 0.0);
  F2 f2(1);
  EXPECT_EQ(At(f2, {0}), 0.0);
  Rosenbrock rosenbrock(2);
  EXPECT_EQ(At(rosenbrock, {0, 0}), 1.0);
  EXPECT_EQ(At(rosenbrock, {1, 1}), 0.0);
}

TEST(ObjectiveFunctionTest, ConstantsAreThoseOfTheFormulas) {
  // A period of 6.283 (not 2 pi), the factor -2.0 (not -0.2), the base 2.7.
  Rastrigin rastrigin(1);
  EXPECT_DOUBLE_EQ(At(rastrigin, {1}), 10.0 + 1.0 - 10.0 * std::cos(6.283));
  Ackley ackley(2);
  EXPECT_DOUBLE_EQ(At(ackley, {1, -1}),
                   22.7182 - 20.0 * std::exp(-2.0) - std::exp(std::cos(6.283)));
  F1 f1(1);
  double c = std::cos(2.0);
  double s = std::sin(2.0);
  EXPECT_DOUBLE_EQ(At(f1, {2}), 8.0 * c * s * std::pow(2.7, -2.0) * (s * s * c - 1.0));
  F2 f2(1);
  EXPECT_DOUBLE_EQ(At(f2, {2}), 1.4 * std::sin(4.0) * std::cos(6.0) + 0.04);
  Rosenbrock rosenbrock(3);
  EXPECT_EQ(At(rosenbrock, {2, 1, 3}), 1.0 + 100.0 * 9.0 + 0.0 + 100.0 * 4.0);
}

TEST(ObjectiveFunctionTest, OneDimensionalRosenbrockIsZeroEverywhere) {
  Rosenbrock rosenbrock(1);
  for (double x : {-3.0, 0.0, 0.5, 7.25}) EXPECT_EQ(At(rosenbrock, {x}), 0.0);
}

TEST(ObjectiveFunctionRegisterTest, CreateBuildsTheNamedFunctionWithTheDimension) {
  ObjectiveFunctionRegister functions(5);
  std::istringstream names(
      " Rosenbrock Rastrigin\nAckley x^3Cos[x]Sin[x]E^-x(Sin[x]^2Cos[x]-1) (2-0.3x)Sin[2x]Cos[3x]+0.01x^2");
  ObjectiveFunction* made[5];
  for (ObjectiveFunction*& function : made) function = functions.Create(4, names);
  EXPECT_NE(dynamic_cast<Rosenbrock*>(made[0]), nullptr);
  EXPECT_NE(dynamic_cast<Rastrigin*>(made[1]), nullptr);
  EXPECT_NE(dynamic_cast<Ackley*>(made[2]), nullptr);
  EXPECT_NE(dynamic_cast<F1*>(made[3]), nullptr);
  EXPECT_NE(dynamic_cast<F2*>(made[4]), nullptr);
  for (ObjectiveFunction* function : made) EXPECT_EQ(function->GetDimension(), 4);
  EXPECT_EQ(functions.Get("Ackley"), made[2]);
  EXPECT_EQ(functions.Get("(2-0.3x)Sin[2x]Cos[3x]+0.01x^2"), made[4]);
}

TEST(ObjectiveFunctionRegisterDeathTest, AnyOtherWordIsReported) {
  ObjectiveFunctionRegister functions(5);
  for (const char* word : {"rastrigin", "F2", "Rastrigin2", "x^3Cos[x]"}) {
    std::istringstream in(std::string(word) + " 1.0");
    EXPECT_EXIT(functions.Create(1, in), ExitedWithCode(1),
                Report("Fatal error: Objective function can not be created : " + std::string(word) +
                       " at ObjectiveFunctionRegister::Create\n"));
  }
  std::istringstream empty("  \n");
  EXPECT_EXIT(functions.Create(1, empty), ExitedWithCode(1),
              Report("Fatal error: Objective function can not be created :  at ObjectiveFunctionRegister::Create\n"));
}
}  // namespace
