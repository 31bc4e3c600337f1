// The box-moving problem: a program drives a SmoothyRobot that pushes a
// square box through a walled continuous room; the nearer the box ends to an
// outer wall, the better.
#pragma once

#include <istream>
#include <memory>

#include "robots/RobotEpisode.h"
#include "robots/RobotProblemSupport.h"
#include "robots/RobotRoom.h"
#include "robots/SmoothyRobot.h"

class BoxMoving : public RobotEpisodeProblem<BoxMovingRoom, SmoothyRobot> {
 public:
  // Reads, after the name: room width, room height, cell size, step length,
  // robot x, robot y, heading (radians), energy, box x and box y, then wall
  // cells as column-row pairs up to the first pair that cannot be read in
  // full.
  explicit BoxMoving(std::istream& in);
  // Destroys a box recorder still attached to the room.
  ~BoxMoving() override;

  // A copy with its own interpreter, room (walls taken over) and robot.
  Problem* Clone() override;
  // Gives the room a fresh robot-path and box-state recorder of
  // kRecorderCapacity points each (ones still attached are destroyed);
  // points beyond that are not recorded.
  void StartRecording() override;
  // Writes "{{" the robot positions "{%f,%f}" separated by ",", "}," an end
  // of line, "{" the box states "{%f,%f,%f}" (x, y, angle) separated by ",",
  // "}}" and an end of line, then destroys both recorders. A recorder that is
  // not there (never given, or taken by the display) writes as empty.
  void WriteRecording(MultiStream* stream) override;

  double GetStartX() const { return start.x; }
  double GetStartY() const { return start.y; }
  double GetStartHeading() const { return start.heading; }
  double GetEnergy() const { return start.energy; }
  double GetBoxX() const { return boxX; }
  double GetBoxY() const { return boxY; }

  static constexpr int kRecorderCapacity = 1000000;

 private:
  BoxMoving(const BoxMoving& other);
  // Robot from the start values, box unrotated at its start.
  void StartEpisode() override;
  // The room's score, the distance of the box centre from the nearer pair of
  // outer walls.
  double EpisodeFitness() override;
  // The robot's path and the box's states, step by step.
  std::unique_ptr<Recording> TakeRecording() override;

  ContinuousStart start;
  double boxX = 0.0;
  double boxY = 0.0;
};
