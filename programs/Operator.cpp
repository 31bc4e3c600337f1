#include "programs/Operator.h"

#include <mutex>
#include <vector>

#include "foundation/Exception.h"

Operator* Operator::byId[Operator::kNoId] = {};

namespace {
// The numbers of operators destroyed, free again, and the next never taken.
std::mutex idMutex;
std::vector<std::uint16_t> freeIds;
std::uint32_t nextId = 0;

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
    : name(name), id(TakeId()), arity(arity), evaluationKind(evaluationKind), operation(OpCode::TreeOnly) {}

Operator::Operator(const std::string& name, int arity, int evaluationKind, OpCode operation, Operand operand)
    : name(name),
      id(TakeId()),
      arity(arity),
      evaluationKind(evaluationKind),
      operation(CompiledOperation(operation, arity, evaluationKind)),
      operand(operand) {}

Operator::~Operator() {
  if (id == kNoId) return;
  std::lock_guard<std::mutex> lock(idMutex);
  byId[id] = nullptr;
  freeIds.push_back(id);
}

std::uint16_t Operator::TakeId() {
  std::lock_guard<std::mutex> lock(idMutex);
  std::uint16_t taken = kNoId;
  if (!freeIds.empty()) {
    taken = freeIds.back();
    freeIds.pop_back();
  } else if (nextId < kNoId) {
    taken = static_cast<std::uint16_t>(nextId++);
  } else {
    return kNoId;
  }
  byId[taken] = this;
  return taken;
}

void Operator::Operate(LispInterpreter* interpreter) {
  if (arity == -1) {
    GetException()->FatalError("arity = -1 for variable length arg", ClassNameOf(*this), "Operate");
  }
  Operate(interpreter, arity);
}
