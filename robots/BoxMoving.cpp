#include "robots/BoxMoving.h"

#include "config/MultiStream.h"
#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "problems/ProblemFileReader.h"
#include "robots/RobotProblemSupport.h"

BoxMoving::BoxMoving(std::istream& in) {
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
  boxX = reader.ReadDouble("box x");
  boxY = reader.ReadDouble("box y");
  CheckContinuousRoom(problemClass, width, height, cellSize, step);
  CheckEnergy(problemClass, energy);

  room = std::make_unique<BoxMovingRoom>(width, height, cellSize);
  robot = std::make_unique<SmoothyRobot>(room.get(), step);
  int column = 0;
  int row = 0;
  while (reader.TryReadIntPair(column, row)) AddWall(reader, room.get(), column, row);
  reader.EndList("wall list");
}

BoxMoving::BoxMoving(const BoxMoving& other)
    : RobotProblem(other),
      step(other.step),
      startX(other.startX),
      startY(other.startY),
      startHeading(other.startHeading),
      energy(other.energy),
      boxX(other.boxX),
      boxY(other.boxY) {
  const BoxMovingRoom& from = *other.room;
  room = std::make_unique<BoxMovingRoom>(from.GetWidth(), from.GetHeight(), from.GetCellSize());
  room->CopyWalls(from);
  robot = std::make_unique<SmoothyRobot>(room.get(), step);
  interpreter.CopyVariables(other.interpreter);
}

Problem* BoxMoving::Clone() { return new BoxMoving(*this); }

BoxMoving::~BoxMoving() {
  delete room->TakeRecorder();
  delete room->TakeBoxRecorder();
}

void BoxMoving::FitnessFunction(Individual* individual) {
  DoubleTypeFitnessIndividual* scored = CastIndividual(individual);
  LispCode* program = CastGPChromosome(scored)->GetCode();
  robot->Init(startX, startY, startHeading, energy);
  room->SetBox(boxX, boxY);
  if (GetPaths() == Paths::Tree) {
    RunEpisode(&interpreter, robot.get(), program);
  } else {
    RunEpisode(&interpreter, robot.get(), program, &compiled);
  }
  scored->SetFitness(room->Score());
}

void BoxMoving::StartRecording() {
  delete room->TakeRecorder();
  delete room->TakeBoxRecorder();
  room->SetRecorder(new DoublePointArray(kRecorderCapacity));
  room->SetBoxRecorder(new DoublePointArray(kRecorderCapacity));
}

void BoxMoving::WriteRecording(MultiStream* stream) {
  std::unique_ptr<DoublePointArray> path(room->TakeRecorder());
  std::unique_ptr<DoublePointArray> boxStates(room->TakeBoxRecorder());
  *stream << "{" << PointListText(path.get(), false) << ",\n"
          << PointListText(boxStates.get(), true) << "}" << std::endl;
}
