#include "robots/HPAnt.h"

#include <string>

#include "config/MultiStream.h"
#include "foundation/Exception.h"
#include "problems/ProblemFileReader.h"
#include "robots/HPAntPicture.h"
#include "robots/RobotProblemSupport.h"

HPAnt::HPAnt(std::istream& in) {
  const std::string problemClass = ClassNameOf(*this);
  ProblemFileReader reader(in, problemClass);
  int code = 0;
  while (reader.TryReadInt(code)) {
    if (sequence.Size() == kSequenceCapacity) {
      reader.Warn("The problem file lists more than " + std::to_string(kSequenceCapacity) + " residue codes");
    }
    sequence.Add(code);
  }
  reader.EndList("residue list");
  // Without a residue the room is a single wall cell, and the robot's first
  // sensor reading would look outside it.
  if (sequence.Size() == 0) {
    GetException()->FatalError("Expected at least one residue code", problemClass, problemClass);
  }
  n = sequence.Size();
  room = std::make_unique<HPAntRoom>(2 * n - 1, 2 * n - 1);
  robot = std::make_unique<HPAntRobot>(room.get());
}

HPAnt::HPAnt(const HPAnt& other) : RobotEpisodeProblem(other), n(other.n) {
  for (int k = 0; k < other.sequence.Size(); ++k) sequence.Add(other.sequence.Get(k));
  room = std::make_unique<HPAntRoom>(2 * n - 1, 2 * n - 1);
  room->CopyWalls(*other.room);
  robot = std::make_unique<HPAntRobot>(room.get());
}

Problem* HPAnt::Clone() { return new HPAnt(*this); }

void HPAnt::StartEpisode() {
  robot->Init(n, n, 0, 10.0 * n);
  room->SetSequence(robot.get(), &sequence);
  room->CanMove(n, n);  // the first residue, in the centre
}

double HPAnt::EpisodeFitness() { return -1.0 * room->CountContacts(); }

void HPAnt::StartRecording() {
  delete room->TakeRecorder();
  room->SetRecorder(new IntPointArray(kRecorderCapacity));
}

void HPAnt::WriteRecording(MultiStream* stream) {
  std::unique_ptr<IntPointArray> path(room->TakeRecorder());
  *stream << PointListText(path.get(), true) << std::endl;
}

std::unique_ptr<Recording> HPAnt::TakeRecording() {
  std::unique_ptr<IntPointArray> chain(room->TakeRecorder());
  return std::make_unique<HPAntRecording>(*room, sequence, chain.get(), room->CountContacts());
}
