#include "robots/SmoothyRobot.h"

#include <cmath>

#include "foundation/Numeric.h"
#include "robots/RobotRoom.h"

void SmoothyRobot::Init(double startX, double startY, double startHeading, double startEnergy) {
  x = startX;
  y = startY;
  heading = startHeading;
  energy = startEnergy;
}

int SmoothyRobot::StepCount(double n) {
  int count = TruncToInt(n);
  return count > kMaxSteps ? kMaxSteps : count;
}

void SmoothyRobot::Turn(double dTheta) {
  heading += dTheta;
  // A single enormous turn would take the loop below billions of rounds; a
  // NaN heading passes the loop unchanged.
  if (std::fabs(heading) > kHeadingReduction) heading = std::fmod(heading, 6.28);
  while (heading < 0.0 || heading > 6.28) {
    if (heading < 0.0) heading += 6.28;
    if (heading > 6.28) heading -= 6.28;
  }
}

void SmoothyRobot::StepForward() {
  double targetX = x + step * std::cos(heading);
  double targetY = y + step * std::sin(heading);
  if (room->Move(x, y, targetX, targetY) == 1) {
    x = targetX;
    y = targetY;
  }
  energy -= 1.0;
}

void SmoothyRobot::StepBackward() {
  double targetX = x - 0.5 * step * std::cos(heading);
  double targetY = y - 0.5 * step * std::sin(heading);
  if (room->Move(x, y, targetX, targetY) == 1) {
    x = targetX;
    y = targetY;
  }
  energy -= 1.0;
}

void SmoothyRobot::MoveForward() { MoveForward(10.0); }

void SmoothyRobot::MoveForward(double n) {
  if (!(energy > 0.0)) return;
  int count = StepCount(n);
  for (int s = 0; s < count; ++s) StepForward();
}

void SmoothyRobot::MoveBackward() { MoveBackward(10.0); }

void SmoothyRobot::MoveBackward(double n) {
  if (!(energy > 0.0)) return;
  int count = StepCount(n);
  for (int s = 0; s < count; ++s) StepBackward();
}

void SmoothyRobot::Arc(bool left, double r, double n) {
  if (!(energy > 0.0)) return;
  if (r == 0.0) r = 1.0;
  double dTheta = left ? step / r * 0.5 : -step / r * 0.5;
  int count = StepCount(n);
  for (int s = 0; s < count; ++s) {
    Turn(dTheta);
    StepForward();
  }
}

void SmoothyRobot::MoveLeft() { MoveLeft(4.0); }
void SmoothyRobot::MoveLeft(double r) { MoveLeft(r, 10.0); }
void SmoothyRobot::MoveLeft(double r, double n) { Arc(true, r, n); }
void SmoothyRobot::MoveRight() { MoveRight(4.0); }
void SmoothyRobot::MoveRight(double r) { MoveRight(r, 10.0); }
void SmoothyRobot::MoveRight(double r, double n) { Arc(false, r, n); }

double SmoothyRobot::Sensor(double v) {
  if (v < 0.0) v = -v;
  // Directions outside 0 .. 6 (NaN or enormous arguments) add no offset.
  double offset = 0.0;
  switch (TruncToInt(v) % 7) {
    case 0:
      offset = 1.0;
      break;
    case 1:
      offset = 0.5;
      break;
    case 2:
      offset = 0.0;
      break;
    case 3:
      offset = -0.5;
      break;
    case 4:
      offset = -1.0;
      break;
    case 5:
      offset = 2.5;
      break;
    case 6:
      offset = 3.5;
      break;
    default:
      break;
  }
  double direction = heading + offset;
  double rayX = x;
  double rayY = y;
  int count = 0;
  for (int points = 0; points < kMaxRayPoints; ++points) {
    rayX += step * std::cos(direction);
    rayY += step * std::sin(direction);
    if (room->IsBlocked(rayX, rayY) == 1) break;
    ++count;
  }
  return count * step;
}
