// The robot actions behind the robot operators. Each calls the robot
// operation chosen by the number of arguments and returns 0.0; the sensor
// returns its reading.
#pragma once

#include "foundation/NumericArrays.h"

class Robot;

class RobotFunction {
 public:
  RobotFunction() = default;
  RobotFunction(const RobotFunction&) = delete;
  RobotFunction& operator=(const RobotFunction&) = delete;
  virtual ~RobotFunction();
  virtual double Calculate(const DoubleArray& a, Robot* robot);

 protected:
  // Reports an argument count the robot has no operation for.
  [[noreturn]] void ReportArity() const;
};

class FunctionMoveForward : public RobotFunction {
 public:
  double Calculate(const DoubleArray& a, Robot* robot) override;
};

class FunctionMoveBackward : public RobotFunction {
 public:
  double Calculate(const DoubleArray& a, Robot* robot) override;
};

// Also takes two arguments.
class FunctionMoveLeft : public RobotFunction {
 public:
  double Calculate(const DoubleArray& a, Robot* robot) override;
};

// Also takes two arguments.
class FunctionMoveRight : public RobotFunction {
 public:
  double Calculate(const DoubleArray& a, Robot* robot) override;
};

class FunctionTurnLeft : public RobotFunction {
 public:
  double Calculate(const DoubleArray& a, Robot* robot) override;
};

class FunctionTurnRight : public RobotFunction {
 public:
  double Calculate(const DoubleArray& a, Robot* robot) override;
};

// The robot's reading in the direction a[0].
class FunctionSensor : public RobotFunction {
 public:
  double Calculate(const DoubleArray& a, Robot* robot) override;
};
