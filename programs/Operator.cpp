#include "programs/Operator.h"

#include "foundation/Exception.h"

namespace {
// What the compiled forms may make of an operator of the library.
OpCode CompiledOperation(OpCode operation, int arity, int evaluationKind) {
  const Operation& row = OperationOf(operation);
  bool conditional = row.typing == Typing::Branch;
  int kind = conditional ? EvaluationKind::NonEvaluating : EvaluationKind::Evaluating;
  if (operation == OpCode::TreeOnly || evaluationKind != kind) return OpCode::TreeOnly;
  if (arity >= row.fewest && arity <= row.most) return operation;
  // A conditional takes its fixed arguments whatever its arity.
  return conditional ? OpCode::TreeOnly : OpCode::Operate;
}
}  // namespace

Operator::Operator(const std::string& name, int arity, int evaluationKind)
    : name(name), arity(arity), evaluationKind(evaluationKind), operation(OpCode::TreeOnly) {}

Operator::Operator(const std::string& name, int arity, int evaluationKind, OpCode operation, Operand operand)
    : name(name),
      arity(arity),
      evaluationKind(evaluationKind),
      operation(CompiledOperation(operation, arity, evaluationKind)),
      operand(operand) {}

Operator::~Operator() = default;

void Operator::Operate(LispInterpreter* interpreter) {
  if (arity == -1) {
    GetException()->FatalError("arity = -1 for variable length arg", ClassNameOf(*this), "Operate");
  }
  Operate(interpreter, arity);
}
