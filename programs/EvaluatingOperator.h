// The operators whose arguments arrive evaluated: functions of the function
// library (numeric, real, bool, robot actions), constants and variables. Each
// moves values between the interpreter's stacks and its function object,
// which it points to but does not own; none holds any state of a run.
#pragma once

#include <string>

#include "programs/BasicFunction.h"
#include "programs/BoolFunction.h"
#include "programs/DoubleFunction.h"
#include "programs/NonArgFunction.h"
#include "programs/Operator.h"
#include "programs/RobotFunction.h"

// Numeric arguments (int or double): an int result when every argument is an
// int, otherwise the arguments are widened and the result is a double.
class BasicOperator : public Operator {
 public:
  BasicOperator(const std::string& name, int arity, int evaluationKind, BasicFunction* function);
  ~BasicOperator() override;
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override;
  BasicFunction* GetFunction() const { return function; }

 private:
  BasicFunction* function;
};

// Numeric arguments widened to doubles; the result is a double.
class DoubleOperator : public Operator {
 public:
  DoubleOperator(const std::string& name, int arity, int evaluationKind, DoubleFunction* function);
  ~DoubleOperator() override;
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override;
  DoubleFunction* GetFunction() const { return function; }

 private:
  DoubleFunction* function;
};

// Bool arguments and a bool result.
class BoolOperator : public Operator {
 public:
  BoolOperator(const std::string& name, int arity, int evaluationKind, BoolFunction* function);
  ~BoolOperator() override;
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override;
  BoolFunction* GetFunction() const { return function; }

 private:
  BoolFunction* function;
};

// A robot action on the interpreter's robot: numeric arguments widened to
// doubles, a double result.
class RobotOperator : public Operator {
 public:
  RobotOperator(const std::string& name, int arity, int evaluationKind, RobotFunction* function);
  ~RobotOperator() override;
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override;
  RobotFunction* GetFunction() const { return function; }

 private:
  RobotFunction* function;
};

// A terminal pushing its function's int value.
class IntNonArgOperator : public Operator {
 public:
  IntNonArgOperator(const std::string& name, IntNonArgFunction* function);
  ~IntNonArgOperator() override;
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override;
  IntNonArgFunction* GetFunction() const { return function; }

 private:
  IntNonArgFunction* function;
  // The same object when it is a constant, whose value is then read without
  // an indirect call; null otherwise.
  IntConst* constant;
};

// A terminal pushing its function's double value.
class DoubleNonArgOperator : public Operator {
 public:
  DoubleNonArgOperator(const std::string& name, DoubleNonArgFunction* function);
  ~DoubleNonArgOperator() override;
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override;
  DoubleNonArgFunction* GetFunction() const { return function; }

 private:
  DoubleNonArgFunction* function;
  DoubleConst* constant;  // as in IntNonArgOperator
};

// An input variable of the interpreter: value type 1 reads an int variable,
// 2 a double variable, 4 an int variable pushed as a bool.
class VariableOperator : public Operator {
 public:
  VariableOperator(const std::string& name, int valueType, int index);
  ~VariableOperator() override;
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override;

  int GetValueType() const { return valueType; }
  int GetIndex() const { return index; }

 private:
  int valueType;
  int index;
};
