// The body an evolved program drives. Every action does nothing here and the
// sensor reads 0.0; concrete robots override what they can do.
#pragma once

struct Action;

class Robot {
 public:
  virtual ~Robot() = default;
  virtual void MoveForward() {}
  virtual void MoveForward(double) {}
  virtual void MoveBackward() {}
  virtual void MoveBackward(double) {}
  virtual void MoveLeft() {}
  virtual void MoveLeft(double) {}
  virtual void MoveLeft(double, double) {}
  virtual void MoveRight() {}
  virtual void MoveRight(double) {}
  virtual void MoveRight(double, double) {}
  virtual void TurnLeft() {}
  virtual void TurnLeft(double) {}
  virtual void TurnRight() {}
  virtual void TurnRight(double) {}
  virtual double Sensor(double) { return 0.0; }
  // Runs a program's robot actions (ActionList) in a loop of the robot's
  // own, doing exactly what calling the actions one by one does; false when
  // the robot has no such loop and the caller must call them.
  virtual bool RunActions(const Action*) { return false; }
};
