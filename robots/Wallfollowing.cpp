#include "robots/Wallfollowing.h"

#include "config/MultiStream.h"
#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "problems/ProblemFileReader.h"
#include "robots/RobotProblemSupport.h"

Wallfollowing::Wallfollowing(std::istream& in) {
  const std::string problemClass = ClassNameOf(*this);
  ProblemFileReader reader(in, problemClass);
  start.Read(reader);
  start.Check(problemClass);

  room = std::make_unique<WallfollowingRoom>(start.width, start.height, start.cellSize);
  robot = std::make_unique<SmoothyRobot>(room.get(), start.step);
  ReadWallList(reader, room.get());
}

Wallfollowing::Wallfollowing(const Wallfollowing& other)
    : RobotProblem(other),
      start(other.start) {
  const WallfollowingRoom& from = *other.room;
  room = std::make_unique<WallfollowingRoom>(from.GetWidth(), from.GetHeight(), from.GetCellSize());
  room->CopyWalls(from);
  robot = std::make_unique<SmoothyRobot>(room.get(), start.step);
  interpreter.CopyVariables(other.interpreter);
}

Problem* Wallfollowing::Clone() { return new Wallfollowing(*this); }

Wallfollowing::~Wallfollowing() { delete room->TakeRecorder(); }

void Wallfollowing::FitnessFunction(Individual* individual) {
  DoubleTypeFitnessIndividual* scored = CastIndividual(individual);
  LispCode* program = CastGPChromosome(scored)->GetCode();
  robot->Init(start.x, start.y, start.heading, start.energy);
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
