#include <gtest/gtest.h>

#include "TestOperators.h"
#include "TestSupport.h"

namespace {
using ::testing::ExitedWithCode;

TEST(OperatorTest, AccessorsAndStackEffect) {
  IntConstant one("1", 1);
  Adder negate("Negate", 1);
  Adder plus("Plus", 2);
  Adder plus4("Plus4", 4);
  EXPECT_EQ(one.GetName(), "1");
  EXPECT_EQ(one.GetArity(), 0);
  EXPECT_EQ(one.GetEvaluationKind(), EvaluationKind::Evaluating);
  EXPECT_EQ(one.GetStackEffect(), 1);
  EXPECT_EQ(negate.GetStackEffect(), 0);
  EXPECT_EQ(plus.GetStackEffect(), -1);
  EXPECT_EQ(plus4.GetStackEffect(), -3);
  RunLog log;
  BranchIf branch("if", &log);
  EXPECT_EQ(branch.GetEvaluationKind(), EvaluationKind::NonEvaluating);
  EXPECT_EQ(branch.GetStackEffect(), -2);
  EXPECT_EQ(ValueType::Int, 1);
  EXPECT_EQ(ValueType::Double, 2);
  EXPECT_EQ(ValueType::Bool, 4);
}

TEST(OperatorTest, FixedArityFormUsesTheOperatorsArity) {
  LispInterpreter interpreter;
  Adder plus("Plus", 2);
  interpreter.PushInt(2);
  interpreter.PushInt(3);
  Operator* op = &plus;
  op->Operate(&interpreter);
  EXPECT_EQ(interpreter.PopType(), ValueType::Int);
  EXPECT_EQ(interpreter.PopInt(), 5);
  EXPECT_EQ(interpreter.GetValueCount(), 0);
}

TEST(OperatorDeathTest, VariableArityWorksOnlyWithAnExplicitArity) {
  LispInterpreter interpreter;
  Adder plus("Plus", -1);
  EXPECT_EQ(plus.GetStackEffect(), 2);
  for (int v : {1, 2, 3}) interpreter.PushInt(v);
  interpreter.PushDouble(0.5);
  plus.Operate(&interpreter, 4);
  EXPECT_EQ(interpreter.PopType(), ValueType::Double);
  EXPECT_EQ(interpreter.PopDouble(), 6.5);
  interpreter.PushInt(1);
  EXPECT_EXIT(plus.Operate(&interpreter), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: arity = -1 for variable length arg at Adder::Operate\n") + "$");
}

}  // namespace
