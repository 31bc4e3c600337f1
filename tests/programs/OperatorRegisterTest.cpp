#include <gtest/gtest.h>

#include <string>

#include "ProgramFixture.h"
#include "TestSupport.h"
#include "programs/EvaluatingOperator.h"

namespace {
using ::testing::ExitedWithCode;
using OperatorRegisterTest = ProgramFixture;

TEST_F(OperatorRegisterTest, NamesAreClassifiedBeforeTheWordTable) {
  EXPECT_EQ(OperatorRegister::Classify("7"), OperatorRegister::IntLiteral);
  EXPECT_EQ(OperatorRegister::Classify("-3"), OperatorRegister::IntLiteral);
  EXPECT_EQ(OperatorRegister::Classify(""), OperatorRegister::IntLiteral);
  EXPECT_EQ(OperatorRegister::Classify("-"), OperatorRegister::IntLiteral);
  EXPECT_EQ(OperatorRegister::Classify("12.5"), OperatorRegister::RealLiteral);
  EXPECT_EQ(OperatorRegister::Classify("-2.5"), OperatorRegister::RealLiteral);
  EXPECT_EQ(OperatorRegister::Classify("5."), OperatorRegister::RealLiteral);
  EXPECT_EQ(OperatorRegister::Classify(".5"), OperatorRegister::Word);
  EXPECT_EQ(OperatorRegister::Classify("+5"), OperatorRegister::Word);
  EXPECT_EQ(OperatorRegister::Classify("1e3"), OperatorRegister::Word);
  EXPECT_EQ(OperatorRegister::Classify("1.2.3"), OperatorRegister::Word);
  EXPECT_EQ(OperatorRegister::Classify("3-"), OperatorRegister::Word);
  EXPECT_EQ(OperatorRegister::Classify("x0"), OperatorRegister::Word);
}

TEST_F(OperatorRegisterTest, LiteralsBecomeConstants) {
  EXPECT_NE(dynamic_cast<IntNonArgOperator*>(Op("7")), nullptr);
  EXPECT_EQ(RunInt(N("7")), 7);
  EXPECT_NE(dynamic_cast<DoubleNonArgOperator*>(Op("7.5")), nullptr);
  EXPECT_EQ(RunDouble(N("7.5")), 7.5);
  EXPECT_EQ(RunInt(N("-3")), -3);
  EXPECT_EQ(RunDouble(N("-2.5")), -2.5);
  EXPECT_EQ(RunDouble(N("5.")), 5.0);
  // 3 is an int constant, 3.0 a double one.
  EXPECT_EQ(RunInt(N("3")), 3);
  EXPECT_EQ(RunDouble(N("3.0")), 3.0);
  // As the C library reads them: "-" and the empty name are 0, a value
  // beyond the int range is reduced to an int.
  EXPECT_EQ(RunInt(N("-")), 0);
  EXPECT_EQ(RunInt(N("")), 0);
  EXPECT_EQ(RunInt(N("4294967297")), 1);
  // A literal prints as written.
  EXPECT_EQ(Op("1.00")->GetName(), "1.00");
  EXPECT_EQ(Op("007")->GetName(), "007");
  EXPECT_EQ(RunInt(N("007")), 7);
}

TEST_F(OperatorRegisterTest, OneOperatorPerNameAndOneConstantPerValue) {
  Operator* plus = Op("Plus2");
  EXPECT_EQ(Op("Plus2"), plus);
  // 1.0 and 1.00 are two operators over one shared constant; so are 7 and 007.
  EXPECT_NE(Op("1.0"), Op("1.00"));
  EXPECT_EQ(operators.GetDoubleConsts()->Count(), 1);
  EXPECT_EQ(operators.GetDoubleConsts()->Get(1.0)->GetValue(), 1.0);
  Op("7");
  Op("007");
  EXPECT_EQ(operators.GetIntConsts()->Count(), 1);
  // Plus2, Plus, + and Times2, * share their function objects.
  Op("Plus");
  Op("+");
  Op("Times2");
  Op("*");
  Op("Prog2");
  EXPECT_EQ(operators.GetBasicFunctions()->Count(), 3);  // Plus, Times, Prog
  EXPECT_EQ(operators.Count(), 10);
}

TEST_F(OperatorRegisterTest, WordsMakeTheirOperators) {
  struct Expected {
    const char* key;
    const char* printed;
    int arity;
    int kind;
  };
  const int E = EvaluationKind::Evaluating;
  const int L = EvaluationKind::NonEvaluating;
  for (const Expected& e :
       {Expected{"+", "+", -1, E}, Expected{"Plus2", "Plus", 2, E}, Expected{"*", "Times", -1, E},
        Expected{"Times2", "Times", 2, E}, Expected{"Prog2", "Prog2", 2, E}, Expected{"i5", "x5", 0, E},
        Expected{"and2", "and", 2, E}, Expected{"iflte", "iflte", 4, L},
        Expected{"moveRight2", "moveRight", 2, E}, Expected{"turnRight0", "turnRight", 0, E}}) {
    Operator* op = Op(e.key);
    EXPECT_EQ(op->GetName(), e.printed) << e.key;
    EXPECT_EQ(op->GetArity(), e.arity) << e.key;
    EXPECT_EQ(op->GetEvaluationKind(), e.kind) << e.key;
  }
  auto* i2 = dynamic_cast<VariableOperator*>(Op("i2"));
  ASSERT_NE(i2, nullptr);
  EXPECT_EQ(i2->GetName(), "x2");
  EXPECT_EQ(i2->GetValueType(), ValueType::Int);
  EXPECT_EQ(i2->GetIndex(), 2);
  auto* b7 = dynamic_cast<VariableOperator*>(Op("b7"));
  ASSERT_NE(b7, nullptr);
  EXPECT_EQ(b7->GetValueType(), ValueType::Bool);
  EXPECT_EQ(b7->GetIndex(), 7);
}

using OperatorRegisterDeathTest = ProgramFixture;

TEST_F(OperatorRegisterDeathTest, UnknownWordsAndAFullRegister) {
  // The one line of an unknown word, and nothing else.
  auto unknown = [](const std::string&) {
    return "^" + ExactLine("Fatal error: Operator can not be created at OperatorRegister::Create\n") + "$";
  };
  EXPECT_EXIT(Op(".5"), ExitedWithCode(1), unknown(".5"));
  EXPECT_EXIT(Op("+5"), ExitedWithCode(1), unknown("+5"));
  EXPECT_EXIT(Op("plus2"), ExitedWithCode(1), unknown("plus2"));
  EXPECT_EXIT(Op("x7"), ExitedWithCode(1), unknown("x7"));
  EXPECT_EXIT(Op("Plus2 "), ExitedWithCode(1), unknown("Plus2 "));
  // 101 names over one constant: the operator register itself is full.
  std::string name = "1.0";
  for (int i = 0; i < 100; ++i) {
    Op(name);
    name += "0";
  }
  EXPECT_EXIT(Op(name), ExitedWithCode(1),
              "^" + ExactLine("Capacity 100 is full  at OperatorRegister::Push\n") + "$");
}

}  // namespace
