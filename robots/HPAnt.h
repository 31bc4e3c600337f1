// The chain-laying ant problem: a program drives an HPAntRobot that lays a
// chain of coded residues in a grid, one per successful step; it scores one
// for every pair of code-0 residues that touch without being chain
// neighbours.
#pragma once

#include <istream>
#include <memory>

#include "foundation/NumericArrays.h"
#include "robots/AntRobot.h"
#include "robots/AntRoom.h"
#include "robots/RobotEpisode.h"

class HPAnt : public RobotEpisodeProblem<HPAntRoom, HPAntRobot> {
 public:
  // Reads, after the name, the residue codes (integers) up to the first word
  // that is not one; at least one and at most kSequenceCapacity. With n
  // residues the room is 2n + 1 cells square with its centre at (n, n).
  explicit HPAnt(std::istream& in);

  // A copy with its own interpreter, room (walls taken over) and robot.
  Problem* Clone() override;
  // Gives the room a fresh recorder of kRecorderCapacity cells (one still
  // attached is destroyed); cells beyond it are not recorded.
  void StartRecording() override;
  // Writes "{" the placed residues "{%d,%d,%d}" (x, y, code) separated by
  // "," "}" and an end of line, then destroys the recorder. Without one it
  // writes "{}".
  void WriteRecording(MultiStream* stream) override;

  const IntArray& GetSequence() const { return sequence; }
  int GetN() const { return n; }

  static constexpr int kSequenceCapacity = 1000;
  static constexpr int kRecorderCapacity = 1000000;

 private:
  HPAnt(const HPAnt& other);
  // The robot starts in the centre facing x + 1 with energy 10 n, and the
  // first residue is placed there.
  void StartEpisode() override;
  // -1 times the number of contacts.
  double EpisodeFitness() override;
  // The chain as it was laid.
  std::unique_ptr<Recording> TakeRecording() override;

  IntArray sequence{kSequenceCapacity};
  int n = 0;
};
