#include "robots/Wallfollowing.h"

#include "config/MultiStream.h"
#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "problems/ProblemFileReader.h"
#include "robots/RobotProblemSupport.h"

Wallfollowing::Wallfollowing(std::istream& in) {
  const std::string problemClass = ClassNameOf(*this);
  ProblemFileReader reader(in, problemClass);
  double width = reader.ReadDouble("room width");
  double height = reader.ReadDouble("room height");
  double cellSize = reader.ReadDouble("cell size");
  step = reader.ReadDouble("step length");
  startX = reader.ReadDouble("robot x");
  startY = reader.ReadDouble("robot y");
  startHeading = reader.ReadDouble("heading");
  energy = reader.ReadDouble("energy");
  CheckContinuousRoom(problemClass, width, height, cellSize, step);
  CheckEnergy(problemClass, energy);

  room = std::make_unique<WallfollowingRoom>(width, height, cellSize);
  robot = std::make_unique<SmoothyRobot>(room.get(), step);
  int column = 0;
  int row = 0;
  while (reader.TryReadIntPair(column, row)) AddWall(reader, room.get(), column, row);
  reader.EndList("wall list");
}

Wallfollowing::Wallfollowing(const Wallfollowing& other)
    : RobotProblem(other),
      step(other.step),
      startX(other.startX),
      startY(other.startY),
      startHeading(other.startHeading),
      energy(other.energy) {
  const WallfollowingRoom& from = *other.room;
  room = std::make_unique<WallfollowingRoom>(from.GetWidth(), from.GetHeight(), from.GetCellSize());
  room->CopyWalls(from);
  robot = std::make_unique<SmoothyRobot>(room.get(), step);
  interpreter.CopyVariables(other.interpreter);
}

Problem* Wallfollowing::Clone() { return new Wallfollowing(*this); }

Wallfollowing::~Wallfollowing() { delete room->TakeRecorder(); }

void Wallfollowing::FitnessFunction(Individual* individual) {
  DoubleTypeFitnessIndividual* scored = CastIndividual(individual);
  LispCode* program = CastGPChromosome(scored)->GetCode();
  robot->Init(startX, startY, startHeading, energy);
  room->Reset();
  if (GetPaths() == Paths::Tree) {
    RunEpisode(&interpreter, robot.get(), program);
  } else {
    RunEpisode(&interpreter, robot.get(), program, &compiled);
  }
  scored->SetFitness(-1.0 * room->Score());
}

void Wallfollowing::StartRecording() {
  delete room->TakeRecorder();
  room->SetRecorder(new DoublePointArray(kRecorderCapacity));
}

void Wallfollowing::WriteRecording(MultiStream* stream) {
  std::unique_ptr<DoublePointArray> path(room->TakeRecorder());
  *stream << PointListText(path.get(), false) << std::endl;
}
