// The ant problem: a program drives an AntRobot cell by cell through a grid
// room and scores one for every food cell the robot steps onto.
#pragma once

#include <istream>
#include <memory>
#include <string>

#include "foundation/Point.h"
#include "robots/AntRobot.h"
#include "robots/AntRoom.h"
#include "robots/RobotEpisode.h"

class Ant : public RobotEpisodeProblem<AntRoom, AntRobot> {
 public:
  // Reads, after the name: room width, room height, robot x, robot y and
  // direction (0 to 3, others are refused) as integers, energy as a real, then food cells as x-y
  // pairs up to the first pair that cannot be read in full (at most
  // kFoodCapacity). The room's interior is 1 .. width by 1 .. height; a start
  // cell or food outside it is reported as the file is read, after a warning
  // naming the cell.
  explicit Ant(std::istream& in);

  // A copy with its own interpreter, room (walls taken over) and robot.
  Problem* Clone() override;
  // Gives the room a fresh recorder of kRecorderCapacity cells (one still
  // attached is destroyed); cells beyond it are not recorded.
  void StartRecording() override;
  // Writes "{" the entered cells "{%d,%d}" separated by "," "}" and an end of
  // line, then destroys the recorder. Without one it writes "{}".
  void WriteRecording(MultiStream* stream) override;

  int GetWidth() const { return width; }
  int GetHeight() const { return height; }
  int GetStartX() const { return startX; }
  int GetStartY() const { return startY; }
  int GetStartDirection() const { return startDirection; }
  double GetEnergy() const { return energy; }
  const IntPointArray& GetFoods() const { return foods; }

  static constexpr int kFoodCapacity = 1000;
  static constexpr int kRecorderCapacity = 100000;

 private:
  // Whether (x, y) lies in the room's interior, 1 .. width by 1 .. height.
  bool Inside(int x, int y) const;
  static std::string CellText(int x, int y);
  std::string InteriorText() const;
  Ant(const Ant& other);
  // Robot from the start values, the food put back.
  void StartEpisode() override;
  // -1 times the number of food cells eaten.
  double EpisodeFitness() override;
  // The cells the robot entered and the food it ate.
  std::unique_ptr<Recording> TakeRecording() override;

  int width = 0;
  int height = 0;
  int startX = 0;
  int startY = 0;
  int startDirection = 0;
  double energy = 0.0;
  IntPointArray foods{kFoodCapacity};
};
