// The conditionals: non-evaluating operators that evaluate their condition and
// then run exactly one branch, dropping the other unevaluated, so that the
// robot actions of a branch not taken never happen. Each takes its fixed
// number of pending arguments whatever arity it is called with.
#pragma once

#include <string>

#include "programs/Operator.h"

// if(condition, then, else): then when the condition is a true bool or a
// number greater than 0.
class IfOperator : public Operator {
 public:
  explicit IfOperator(const std::string& name);
  ~IfOperator() override;
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override;
};

// iflte(a, b, then, else): then when a <= b (or either is not a number).
class IflteOperator : public Operator {
 public:
  explicit IflteOperator(const std::string& name);
  ~IflteOperator() override;
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override;
};

// ifFoodAhead(food, otherwise): the first when the robot's sensor reads more
// than 0.0 straight ahead.
class IfFoodAheadOperator : public Operator {
 public:
  explicit IfFoodAheadOperator(const std::string& name);
  ~IfFoodAheadOperator() override;
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override;
};
