#include "robots/Ant.h"

#include <string>

#include "config/MultiStream.h"
#include "foundation/Exception.h"
#include "problems/ProblemFileReader.h"
#include "robots/AntPicture.h"
#include "robots/RobotProblemSupport.h"

Ant::Ant(std::istream& in) {
  const std::string problemClass = ClassNameOf(*this);
  ProblemFileReader reader(in, problemClass);
  width = reader.ReadInt("room width");
  height = reader.ReadInt("room height");
  startX = reader.ReadInt("robot x");
  startY = reader.ReadInt("robot y");
  startDirection = reader.ReadInt("robot direction");
  energy = reader.ReadDouble("energy");
  CheckGridRoom(problemClass, width, height);
  // Any other direction gives a robot that steps onto its own cell (eating
  // the food under it) until turns bring it into range.
  if (startDirection < 0 || startDirection > 3) {
    GetException()->FatalError("Robot direction must be 0 to 3, not " + std::to_string(startDirection),
                               problemClass, problemClass);
  }
  CheckEnergy(problemClass, energy);

  room = std::make_unique<AntRoom>(width, height);
  robot = std::make_unique<AntRobot>(room.get());
  // A start outside the interior would be reported only once a program looks
  // at or steps to a cell beyond the grid, in the middle of a run; a start on
  // the border would stand in a wall. Both are refused before the run.
  if (!Inside(startX, startY)) {
    reader.Warn("Robot start cell " + CellText(startX, startY) + " is outside the room: " + InteriorText());
    GetException()->FatalError("Invaiid Tail", ClassNameOf(*room), "CanMove");
  }
  int x = 0;
  int y = 0;
  while (reader.TryReadIntPair(x, y)) {
    if (foods.Size() == kFoodCapacity) {
      reader.Warn("The problem file lists more than " + std::to_string(kFoodCapacity) + " food cells");
    }
    foods.Add(x, y);
  }
  reader.EndList("food list");
  // Food outside the interior is reported now rather than at the first
  // evaluation; every episode places the food afresh anyway.
  for (int k = 0; k < foods.Size(); ++k) {
    const IntPoint* food = foods.Get(k);
    if (!Inside(food->x, food->y)) {
      reader.Warn("Food cell " + CellText(food->x, food->y) + " is outside the room: " + InteriorText());
      break;
    }
  }
  room->PlaceFood(foods);
}

bool Ant::Inside(int x, int y) const { return x >= 1 && x <= width && y >= 1 && y <= height; }

std::string Ant::CellText(int x, int y) { return "(" + std::to_string(x) + ", " + std::to_string(y) + ")"; }

std::string Ant::InteriorText() const {
  return "x must be 1 to " + std::to_string(width) + " and y 1 to " + std::to_string(height);
}

Ant::Ant(const Ant& other)
    : RobotEpisodeProblem(other),
      width(other.width),
      height(other.height),
      startX(other.startX),
      startY(other.startY),
      startDirection(other.startDirection),
      energy(other.energy) {
  for (int k = 0; k < other.foods.Size(); ++k) foods.Add(other.foods.Get(k)->x, other.foods.Get(k)->y);
  room = std::make_unique<AntRoom>(width, height);
  room->CopyWalls(*other.room);
  robot = std::make_unique<AntRobot>(room.get());
}

Problem* Ant::Clone() { return new Ant(*this); }

void Ant::StartEpisode() {
  robot->Init(startX, startY, startDirection, energy);
  room->PlaceFood(foods);
}

double Ant::EpisodeFitness() { return -1.0 * room->CountEaten(); }

void Ant::StartRecording() {
  delete room->TakeRecorder();
  room->SetRecorder(new IntPointArray(kRecorderCapacity));
}

void Ant::WriteRecording(MultiStream* stream) {
  std::unique_ptr<IntPointArray> path(room->TakeRecorder());
  *stream << PointListText(path.get(), false) << std::endl;
}

std::unique_ptr<Recording> Ant::TakeRecording() {
  std::unique_ptr<IntPointArray> path(room->TakeRecorder());
  return std::make_unique<AntRecording>(*room, *robot, startX, startY, path.get());
}
