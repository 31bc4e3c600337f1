#include "programs/RobotFunction.h"

#include "foundation/Exception.h"
#include "programs/Robot.h"

RobotFunction::~RobotFunction() = default;

double RobotFunction::Calculate(const DoubleArray&, Robot*) { return 0.0; }

void RobotFunction::ReportArity() const {
  GetException()->FatalError("Invalid arity", ClassNameOf(*this), "f");
}

double FunctionMoveForward::Calculate(const DoubleArray& a, Robot* robot) {
  switch (a.Size()) {
    case 0:
      robot->MoveForward();
      break;
    case 1:
      robot->MoveForward(a.Get(0));
      break;
    default:
      ReportArity();
  }
  return 0.0;
}

double FunctionMoveBackward::Calculate(const DoubleArray& a, Robot* robot) {
  switch (a.Size()) {
    case 0:
      robot->MoveBackward();
      break;
    case 1:
      robot->MoveBackward(a.Get(0));
      break;
    default:
      ReportArity();
  }
  return 0.0;
}

double FunctionMoveLeft::Calculate(const DoubleArray& a, Robot* robot) {
  switch (a.Size()) {
    case 0:
      robot->MoveLeft();
      break;
    case 1:
      robot->MoveLeft(a.Get(0));
      break;
    case 2:
      robot->MoveLeft(a.Get(0), a.Get(1));
      break;
    default:
      ReportArity();
  }
  return 0.0;
}

double FunctionMoveRight::Calculate(const DoubleArray& a, Robot* robot) {
  switch (a.Size()) {
    case 0:
      robot->MoveRight();
      break;
    case 1:
      robot->MoveRight(a.Get(0));
      break;
    case 2:
      robot->MoveRight(a.Get(0), a.Get(1));
      break;
    default:
      ReportArity();
  }
  return 0.0;
}

double FunctionTurnLeft::Calculate(const DoubleArray& a, Robot* robot) {
  switch (a.Size()) {
    case 0:
      robot->TurnLeft();
      break;
    case 1:
      robot->TurnLeft(a.Get(0));
      break;
    default:
      ReportArity();
  }
  return 0.0;
}

double FunctionTurnRight::Calculate(const DoubleArray& a, Robot* robot) {
  switch (a.Size()) {
    case 0:
      robot->TurnRight();
      break;
    case 1:
      robot->TurnRight(a.Get(0));
      break;
    default:
      ReportArity();
  }
  return 0.0;
}

double FunctionSensor::Calculate(const DoubleArray& a, Robot* robot) { return robot->Sensor(a.Get(0)); }
