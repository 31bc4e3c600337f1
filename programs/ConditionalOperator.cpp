#include "programs/ConditionalOperator.h"

#include "foundation/Exception.h"
#include "programs/LispInterpreter.h"

namespace {

[[noreturn, gnu::cold, gnu::noinline]] void ReportTypeError(const Operator& op) {
  GetException()->LispInterpretationError("type error", ClassNameOf(op), "Operate");
}

// Runs the first pending argument and drops the second, or the other way round.
void RunBranch(LispInterpreter* interpreter, bool first) {
  if (first) {
    interpreter->EvaluatingPop();
    interpreter->NonEvaluatingPop();
  } else {
    interpreter->NonEvaluatingPop();
    interpreter->EvaluatingPop();
  }
}

}  // namespace

IfOperator::IfOperator(const std::string& name)
    : Operator(name, 3, EvaluationKind::NonEvaluating, OpCode::If) {}

IfOperator::~IfOperator() = default;

void IfOperator::Operate(LispInterpreter* interpreter, int) {
  interpreter->EvaluatingPop();
  bool condition = false;
  switch (interpreter->PopType()) {
    case ValueType::Bool:
      condition = HoldsBool(interpreter->PopBool());
      break;
    case ValueType::Int:
      condition = HoldsInt(interpreter->PopInt());
      break;
    case ValueType::Double:
      condition = HoldsDouble(interpreter->PopDouble());
      break;
    default:
      ReportTypeError(*this);
  }
  RunBranch(interpreter, condition);
}

IflteOperator::IflteOperator(const std::string& name)
    : Operator(name, 4, EvaluationKind::NonEvaluating, OpCode::Iflte) {}

IflteOperator::~IflteOperator() = default;

void IflteOperator::Operate(LispInterpreter* interpreter, int) {
  interpreter->EvaluatingPop();
  interpreter->EvaluatingPop();
  int typeB = interpreter->PopType();
  if (typeB != ValueType::Int && typeB != ValueType::Double) ReportTypeError(*this);
  int typeA = interpreter->PopType();
  if (typeA != ValueType::Int && typeA != ValueType::Double) ReportTypeError(*this);
  double b = typeB == ValueType::Int ? static_cast<double>(interpreter->PopInt()) : interpreter->PopDouble();
  double a = typeA == ValueType::Int ? static_cast<double>(interpreter->PopInt()) : interpreter->PopDouble();
  RunBranch(interpreter, RunsThen(a, b));
}

IfFoodAheadOperator::IfFoodAheadOperator(const std::string& name)
    : Operator(name, 2, EvaluationKind::NonEvaluating, OpCode::IfFoodAhead) {}

IfFoodAheadOperator::~IfFoodAheadOperator() = default;

void IfFoodAheadOperator::Operate(LispInterpreter* interpreter, int) {
  Robot* robot = interpreter->GetRobot();
  if (robot == nullptr) GetException()->FatalError("no robot is set", ClassNameOf(*this), "Operate");
  RunBranch(interpreter, RunsFirst(*robot));
}
