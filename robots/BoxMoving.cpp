#include "robots/BoxMoving.h"

#include "config/MultiStream.h"
#include "problems/ProblemFileReader.h"
#include "robots/BoxMovingPicture.h"

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
    : RobotEpisodeProblem(other), start(other.start), boxX(other.boxX), boxY(other.boxY) {
  const BoxMovingRoom& from = *other.room;
  room = std::make_unique<BoxMovingRoom>(from.GetWidth(), from.GetHeight(), from.GetCellSize());
  room->CopyWalls(from);
  robot = std::make_unique<SmoothyRobot>(room.get(), start.step);
}

Problem* BoxMoving::Clone() { return new BoxMoving(*this); }

BoxMoving::~BoxMoving() { delete room->TakeBoxRecorder(); }

void BoxMoving::StartEpisode() {
  robot->Init(start.x, start.y, start.heading, start.energy);
  room->SetBox(boxX, boxY);
}

double BoxMoving::EpisodeFitness() { return room->Score(); }

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

std::unique_ptr<Recording> BoxMoving::TakeRecording() {
  std::unique_ptr<DoublePointArray> path(room->TakeRecorder());
  std::unique_ptr<DoublePointArray> boxStates(room->TakeBoxRecorder());
  return std::make_unique<BoxMovingRecording>(*room, path.get(), boxStates.get(), room->Score());
}
