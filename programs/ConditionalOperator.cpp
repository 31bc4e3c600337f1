#include "programs/ConditionalOperator.h"

#include "foundation/Exception.h"
#include "programs/LispInterpreter.h"
#include "programs/Robot.h"

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

IfOperator::IfOperator(const std::string& name) : Operator(name, 3, EvaluationKind::NonEvaluating) {}

IfOperator::~IfOperator() = default;

void IfOperator::Operate(LispInterpreter* interpreter, int) {
  interpreter->EvaluatingPop();
  bool condition = false;
  switch (interpreter->PopType()) {
    case ValueType::Bool:
      condition = interpreter->PopBool() == 1;
      break;
    case ValueType::Int:
      condition = interpreter->PopInt() > 0;
      break;
    case ValueType::Double:
      condition = interpreter->PopDouble() > 0.0;
      break;
    default:
      ReportTypeError(*this);
  }
  RunBranch(interpreter, condition);
}

IflteOperator::IflteOperator(const std::string& name) : Operator(name, 4, EvaluationKind::NonEvaluating) {}

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
  // Not a number on either side runs the then-branch.
  RunBranch(interpreter, !(a > b));
}

IfFoodAheadOperator::IfFoodAheadOperator(const std::string& name)
    : Operator(name, 2, EvaluationKind::NonEvaluating) {}

IfFoodAheadOperator::~IfFoodAheadOperator() = default;

void IfFoodAheadOperator::Operate(LispInterpreter* interpreter, int) {
  Robot* robot = interpreter->GetRobot();
  if (robot == nullptr) GetException()->FatalError("no robot is set", ClassNameOf(*this), "Operate");
  RunBranch(interpreter, robot->Sensor(0.0) > 0.0);
}
