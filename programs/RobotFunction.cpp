#include "programs/RobotFunction.h"

#include "foundation/Exception.h"
#include "programs/OperatorTable.h"

namespace {
// The robot has an operation for every count of arguments up to the most
// that the compiled forms give the action.
constexpr int MostArguments(OpCode action) { return OperationOf(action).most; }
}  // namespace

RobotFunction::~RobotFunction() = default;

double RobotFunction::Calculate(const DoubleArray&, Robot*) { return 0.0; }

void RobotFunction::ReportArity() const {
  GetException()->FatalError("Invalid arity", ClassNameOf(*this), "f");
}

double FunctionMoveForward::Calculate(const DoubleArray& a, Robot* robot) {
  return ActOn<FunctionMoveForward>(a, robot, MostArguments(OpCode::MoveForward));
}

double FunctionMoveBackward::Calculate(const DoubleArray& a, Robot* robot) {
  return ActOn<FunctionMoveBackward>(a, robot, MostArguments(OpCode::MoveBackward));
}

double FunctionMoveLeft::Calculate(const DoubleArray& a, Robot* robot) {
  return ActOn<FunctionMoveLeft>(a, robot, MostArguments(OpCode::MoveLeft));
}

double FunctionMoveRight::Calculate(const DoubleArray& a, Robot* robot) {
  return ActOn<FunctionMoveRight>(a, robot, MostArguments(OpCode::MoveRight));
}

double FunctionTurnLeft::Calculate(const DoubleArray& a, Robot* robot) {
  return ActOn<FunctionTurnLeft>(a, robot, MostArguments(OpCode::TurnLeft));
}

double FunctionTurnRight::Calculate(const DoubleArray& a, Robot* robot) {
  return ActOn<FunctionTurnRight>(a, robot, MostArguments(OpCode::TurnRight));
}

double FunctionSensor::Calculate(const DoubleArray& a, Robot* robot) {
  // The direction is read (and checked) as an entry of the arguments.
  double direction = a.Get(0);
  return Act(*robot, &direction, 1);
}
