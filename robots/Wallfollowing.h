// The wall-following problem: a program drives a SmoothyRobot through a
// walled continuous room and scores for the distinct near-wall cells it
// enters, losing for the distinct free cells.
#pragma once

#include <istream>
#include <memory>

#include "robots/RobotEpisode.h"
#include "robots/RobotProblemSupport.h"
#include "robots/RobotRoom.h"
#include "robots/SmoothyRobot.h"

class Wallfollowing : public RobotEpisodeProblem<WallfollowingRoom, SmoothyRobot> {
 public:
  // Reads, after the name: room width, room height, cell size, step length,
  // robot x, robot y, heading (radians) and energy, then wall cells as
  // column-row pairs up to the first pair that cannot be read in full.
  explicit Wallfollowing(std::istream& in);

  // A copy with its own interpreter, room (walls taken over) and robot.
  Problem* Clone() override;
  // Gives the room a fresh path recorder of kRecorderCapacity points (one
  // still attached is destroyed); points beyond it are not recorded.
  void StartRecording() override;
  // Writes "{" the recorded positions "{%f,%f}" separated by "," "}" and an
  // end of line, then destroys the recorder. Without one it writes "{}".
  void WriteRecording(MultiStream* stream) override;

  double GetStartX() const { return start.x; }
  double GetStartY() const { return start.y; }
  double GetStartHeading() const { return start.heading; }
  double GetEnergy() const { return start.energy; }

  static constexpr int kRecorderCapacity = 100000;

 private:
  Wallfollowing(const Wallfollowing& other);
  // Robot from the start values, no cell visited.
  void StartEpisode() override;
  // -1 times the room's score.
  double EpisodeFitness() override;
  // The robot's path and the cells it visited.
  std::unique_ptr<Recording> TakeRecording() override;

  ContinuousStart start;
};
