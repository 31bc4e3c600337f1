// A fixture for the operator tests: an operator register, an interpreter
// with a counting robot, and helpers that build trees by operator names and
// run them.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "CountingRobot.h"
#include "TestOperators.h"
#include "programs/OperatorRegister.h"

struct ProgramFixture : ::testing::Test {
  OperatorRegister operators{100};
  LispInterpreter interpreter;
  CountingRobot robot;

  ProgramFixture() { interpreter.SetRobot(&robot); }

  Operator* Op(const std::string& name) { return operators.Get(name); }
  // A leaf or a node of the named operator.
  Head* N(const std::string& name, std::initializer_list<Head*> children = {}) {
    return Node(Op(name), children);
  }

  // Evaluates the tree on cleared stacks, destroys it, checks that exactly
  // one value is left and returns its type code; the value stays on top.
  int Run(Head* root) {
    interpreter.Clear();
    interpreter.Evaluate(root);
    DeleteTree(root);
    EXPECT_EQ(interpreter.GetValueCount(), 1);
    EXPECT_EQ(interpreter.GetPendingCount(), 0);
    return interpreter.PopType();
  }
  int RunInt(Head* root) {
    EXPECT_EQ(Run(root), ValueType::Int);
    return interpreter.PopInt();
  }
  double RunDouble(Head* root) {
    EXPECT_EQ(Run(root), ValueType::Double);
    return interpreter.PopDouble();
  }
  int RunBool(Head* root) {
    EXPECT_EQ(Run(root), ValueType::Bool);
    return interpreter.PopBool();
  }
};
