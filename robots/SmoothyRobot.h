// The robot of the continuous rooms: it moves in straight steps of a fixed
// length, backwards in half steps, drives arcs, and measures the free
// distance along a ray.
#pragma once

#include "programs/Robot.h"

class RobotRoom;

class SmoothyRobot : public Robot {
 public:
  // The room is not owned; step is the length of one step (greater than 0).
  SmoothyRobot(RobotRoom* room, double step) : step(step), room(room) {}

  // Every move with energy left makes all its steps (energy is tested once,
  // before the first); each step costs 1 energy whether or not the room
  // allows it. Without energy a move does nothing. Counts are truncated and
  // limited to kMaxSteps.
  void MoveForward() override;  // 10 steps
  void MoveForward(double n) override;
  void MoveBackward() override;  // 10 half steps backwards
  void MoveBackward(double n) override;
  void MoveLeft() override;          // radius 4, 10 steps
  void MoveLeft(double r) override;  // 10 steps
  void MoveLeft(double r, double n) override;
  void MoveRight() override;
  void MoveRight(double r) override;
  void MoveRight(double r, double n) override;
  // Free distance to the nearest blocked point along the ray in direction
  // k = trunc(|v|) mod 7 (offsets 1.0, 0.5, 0.0, -0.5, -1.0, 2.5, 3.5 from
  // the heading), counted in whole steps.
  double Sensor(double v) override;

  // Starts an episode.
  void Init(double x, double y, double heading, double energy);
  void ConsumeEnergy(double amount) { energy -= amount; }
  double GetEnergy() const { return energy; }
  double GetX() const { return x; }
  double GetY() const { return y; }
  double GetHeading() const { return heading; }
  double GetStep() const { return step; }

  // Most steps one move makes, whatever count the program computes.
  static constexpr int kMaxSteps = 100000;
  // Most points one sensor ray tests: a ray whose step is too small to
  // advance its coordinates could otherwise run for ever.
  static constexpr int kMaxRayPoints = 1000000;
  // Heading magnitude above which a turn first reduces the heading with fmod.
  static constexpr double kHeadingReduction = 1000.0;

 private:
  // Number of steps of a move with count n.
  static int StepCount(double n);
  // Turns the heading by dTheta and brings it back into 0 .. 6.28.
  void Turn(double dTheta);
  // One step along the heading (a half step against it), made if the room
  // allows it; it costs 1 energy either way.
  void StepForward();
  void StepBackward();
  // n steps on an arc of radius about r, turning left or right before each.
  void Arc(bool left, double r, double n);

  double step;
  double x = 0.0;
  double y = 0.0;
  double heading = 0.0;
  double energy = 0.0;
  RobotRoom* room;
};
