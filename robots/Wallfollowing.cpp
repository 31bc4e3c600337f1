#include "robots/Wallfollowing.h"

#include "config/MultiStream.h"
#include "problems/ProblemFileReader.h"
#include "robots/WallfollowingPicture.h"

Wallfollowing::Wallfollowing(std::istream& in) {
  const std::string problemClass = ClassNameOf(*this);
  ProblemFileReader reader(in, problemClass);
  start.Read(reader);
  start.Check(problemClass);

  room = std::make_unique<WallfollowingRoom>(start.width, start.height, start.cellSize);
  robot = std::make_unique<SmoothyRobot>(room.get(), start.step);
  ReadWallList(reader, room.get());
}

Wallfollowing::Wallfollowing(const Wallfollowing& other) : RobotEpisodeProblem(other), start(other.start) {
  const WallfollowingRoom& from = *other.room;
  room = std::make_unique<WallfollowingRoom>(from.GetWidth(), from.GetHeight(), from.GetCellSize());
  room->CopyWalls(from);
  robot = std::make_unique<SmoothyRobot>(room.get(), start.step);
}

Problem* Wallfollowing::Clone() { return new Wallfollowing(*this); }

void Wallfollowing::StartEpisode() {
  robot->Init(start.x, start.y, start.heading, start.energy);
  room->Reset();
}

double Wallfollowing::EpisodeFitness() { return -1.0 * room->Score(); }

void Wallfollowing::StartRecording() {
  delete room->TakeRecorder();
  room->SetRecorder(new DoublePointArray(kRecorderCapacity));
}

void Wallfollowing::WriteRecording(MultiStream* stream) {
  std::unique_ptr<DoublePointArray> path(room->TakeRecorder());
  *stream << PointListText(path.get(), false) << std::endl;
}

std::unique_ptr<Recording> Wallfollowing::TakeRecording() {
  std::unique_ptr<DoublePointArray> path(room->TakeRecorder());
  return std::make_unique<WallfollowingRecording>(*room, start.x, start.y, path.get());
}
