// Robots of the grid rooms: AntRobot steps cell by cell and senses food
// ahead; HPAntRobot reads the chain of residues around it instead.
#pragma once

#include "programs/Robot.h"

class AntRoom;
class HPAntRoom;

class AntRobot : public Robot {
 public:
  // The room is not owned.
  explicit AntRobot(AntRoom* room) : room(room) {}

  // The forms with arguments stay those of Robot and do nothing.
  using Robot::MoveBackward;
  using Robot::MoveForward;
  using Robot::MoveLeft;
  using Robot::MoveRight;
  using Robot::TurnLeft;
  using Robot::TurnRight;

  // Steps and turns; a step costs 1 energy whether or not the room allows it,
  // and does nothing without energy. Turns are free.
  void MoveForward() override;
  void MoveBackward() override;
  void MoveLeft() override;
  void MoveRight() override;
  void TurnLeft() override;
  void TurnRight() override;
  // 1.0 when the cell ahead holds food, else -1.0; the argument is ignored.
  double Sensor(double v) override;
  // The actions in a loop that calls this class's own steps, turns and
  // sensor directly; only for an AntRobot itself (a subclass may override
  // them).
  bool RunActions(const Action* actions) override;
  // The same over an episode: the actions again and again, each time at a
  // cost of 1 energy, until the energy is no longer greater than 0.
  bool RunActionEpisode(const Action* actions);
  // Whether RunActions and RunActionEpisode run here (an AntRobot itself).
  bool HasActionLoop() const;
  // The direction d turned by k quarter turns, corrected once into 0 .. 3.
  virtual int TurnBy(int d, int k);

  // Starts an episode. Direction 0 faces x + 1, 1 faces y + 1, 2 faces x - 1,
  // 3 faces y - 1.
  void Init(int x, int y, int direction, double energy);
  void ConsumeEnergy(double amount) { energy -= amount; }
  double GetEnergy() const { return energy; }
  int GetX() const { return x; }
  int GetY() const { return y; }
  int GetDirection() const { return direction; }

 protected:
  // Unit offset of direction d; any value other than 0 .. 3 gives none.
  static void Offset(int d, int& dx, int& dy);
  // Coordinate plus an offset of -1, 0 or 1, saturating at the int range
  // (such a cell is out of every room and is reported by the room).
  static int Shift(int value, int offset);
  // One step to the neighbour in direction d.
  void StepTowards(int d);
  // The same, and whether there is food ahead, inlined where called.
  void Step(int d);
  bool FoodAhead() const;
  // One run of the actions, or all the runs of an episode.
  void RunActionLoop(const Action* actions, bool wholeEpisode);
  // The same with the place, direction and energy kept in registers and the
  // room's cells read directly: for an ant inside a room whose steps are the
  // food room's own, unrecorded, facing one of the four directions; false
  // (nothing run) otherwise.
  bool RunCellLoop(const Action* actions, bool wholeEpisode);

  int x = 0;
  int y = 0;
  int direction = 0;
  double energy = 0.0;
  AntRoom* room;
};

class HPAntRobot : public AntRobot {
 public:
  explicit HPAntRobot(HPAntRoom* room);

  // Reading k = trunc(v) remainder 11 (sign of v): up to 3 the residue on the
  // side k (0 ahead, then turning left), 4 .. 7 the diagonals in the same
  // order, 8 the robot's own cell, 9 and 10 the next two residues to place.
  double Sensor(double v) override;

 private:
  HPAntRoom* hpRoom;
};
