#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "ProgramFixture.h"
#include "TestSupport.h"
#include "programs/EvaluatingOperator.h"
#include "programs/OperatorRegister.h"

namespace {
using ::testing::ExitedWithCode;
using Calls = std::vector<std::string>;

// A function that records the size of every argument array it is given and
// returns its first entry (or 0).
class SizeProbe : public BasicFunction {
 public:
  std::vector<int> sizes;
  int Calculate(const IntArray& a) override {
    sizes.push_back(a.Size());
    return a.Size() > 0 ? a.Get(0) : 0;
  }
  double Calculate(const DoubleArray& a) override {
    sizes.push_back(-a.Size());
    return a.Size() > 0 ? a.Get(0) : 0.0;
  }
};

using EvaluatingOperatorTest = ProgramFixture;

TEST_F(EvaluatingOperatorTest, NumericResultTypeFollowsTheArguments) {
  EXPECT_EQ(RunInt(N("Plus2", {N("2"), N("3")})), 5);
  EXPECT_EQ(RunDouble(N("Plus2", {N("2"), N("0.5")})), 2.5);
  EXPECT_EQ(RunDouble(N("Plus2", {N("0.5"), N("2")})), 2.5);
  // Arguments keep their order whatever their types.
  EXPECT_EQ(RunInt(N("Subtract", {N("7"), N("2")})), 5);
  EXPECT_EQ(RunDouble(N("Subtract", {N("7"), N("2.0")})), 5.0);
  EXPECT_EQ(RunDouble(N("Subtract", {N("7.0"), N("2")})), 5.0);
  EXPECT_EQ(RunInt(N("Times2", {N("-3"), N("4")})), -12);
  // Int arithmetic wraps around.
  EXPECT_EQ(RunInt(N("Plus2", {N("2147483647"), N("1")})), INT_MIN);
  // A real function always gives a double, also over two ints.
  EXPECT_EQ(RunDouble(N("divide", {N("5"), N("2")})), 2.5);
  EXPECT_EQ(RunDouble(N("divide", {N("5"), N("0")})), 1.0);
  EXPECT_EQ(RunDouble(N("Sin", {N("0")})), 0.0);
  // Nested calls share the interpreter's scratch arrays without clobbering.
  EXPECT_EQ(RunDouble(N("Plus2", {N("Times2", {N("2"), N("3")}),
                                  N("Subtract", {N("10"), N("divide", {N("1"), N("4")})})})),
            15.75);
}

TEST_F(EvaluatingOperatorTest, BoolOperatorsAndVariables) {
  interpreter.SetIntVariable(0, 1);
  interpreter.SetIntVariable(1, 0);
  interpreter.SetIntVariable(2, -9);
  interpreter.SetDoubleVariable(6, 0.125);
  EXPECT_EQ(RunBool(N("and2", {N("b0"), N("b1")})), 0);
  EXPECT_EQ(RunBool(N("or2", {N("b0"), N("b1")})), 1);
  EXPECT_EQ(RunBool(N("nand2", {N("b0"), N("b0")})), 0);
  EXPECT_EQ(RunBool(N("nor2", {N("b1"), N("b1")})), 1);
  EXPECT_EQ(RunBool(N("not", {N("b1")})), 1);
  EXPECT_EQ(RunBool(N("not", {N("not", {N("b1")})})), 0);
  // "i2" reads int variable 2 and prints as x2; "x6" reads double variable 6.
  EXPECT_EQ(Op("i2")->GetName(), "x2");
  EXPECT_EQ(RunInt(N("i2")), -9);
  EXPECT_EQ(RunDouble(N("x6")), 0.125);
  EXPECT_EQ(RunDouble(N("Plus2", {N("i2"), N("x6")})), -8.875);
}

TEST_F(EvaluatingOperatorTest, ArgumentArraysHoldExactlyTheArguments) {
  SizeProbe probe;
  BasicOperator op("probe", -1, EvaluationKind::Evaluating, &probe);
  interpreter.Clear();
  for (int n : {2, 1, 3, 0, 3}) {
    for (int i = 0; i < n; ++i) interpreter.PushInt(10 + i);
    op.Operate(&interpreter, n);
    EXPECT_EQ(interpreter.PopType(), ValueType::Int);
    EXPECT_EQ(interpreter.PopInt(), n > 0 ? 10 : 0);
  }
  interpreter.PushDouble(0.5);
  interpreter.PushInt(1);
  op.Operate(&interpreter, 2);
  EXPECT_EQ(interpreter.PopType(), ValueType::Double);
  EXPECT_EQ(interpreter.PopDouble(), 0.5);
  EXPECT_EQ(probe.sizes, (std::vector<int>{2, 1, 3, 0, 3, -2}));
  EXPECT_EQ(interpreter.GetValueCount(), 0);
}

TEST_F(EvaluatingOperatorTest, VariableArityBeyondTheScratchArrays) {
  // 150 arguments: more than the scratch arrays hold.
  Operator* plus = Op("+");
  Operator* times = Op("*");
  EXPECT_EQ(plus->GetArity(), -1);
  EXPECT_EQ(times->GetName(), "Times");
  interpreter.Clear();
  for (int i = 1; i <= 150; ++i) interpreter.PushInt(i);
  plus->Operate(&interpreter, 150);
  EXPECT_EQ(interpreter.PopType(), ValueType::Int);
  EXPECT_EQ(interpreter.PopInt(), 150 * 151 / 2);
  for (int i = 1; i <= 149; ++i) interpreter.PushInt(1);
  interpreter.PushDouble(0.5);
  times->Operate(&interpreter, 150);
  EXPECT_EQ(interpreter.PopType(), ValueType::Double);
  EXPECT_EQ(interpreter.PopDouble(), 0.5);
  EXPECT_EQ(interpreter.GetValueCount(), 0);
  // And the small case still runs on the scratch arrays afterwards.
  interpreter.PushInt(4);
  interpreter.PushInt(5);
  plus->Operate(&interpreter, 2);
  EXPECT_EQ(interpreter.PopType(), ValueType::Int);
  EXPECT_EQ(interpreter.PopInt(), 9);
}

TEST_F(EvaluatingOperatorTest, RobotActionsInProgramOrder) {
  // Prog2 runs the move before the turn and yields the product 0.0.
  EXPECT_EQ(RunDouble(N("Prog2", {N("moveForward0"), N("turnLeft0")})), 0.0);
  EXPECT_EQ(robot.calls, (Calls{"MoveForward()", "TurnLeft()"}));
  robot.calls.clear();
  EXPECT_EQ(RunDouble(N("moveLeft2", {N("1"), N("2.5")})), 0.0);
  EXPECT_EQ(RunDouble(N("moveRight1", {N("3")})), 0.0);
  EXPECT_EQ(RunDouble(N("turnRight1", {N("0.5")})), 0.0);
  robot.reading = 2.25;
  EXPECT_EQ(RunDouble(N("sensor", {N("-1")})), 2.25);
  EXPECT_EQ(robot.calls, (Calls{"MoveLeft(1,2.5)", "MoveRight(3)", "TurnRight(0.5)", "Sensor(-1)"}));
  EXPECT_EQ(Op("moveLeft2")->GetName(), "moveLeft");
  EXPECT_EQ(Op("moveLeft2")->GetArity(), 2);
}

TEST_F(EvaluatingOperatorTest, NonArgOperatorOverAnyFunction) {
  // A non-argument function that is not a constant is asked every time.
  struct Counter : IntNonArgFunction {
    int calls = 0;
    int GetValue() override { return ++calls; }
  } counter;
  IntNonArgOperator op("count", &counter);
  struct Half : DoubleNonArgFunction {
    double GetValue() override { return 0.5; }
  } half;
  DoubleNonArgOperator dop("half", &half);
  EXPECT_EQ(RunInt(Node(&op)), 1);
  EXPECT_EQ(RunInt(Node(&op)), 2);
  EXPECT_EQ(RunDouble(Node(&dop)), 0.5);
}

using EvaluatingOperatorDeathTest = EvaluatingOperatorTest;

TEST_F(EvaluatingOperatorDeathTest, TypeErrorsEndTheRun) {
  const std::string basic =
      "^" + ExactLine("Lisp interpretation error: type error at BasicOperator::Operate\n") + "$";
  const std::string real =
      "^" + ExactLine("Lisp interpretation error: type error at DoubleOperator::Operate\n") + "$";
  const std::string logic =
      "^" + ExactLine("Lisp interpretation error: type error at BoolOperator::Operate\n") + "$";
  const std::string action =
      "^" + ExactLine("Lisp interpretation error: type error at RobotOperator::Operate\n") + "$";
  EXPECT_EXIT(Run(N("Plus2", {N("b0"), N("1")})), ExitedWithCode(1), basic);
  EXPECT_EXIT(Run(N("Plus2", {N("1"), N("b0")})), ExitedWithCode(1), basic);
  EXPECT_EXIT(Run(N("divide", {N("b0"), N("1")})), ExitedWithCode(1), real);
  EXPECT_EXIT(Run(N("and2", {N("b0"), N("1")})), ExitedWithCode(1), logic);
  EXPECT_EXIT(Run(N("not", {N("0.0")})), ExitedWithCode(1), logic);
  EXPECT_EXIT(Run(N("moveForward1", {N("b0")})), ExitedWithCode(1), action);
  // Also with more arguments than the scratch arrays hold.
  interpreter.Clear();
  for (int i = 0; i < 120; ++i) interpreter.PushInt(1);
  interpreter.PushBool(1);
  EXPECT_EXIT(Op("+")->Operate(&interpreter, 121), ExitedWithCode(1), basic);
}

TEST_F(EvaluatingOperatorDeathTest, MisusesAreReported) {
  // Too few values on the stacks: the empty type stack reports, also for a
  // count far beyond anything the stacks can hold.
  const std::string empty = "^" + ExactLine("Array index -1 is over size 0 at IntArray::Get\n") + "$";
  interpreter.Clear();
  interpreter.PushInt(1);
  EXPECT_EXIT(Op("Plus2")->Operate(&interpreter, 2), ExitedWithCode(1), empty);
  EXPECT_EXIT(Op("+")->Operate(&interpreter, INT_MAX), ExitedWithCode(1), empty);
  EXPECT_EXIT(Op("and2")->Operate(&interpreter, 1000000), ExitedWithCode(1),
              "^" + ExactLine("Lisp interpretation error: type error at BoolOperator::Operate\n") + "$");
  // A variable of an unknown value type.
  VariableOperator odd("odd", 3, 0);
  EXPECT_EXIT(odd.Operate(&interpreter), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: type error at VariableOperator::Operate\n") + "$");
  // A variable index outside the table.
  VariableOperator far("far", ValueType::Double, 20);
  EXPECT_EXIT(far.Operate(&interpreter), ExitedWithCode(1),
              "^" + ExactLine("Array index 20 is over size 20 at DoubleArray::Get\n") + "$");
  // The fixed-arity form of a variable-arity operator.
  EXPECT_EXIT(
      Op("Prog")->Operate(&interpreter), ExitedWithCode(1),
      "^" + ExactLine("Fatal error: arity = -1 for variable length arg at BasicOperator::Operate\n") + "$");
  // A robot function called with a count it has no operation for.
  interpreter.PushDouble(1.0);
  EXPECT_EXIT(Op("moveForward1")->Operate(&interpreter, 2), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: Invalid arity at FunctionMoveForward::f\n") + "$");
  // A robot action on an interpreter without a robot.
  interpreter.SetRobot(nullptr);
  EXPECT_EXIT(Run(N("moveForward0")), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: no robot is set at RobotOperator::Operate\n") + "$");
}

}  // namespace
