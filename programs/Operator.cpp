#include "programs/Operator.h"

#include "foundation/Exception.h"

Operator::Operator(const std::string& name, int arity, int evaluationKind)
    : name(name), arity(arity), evaluationKind(evaluationKind) {}

Operator::~Operator() = default;

void Operator::Operate(LispInterpreter* interpreter) {
  if (arity == -1) {
    GetException()->FatalError("arity = -1 for variable length arg", ClassNameOf(*this), "Operate");
  }
  Operate(interpreter, arity);
}
