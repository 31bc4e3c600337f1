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

// An operator over a function object of the family Function (not owned).
// The operator register names the operation its word stands for; operators
// made without one leave every node to their own Operate.
template <class Function>
class FunctionOperator : public Operator {
 public:
  FunctionOperator(const std::string& name, int arity, int evaluationKind, Function* function,
                   OpCode operation = OpCode::Operate)
      : Operator(name, arity, evaluationKind, operation), function(function) {}
  Function* GetFunction() const { return function; }

 protected:
  Function* function;
};

// Numeric arguments (int or double): an int result when every argument is an
// int, otherwise the arguments are widened and the result is a double.
class BasicOperator : public FunctionOperator<BasicFunction> {
 public:
  using FunctionOperator::FunctionOperator;
  ~BasicOperator() override;
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override;
};

// Numeric arguments widened to doubles; the result is a double.
class DoubleOperator : public FunctionOperator<DoubleFunction> {
 public:
  using FunctionOperator::FunctionOperator;
  ~DoubleOperator() override;
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override;
};

// Bool arguments and a bool result.
class BoolOperator : public FunctionOperator<BoolFunction> {
 public:
  using FunctionOperator::FunctionOperator;
  ~BoolOperator() override;
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override;
};

// A robot action on the interpreter's robot: numeric arguments widened to
// doubles, a double result.
class RobotOperator : public FunctionOperator<RobotFunction> {
 public:
  using FunctionOperator::FunctionOperator;
  ~RobotOperator() override;
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override;
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
