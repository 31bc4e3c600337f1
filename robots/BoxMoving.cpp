#include "robots/BoxMoving.h"

#include "config/MultiStream.h"
#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "problems/ProblemFileReader.h"
#include "robots/RobotProblemSupport.h"

BoxMoving::BoxMoving(std::istream& in) {
  const std::string problemClass = ClassNameOf(*this);
  ProblemFileReader reader(in, problemClass);
  start.Read(reader);
  boxX = reader.ReadDouble("box x");
  boxY = reader.ReadDouble("box y");
  start.Check(problemClass);

  room = std::make_unique<BoxMovingRoom>(start.width, start.height, start.cellSize);
  robot = std::make_unique<SmoothyRobot>(room.get(), start.step);
  ReadWallList(reader, room.get());
}

BoxMoving::BoxMoving(const BoxMoving& other)
    : RobotProblem(other),
      start(other.start),
      boxX(other.boxX),
      boxY(other.boxY) {
  const BoxMovingRoom& from = *other.room;
  room = std::make_unique<BoxMovingRoom>(from.GetWidth(), from.GetHeight(), from.GetCellSize());
  room->CopyWalls(from);
  robot = std::make_unique<SmoothyRobot>(room.get(), start.step);
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
  robot->Init(start.x, start.y, start.heading, start.energy);
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
