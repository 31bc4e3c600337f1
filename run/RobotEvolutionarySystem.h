// The evolutionary system of robot problems: saving the best individual also
// writes the path of its robot to the log stream "orbit". For any other
// problem it is the plain evolutionary system.
#pragma once

#include "run/EvolutionarySystem.h"

class RobotEvolutionarySystem : public EvolutionarySystem {
 public:
  using EvolutionarySystem::EvolutionarySystem;
  // Writes and discards the best-so-far individual as the plain system does,
  // then runs that same program once more with the robot's path recorded and
  // writes the path to "orbit".
  void SaveBest() override;
};
