#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "ProgramFixture.h"
#include "TestSupport.h"
#include "programs/ConditionalOperator.h"

namespace {
using ::testing::ExitedWithCode;
using Calls = std::vector<std::string>;
using ConditionalOperatorTest = ProgramFixture;

TEST_F(ConditionalOperatorTest, IfRunsOnlyTheBranchTaken) {
  // On 0.0 the else-branch runs and the then-branch's move never happens.
  EXPECT_EQ(
      RunDouble(N("if", {N("0.0"), N("moveForward0"), N("Prog2", {N("moveBackward0"), N("turnLeft0")})})),
      0.0);
  EXPECT_EQ(robot.calls, (Calls{"MoveBackward()", "TurnLeft()"}));
  robot.calls.clear();
  EXPECT_EQ(RunDouble(N("if", {N("0.5"), N("moveForward0"), N("moveBackward0")})), 0.0);
  EXPECT_EQ(robot.calls, (Calls{"MoveForward()"}));
  robot.calls.clear();
  // Int and bool conditions; the value is that of the branch run.
  EXPECT_EQ(RunInt(N("if", {N("1"), N("7"), N("8")})), 7);
  EXPECT_EQ(RunInt(N("if", {N("0"), N("7"), N("8")})), 8);
  EXPECT_EQ(RunInt(N("if", {N("-1"), N("7"), N("8")})), 8);
  EXPECT_EQ(RunDouble(N("if", {N("-0.5"), N("7"), N("8.5")})), 8.5);
  interpreter.SetIntVariable(0, 1);
  interpreter.SetIntVariable(1, 0);
  EXPECT_EQ(RunInt(N("if", {N("b0"), N("1"), N("2")})), 1);
  EXPECT_EQ(RunInt(N("if", {N("b1"), N("1"), N("2")})), 2);
  EXPECT_EQ(RunBool(N("if", {N("b0"), N("b1"), N("b0")})), 0);
  EXPECT_TRUE(robot.calls.empty());
}

TEST_F(ConditionalOperatorTest, IflteComparesAsDoubles) {
  // a <= b runs the then-branch, also when a = b across types.
  EXPECT_EQ(RunInt(N("iflte", {N("2"), N("2.0"), N("1"), N("0")})), 1);
  EXPECT_EQ(RunInt(N("iflte", {N("1"), N("2"), N("1"), N("0")})), 1);
  EXPECT_EQ(RunInt(N("iflte", {N("3"), N("2.5"), N("1"), N("0")})), 0);
  // Exactly one action, of the branch chosen.
  interpreter.SetDoubleVariable(0, 1.0);
  interpreter.SetDoubleVariable(1, 2.0);
  EXPECT_EQ(RunDouble(N("iflte", {N("x0"), N("x1"), N("moveForward0"), N("moveBackward0")})), 0.0);
  interpreter.SetDoubleVariable(0, 3.0);
  EXPECT_EQ(RunDouble(N("iflte", {N("x0"), N("x1"), N("moveForward0"), N("moveBackward0")})), 0.0);
  EXPECT_EQ(robot.calls, (Calls{"MoveForward()", "MoveBackward()"}));
  // A comparand that is not a number runs the then-branch.
  interpreter.SetDoubleVariable(0, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(RunInt(N("iflte", {N("x0"), N("x1"), N("1"), N("0")})), 1);
  EXPECT_EQ(RunInt(N("iflte", {N("x1"), N("x0"), N("1"), N("0")})), 1);
  // Nested: the inner iflte takes its own pending arguments.
  EXPECT_EQ(RunInt(N("iflte", {N("1"), N("2"), N("iflte", {N("5"), N("4"), N("10"), N("20")}), N("30")})),
            20);
}

TEST_F(ConditionalOperatorTest, IfFoodAheadReadsTheSensorOnceStraightAhead) {
  robot.reading = 0.0;
  EXPECT_EQ(RunInt(N("ifFoodAhead", {N("1"), N("2")})), 2);
  robot.reading = 0.5;
  EXPECT_EQ(RunDouble(N("ifFoodAhead", {N("moveForward0"), N("turnLeft0")})), 0.0);
  EXPECT_EQ(robot.calls, (Calls{"Sensor(0)", "Sensor(0)", "MoveForward()"}));
  EXPECT_EQ(Op("ifFoodAhead")->GetEvaluationKind(), EvaluationKind::NonEvaluating);
}

using ConditionalOperatorDeathTest = ProgramFixture;

TEST_F(ConditionalOperatorDeathTest, ComparandsMustBeNumbers) {
  const std::string iflte =
      "^" + ExactLine("Lisp interpretation error: type error at IflteOperator::Operate\n") + "$";
  EXPECT_EXIT(Run(N("iflte", {N("b0"), N("1"), N("1"), N("0")})), ExitedWithCode(1), iflte);
  EXPECT_EXIT(Run(N("iflte", {N("1"), N("b0"), N("1"), N("0")})), ExitedWithCode(1), iflte);
  interpreter.SetRobot(nullptr);
  EXPECT_EXIT(Run(N("ifFoodAhead", {N("1"), N("2")})), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: no robot is set at IfFoodAheadOperator::Operate\n") + "$");
}

}  // namespace
