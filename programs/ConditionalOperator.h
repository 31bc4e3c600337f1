// The conditionals: non-evaluating operators that evaluate their condition and
// then run exactly one branch, dropping the other unevaluated, so that the
// robot actions of a branch not taken never happen. Each takes its fixed
// number of pending arguments whatever arity it is called with. Their static
// kernels decide the branch on every evaluation path.
#pragma once

#include <cstdint>
#include <string>

#include "programs/Operator.h"
#include "programs/Robot.h"

// if(condition, then, else): then when the condition is a true bool or a
// number greater than 0.
class IfOperator : public Operator {
 public:
  explicit IfOperator(const std::string& name);
  ~IfOperator() override;
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override;

  // Whether a condition of each type runs the then-branch.
  static bool HoldsBool(int condition) { return condition == 1; }
  static bool HoldsInt(int condition) { return condition > 0; }
  static bool HoldsDouble(double condition) { return condition > 0.0; }
  // The choice for 64 cases at once, one per bit (or for a vector of such
  // words).
  template <class Word>
  static Word Choose(Word condition, Word then, Word otherwise) {
    return (condition & then) | (~condition & otherwise);
  }
};

// iflte(a, b, then, else): then when a <= b (or either is not a number).
class IflteOperator : public Operator {
 public:
  explicit IflteOperator(const std::string& name);
  ~IflteOperator() override;
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override;

  static bool RunsThen(double a, double b) { return !(a > b); }
};

// ifFoodAhead(food, otherwise): the first when the robot's sensor reads more
// than 0.0 straight ahead.
class IfFoodAheadOperator : public Operator {
 public:
  explicit IfFoodAheadOperator(const std::string& name);
  ~IfFoodAheadOperator() override;
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override;

  // Reads the sensor (once).
  static bool RunsFirst(Robot& robot) { return robot.Sensor(0.0) > 0.0; }
};
