// The robot actions behind the robot operators. Each calls the robot
// operation chosen by the number of arguments and returns 0.0; the sensor
// returns its reading. Each action is also a static inline kernel (Act) over
// arguments already checked, shared with the compiled programs.
#pragma once

#include "foundation/NumericArrays.h"
#include "programs/OperatorTable.h"
#include "programs/Robot.h"

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

// A movement: Action::Act with the entries of the array. The robot has an
// operation for every count up to the most that the compiled forms give the
// movement's operation; a larger count is reported.
template <class Action, OpCode operation>
class RobotMovement : public RobotFunction {
 public:
  double Calculate(const DoubleArray& a, Robot* robot) override {
    if (a.Size() > OperationOf(operation).most) ReportArity();
    return Action::Act(*robot, a.Data(), a.Size());
  }
};

class FunctionMoveForward : public RobotMovement<FunctionMoveForward, OpCode::MoveForward> {
 public:
  static double Act(Robot& robot, const double* v, int n) {
    n == 0 ? robot.MoveForward() : robot.MoveForward(v[0]);
    return 0.0;
  }
};

class FunctionMoveBackward : public RobotMovement<FunctionMoveBackward, OpCode::MoveBackward> {
 public:
  static double Act(Robot& robot, const double* v, int n) {
    n == 0 ? robot.MoveBackward() : robot.MoveBackward(v[0]);
    return 0.0;
  }
};

// Also takes two arguments.
class FunctionMoveLeft : public RobotMovement<FunctionMoveLeft, OpCode::MoveLeft> {
 public:
  static double Act(Robot& robot, const double* v, int n) {
    n == 0 ? robot.MoveLeft() : n == 1 ? robot.MoveLeft(v[0]) : robot.MoveLeft(v[0], v[1]);
    return 0.0;
  }
};

// Also takes two arguments.
class FunctionMoveRight : public RobotMovement<FunctionMoveRight, OpCode::MoveRight> {
 public:
  static double Act(Robot& robot, const double* v, int n) {
    n == 0 ? robot.MoveRight() : n == 1 ? robot.MoveRight(v[0]) : robot.MoveRight(v[0], v[1]);
    return 0.0;
  }
};

class FunctionTurnLeft : public RobotMovement<FunctionTurnLeft, OpCode::TurnLeft> {
 public:
  static double Act(Robot& robot, const double* v, int n) {
    n == 0 ? robot.TurnLeft() : robot.TurnLeft(v[0]);
    return 0.0;
  }
};

class FunctionTurnRight : public RobotMovement<FunctionTurnRight, OpCode::TurnRight> {
 public:
  static double Act(Robot& robot, const double* v, int n) {
    n == 0 ? robot.TurnRight() : robot.TurnRight(v[0]);
    return 0.0;
  }
};

// The robot's reading in the direction a[0].
class FunctionSensor : public RobotFunction {
 public:
  double Calculate(const DoubleArray& a, Robot* robot) override;
  static double Act(Robot& robot, const double* v, int) { return robot.Sensor(v[0]); }
};
