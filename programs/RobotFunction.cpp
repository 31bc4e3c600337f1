#include "programs/RobotFunction.h"

#include "foundation/Exception.h"

RobotFunction::~RobotFunction() = default;

double RobotFunction::Calculate(const DoubleArray&, Robot*) { return 0.0; }

void RobotFunction::ReportArity() const {
  GetException()->FatalError("Invalid arity", ClassNameOf(*this), "f");
}

double FunctionSensor::Calculate(const DoubleArray& a, Robot* robot) {
  // The direction is read (and checked) as an entry of the arguments.
  double direction = a.Get(0);
  return Act(*robot, &direction, 1);
}
