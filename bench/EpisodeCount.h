// Counts the program nodes one robot episode executes: the compiled program
// runs from the top again and again, each run costing 1 energy, as the robot
// problems run it, until the robot's energy is spent.
#pragma once

#include "programs/CompiledProgram.h"
#include "programs/LispInterpreter.h"

template <class EnergyRobot>
long long CountEpisodeNodes(const CompiledProgram& program, EnergyRobot* robot) {
  LispInterpreter interpreter;
  long long executed = 0;
  do {
    interpreter.Clear();
    interpreter.SetRobot(robot);
    interpreter.EvaluateCounting(program, executed);
    robot->ConsumeEnergy(1.0);
  } while (robot->GetEnergy() > 0.0);
  return executed;
}
