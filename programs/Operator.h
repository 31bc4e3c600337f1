// The node type of an evolved program: a shared, read-only object with a
// printed name, a number of arguments and a way of having them evaluated.
// Also the value type codes of the interpreter's stacks and the evaluation kinds.
#pragma once

#include <cstdint>
#include <string>

#include "programs/OperatorTable.h"

class LispInterpreter;

// Type codes of the values on the interpreter's stacks.
struct ValueType {
  static constexpr int Int = 1;     // 32-bit signed, on the int stack
  static constexpr int Double = 2;  // 64-bit IEEE, on the double stack
  static constexpr int Bool = 4;    // an int 0 or 1, on the bool stack
};

// How the interpreter hands a node its arguments.
struct EvaluationKind {
  // Every argument is evaluated, left to right, before Operate runs.
  static constexpr int Evaluating = 1;
  // The arguments reach Operate unevaluated, as pending arguments; Operate
  // evaluates (EvaluatingPop) or drops (NonEvaluatingPop) each of them.
  static constexpr int NonEvaluating = 6;
};

// What a leaf instruction pushes: a constant's value, or a variable's index.
struct Operand {
  int index = 0;
  int intValue = 0;
  double doubleValue = 0.0;
};

class Operator {
 public:
  // Arity -1 means a variable number of arguments. An operator made this way
  // is run by the tree walk only.
  Operator(const std::string& name, int arity, int evaluationKind);
  Operator(const Operator&) = delete;
  Operator& operator=(const Operator&) = delete;
  virtual ~Operator();

  // Applies the operator to `arity` arguments (the arity of the node being run).
  virtual void Operate(LispInterpreter* interpreter, int arity) = 0;
  // The fixed-arity form: the operator's own arity; refused for arity -1.
  virtual void Operate(LispInterpreter* interpreter);

  int GetArity() const { return arity; }
  const std::string& GetName() const { return name; }

  // Each operator alive has a number of its own, by which flat programs
  // name their nodes' operators in two bytes; kNoId when all are taken.
  static constexpr std::uint16_t kNoId = 0xFFFF;
  std::uint16_t GetId() const { return id; }
  // The operator alive with number id (below kNoId).
  static Operator* ById(std::uint16_t id) { return byId[id]; }
  int GetEvaluationKind() const { return evaluationKind; }
  // Net change of the number of values on the stacks when the node runs.
  int GetStackEffect() const { return 1 - arity; }

  // The instruction the compiled forms make of a node of this operator
  // (OpCode::TreeOnly: only the tree walk may run a program holding it),
  // and what a leaf's instruction pushes.
  OpCode GetOperation() const { return operation; }
  const Operand& GetOperand() const { return operand; }

 protected:
  // For the operator classes of the library: operation is what the compiled
  // forms compute for the operator. With an arity outside the operation's
  // bounds the compiled forms call Operate instead; with an evaluation kind
  // other than the operation's, they leave the operator to the tree walk.
  Operator(const std::string& name, int arity, int evaluationKind, OpCode operation, Operand operand = {});

 private:
  // A free number for this operator, or kNoId.
  std::uint16_t TakeId();

  static Operator* byId[kNoId];

  std::string name;
  std::uint16_t id;
  int arity;
  int evaluationKind;
  OpCode operation;
  Operand operand;
};
