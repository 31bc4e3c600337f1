// Shared parts of the four robot problems: the limits on what a problem file
// may ask for, the episode loop that runs a program as a controller, and the
// brace text of a recorded path.
#pragma once

#include <string>
#include <type_traits>

#include "foundation/Point.h"
#include "problems/EvaluationPaths.h"
#include "problems/ProblemFileReader.h"
#include "programs/LispCode.h"
#include "programs/LispInterpreter.h"
#include "robots/RobotRoom.h"

// Largest start energy a problem file may give. Every run of the program
// costs at least 1 energy, so this also bounds the runs of one episode.
constexpr double kMaxRobotEnergy = 10000000.0;
// Largest number of cells (border included) of a room grid built from a
// problem file.
constexpr double kMaxRoomCells = 10000000.0;
// Largest width or height of a continuous room, in robot steps: a sensor ray
// walks the room one step at a time.
constexpr double kMaxRoomSteps = 1000000.0;

// The value as a report shows it: whole numbers in full (10000001), others
// in the shortest "%g"-like form that reads back the same (0.0002, 1e+300,
// nan).
std::string NumberText(double value);

// Each check ends the process with a fatal report at problemClass's
// constructor when the value cannot make a sound episode.
//
// A continuous room: width, height, cell size and step length greater than 0,
// a grid of at most kMaxRoomCells cells, at most kMaxRoomSteps steps across.
void CheckContinuousRoom(const std::string& problemClass, double width, double height, double cellSize,
                         double step);
// A grid room of the given interior: at most kMaxRoomCells cells with its
// border. Negative sizes are left to the room's own report.
void CheckGridRoom(const std::string& problemClass, int width, int height);
// A start energy: a number no greater than kMaxRobotEnergy.
void CheckEnergy(const std::string& problemClass, double energy);

// The opening values of a continuous-room problem file (box moving, wall
// following), in their order: room width, room height, cell size, step
// length, robot x, robot y, heading (radians) and energy.
struct ContinuousStart {
  double width = 0.0;
  double height = 0.0;
  double cellSize = 0.0;
  double step = 0.0;
  double x = 0.0;
  double y = 0.0;
  double heading = 0.0;
  double energy = 0.0;

  // Reads the eight values; a missing one is reported by name.
  void Read(ProblemFileReader& reader);
  // CheckContinuousRoom and CheckEnergy on the values read.
  void Check(const std::string& problemClass) const;
};

// Puts the wall cell (column, row) of a problem file into the room, after a
// warning that names the cell when the room will refuse it (outside its inner
// cells, or one wall more than it holds).
void AddWall(ProblemFileReader& reader, RobotRoom* room, int column, int row);
// Adds the wall cells of the file's closing column-row list, up to the first
// pair that cannot be read in full.
void ReadWallList(ProblemFileReader& reader, RobotRoom* room);

// One episode: the program runs from the top again and again (each run by
// run, a TreeRun or a CompiledRun), each run seeing the world as the previous
// ones left it and costing 1 energy on top of the robot's own steps, until
// the robot's energy is no longer greater than 0. It always runs at least
// once; its result value is not used (a run that can leave the value out
// does).
template <class EnergyRobot, class Run>
void RunEpisode(LispInterpreter* interpreter, EnergyRobot* robot, const Run& run) {
  if constexpr (std::is_same_v<Run, CompiledRun> && requires(const Action* a) { robot->RunActionEpisode(a); }) {
    // A robot with a loop of its own runs the whole episode there when the
    // program is actions alone (each run leaves the stacks as they were).
    interpreter->Clear();
    interpreter->SetRobot(robot);
    const Action* actions = interpreter->ActionsToRun(*run.program);
    if (actions != nullptr && robot->RunActionEpisode(actions)) return;
  }
  do {
    interpreter->Clear();
    interpreter->SetRobot(robot);
    if constexpr (requires { run.ForEffects(interpreter); }) {
      run.ForEffects(interpreter);
    } else {
      run(interpreter);
    }
    robot->ConsumeEnergy(1.0);
  } while (robot->GetEnergy() > 0.0);
}

// The same episode walking the program's tree.
template <class EnergyRobot>
void RunEpisode(LispInterpreter* interpreter, EnergyRobot* robot, LispCode* program) {
  RunEpisode(interpreter, robot, TreeRun{program});
}

// "{" the points in their brace forms, separated by ",", "}"; with
// threeValues each point shows x, y and its third value. No recorder gives
// "{}".
std::string PointListText(const DoublePointArray* points, bool threeValues);
std::string PointListText(const IntPointArray* points, bool threeValues);
