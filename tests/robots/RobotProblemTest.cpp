#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <sstream>

#include "RobotTestOperators.h"
#include "config/MultiStream.h"
#include "robots/Ant.h"
#include "robots/BoxMoving.h"
#include "robots/HPAnt.h"
#include "robots/RobotProblemSupport.h"
#include "robots/Wallfollowing.h"

namespace {
// The box-moving problem the window writes with its default settings.
const char* kWindowDefaults = "\n\n100 100 10\n\n1\n\n-30 -30 1.57 400\n\n0 0\n\n";

// Robot actions as the programs of these tests use them.
struct Actions {
  RobotCall forward{"forward", [](Robot* r) { r->MoveForward(); }};
  RobotCall forward1{"forward1", [](Robot* r) { r->MoveForward(1.0); }};
  RobotCall forward2{"forward2", [](Robot* r) { r->MoveForward(2.0); }};
  RobotCall backward2{"backward2", [](Robot* r) { r->MoveBackward(2.0); }};
  RobotCall left{"left", [](Robot* r) { r->MoveLeft(); }};
  RobotCall turnLeft{"turnLeft", [](Robot* r) { r->TurnLeft(); }};
  Sequence seq2{2}, seq3{3};
};

// What WriteRecording writes.
std::string Recording(RobotProblem& problem) {
  std::ostringstream text;
  MultiStream stream(1);
  stream.Add(&text);
  problem.WriteRecording(&stream);
  return text.str();
}

TEST(RobotEpisodeTest, RunsUntilEnergyIsNoLongerPositiveAndAtLeastOnce) {
  Actions a;
  WallfollowingRoom room(100.0, 100.0, 10.0);
  SmoothyRobot robot(&room, 1.0);
  LispInterpreter interpreter;
  auto program = Program(Node(&a.turnLeft));  // no move: each run costs 1
  LispCode* code = dynamic_cast<GPChromosome*>(program->GetChromosome())->GetCode();
  const double energies[] = {3.0, 2.5, 0.0, -4.0, std::numeric_limits<double>::quiet_NaN()};
  const int runs[] = {3, 3, 1, 1, 1};
  for (int k = 0; k < 5; ++k) {
    a.turnLeft.runs = 0;
    robot.Init(0.0, 0.0, 0.0, energies[k]);
    RunEpisode(&interpreter, &robot, code);
    EXPECT_EQ(a.turnLeft.runs, runs[k]) << energies[k];
  }
  EXPECT_EQ(interpreter.GetRobot(), &robot);
  EXPECT_EQ(interpreter.GetValueCount(), 1);  // the last run's value, unused
}

TEST(BoxMovingTest, WindowDefaultsWithOneForwardMove) {
  Actions a;
  auto problem = Read<BoxMoving>(kWindowDefaults);
  auto program = Program(Node(&a.forward));
  // 36 runs of 10 steps and 1 for the run leave 4; the 37th still makes all
  // its steps. The box at the origin is never reached.
  EXPECT_EQ(FitnessOf(*problem, program.get()), 50.0);
  EXPECT_EQ(a.forward.runs, 37);
  EXPECT_EQ(problem->GetRobot()->GetEnergy(), -7.0);
  EXPECT_EQ(problem->GetRoom()->GetBoxX(), 0.0);
  EXPECT_EQ(problem->GetRoom()->GetBoxY(), 0.0);
}

TEST(BoxMovingTest, ABoxPushedTowardsAWallScoresLessAndEveryEpisodeStartsAfresh) {
  Actions a;
  auto problem = Read<BoxMoving>("100 100 10 1 -20 0 0 60 0 0");
  auto program = Program(Node(&a.forward));
  double first = FitnessOf(*problem, program.get());
  double boxX = problem->GetRoom()->GetBoxX();
  double robotX = problem->GetRobot()->GetX();
  EXPECT_GT(boxX, 0.0);
  EXPECT_EQ(first, 50.0 - boxX);
  EXPECT_EQ(FitnessOf(*problem, program.get()), first);
  EXPECT_EQ(problem->GetRoom()->GetBoxX(), boxX);
  EXPECT_EQ(problem->GetRobot()->GetX(), robotX);
}

TEST(AntTest, AnAntThatOnlyTurnsRunsOncePerEnergyAndEatsNothing) {
  Actions a;
  auto problem = Read<Ant>("5 5 2 2 0 50  3 2 2 3 1 2");
  auto program = Program(Node(&a.turnLeft));
  EXPECT_EQ(FitnessOf(*problem, program.get()), 0.0);
  EXPECT_EQ(a.turnLeft.runs, 50);
  EXPECT_EQ(problem->GetRobot()->GetEnergy(), 0.0);
  EXPECT_EQ(problem->GetRobot()->GetX(), 2);
  EXPECT_EQ(problem->GetRobot()->GetY(), 2);
}

TEST(AntTest, FoodOnTheStartCellCountsOnlyOnReentry) {
  Actions a;
  const char* file = "5 5 1 1 0 3  1 1";
  auto stay = Read<Ant>(file);
  auto turning = Program(Node(&a.turnLeft));
  EXPECT_EQ(FitnessOf(*stay, turning.get()), 0.0);

  auto leave = Read<Ant>(file);
  auto away = Program(Node(&a.forward));
  EXPECT_EQ(FitnessOf(*leave, away.get()), 0.0);
  EXPECT_EQ(leave->GetRobot()->GetX(), 3);

  // Forward, turn round, forward: back on the start cell.
  auto back = Read<Ant>(file);
  auto there = Program(Node(&a.seq2, {Node(&a.forward), Node(&a.seq3, {Node(&a.turnLeft), Node(&a.turnLeft),
                                                                         Node(&a.forward)})}));
  EXPECT_EQ(FitnessOf(*back, there.get()), -1.0);
  EXPECT_EQ(back->GetRobot()->GetX(), 1);
  EXPECT_EQ(back->GetRoom()->GetFood(1, 1), -1);
}

TEST(AntTest, EveryEpisodePutsTheFoodBack) {
  Actions a;
  auto problem = Read<Ant>("5 5 1 1 0 10  2 1 3 1 4 1");
  auto program = Program(Node(&a.forward));
  EXPECT_EQ(FitnessOf(*problem, program.get()), -3.0);
  EXPECT_EQ(FitnessOf(*problem, program.get()), -3.0);
  EXPECT_EQ(problem->GetFoods().Size(), 3);
}

TEST(HPAntTest, OneResidueScoresZeroAndPlacesOnlyTheCentre) {
  Actions a;
  auto problem = Read<HPAnt>("0");
  HPAntRoom* room = problem->GetRoom();
  for (Operator* op : {static_cast<Operator*>(&a.forward), static_cast<Operator*>(&a.left)}) {
    auto program = Program(Node(op));
    EXPECT_EQ(FitnessOf(*problem, program.get()), 0.0);
    ASSERT_EQ(room->GetWidth(), 3);
    for (int x = 0; x < 3; ++x) {
      for (int y = 0; y < 3; ++y) EXPECT_EQ(room->Molecule(x, y), x == 1 && y == 1 ? 0 : -1) << x << y;
    }
    EXPECT_EQ(problem->GetRobot()->GetX(), 1);
  }
  // Placing the only residue used up the energy: one run each.
  EXPECT_EQ(a.forward.runs, 1);
  EXPECT_EQ(a.left.runs, 1);
}

TEST(HPAntTest, TouchingZeroResiduesThatAreNotChainNeighboursScore) {
  Actions a;
  // 0 in the centre, 1 and 1 around a corner, 0 beside the first.
  auto problem = Read<HPAnt>("0 1 1 0");
  auto program = Program(Node(&a.seq3, {Node(&a.forward), Node(&a.left), Node(&a.left)}));
  EXPECT_EQ(FitnessOf(*problem, program.get()), -1.0);
  EXPECT_EQ(a.forward.runs, 1);  // the last residue ended the episode
  EXPECT_EQ(problem->GetRoom()->Molecule(4, 5), 0);
  EXPECT_EQ(FitnessOf(*problem, program.get()), -1.0);

  // Neighbours in the chain do not count.
  auto chain = Read<HPAnt>("0 0");
  auto straight = Program(Node(&a.forward));
  EXPECT_EQ(FitnessOf(*chain, straight.get()), 0.0);
}

TEST(WallfollowingTest, DistinctNearWallCellsScoreAndDistinctFreeCellsCost) {
  Actions a;
  auto program = Program(Node(&a.forward));
  // Two runs of 10 steps east along the bottom near-wall ring: from x = -45
  // through the cells (1, 1), (2, 1) and (3, 1).
  auto alongWall = Read<Wallfollowing>("100 100 10 1 -45 -45 0 22");
  EXPECT_EQ(FitnessOf(*alongWall, program.get()), -3.0);
  EXPECT_EQ(alongWall->GetRobot()->GetX(), -25.0);
  // The same through the middle: free cells (5, 5), (6, 5) and (7, 5), the
  // first entered again and again but counted once.
  auto middle = Read<Wallfollowing>("100 100 10 1 -5 -5 0 22");
  EXPECT_EQ(FitnessOf(*middle, program.get()), 3.0);
  EXPECT_EQ(middle->GetRoom()->GetVisited(5, 5), -1);
  EXPECT_EQ(middle->GetRoom()->GetVisited(4, 5), 0);
  // Every episode forgets the cells of the one before.
  EXPECT_EQ(FitnessOf(*middle, program.get()), 3.0);
}

TEST(RecordingTest, TextFormsOfShortEpisodes) {
  Actions a;
  auto wall = Read<Wallfollowing>("100 100 10 1 0 0 0 3");
  auto twoSteps = Program(Node(&a.forward2));
  wall->StartRecording();
  EXPECT_EQ(FitnessOf(*wall, twoSteps.get()), 1.0);
  EXPECT_EQ(Recording(*wall), "{{1.000000,0.000000},{2.000000,0.000000}}\n");

  auto ant = Read<Ant>("5 5 1 1 0 3");
  auto step = Program(Node(&a.forward));
  ant->StartRecording();
  FitnessOf(*ant, step.get());
  EXPECT_EQ(Recording(*ant), "{{2,1},{3,1}}\n");

  auto hp = Read<HPAnt>("0 1 0");
  hp->StartRecording();
  FitnessOf(*hp, step.get());
  EXPECT_EQ(Recording(*hp), "{{3,3,0},{4,3,1},{5,3,0}}\n");

  // The second step meets the box and pushes it one step on; the box states
  // are those before each step.
  auto box = Read<BoxMoving>("100 100 10 1 -6 0 0 2 0 0");
  box->StartRecording();
  EXPECT_EQ(FitnessOf(*box, twoSteps.get()), 49.0);
  EXPECT_EQ(Recording(*box),
            "{{{-5.000000,0.000000},{-4.000000,0.000000}},\n"
            "{{0.000000,0.000000,0.000000},{0.000000,0.000000,0.000000}}}\n");
}

TEST(RecordingTest, WithoutRecordersTheEmptyFormIsWritten) {
  Actions a;
  auto wall = Read<Wallfollowing>("100 100 10 1 0 0 0 3");
  auto ant = Read<Ant>("5 5 1 1 0 3");
  auto hp = Read<HPAnt>("0 1 0");
  auto box = Read<BoxMoving>(kWindowDefaults);
  EXPECT_EQ(Recording(*wall), "{}\n");
  EXPECT_EQ(Recording(*ant), "{}\n");
  EXPECT_EQ(Recording(*hp), "{}\n");
  EXPECT_EQ(Recording(*box), "{{},\n{}}\n");

  // Recording is for one evaluation: the recorders went with the text.
  auto program = Program(Node(&a.forward));
  box->StartRecording();
  FitnessOf(*box, program.get());
  EXPECT_NE(Recording(*box), "{{},\n{}}\n");
  FitnessOf(*box, program.get());
  EXPECT_EQ(Recording(*box), "{{},\n{}}\n");

  // The display takes the recorders itself and owns them from then on.
  box->StartRecording();
  FitnessOf(*box, program.get());
  std::unique_ptr<DoublePointArray> path(box->GetRoom()->TakeRecorder());
  std::unique_ptr<DoublePointArray> states(box->GetRoom()->TakeBoxRecorder());
  EXPECT_EQ(path->Size(), 80);  // the steps up to the wall; refused ones are not recorded
  EXPECT_EQ(states->Size(), path->Size());
  EXPECT_EQ(Recording(*box), "{{},\n{}}\n");

  // Starting again replaces recorders still attached; a problem destroyed
  // while recording releases them.
  wall->StartRecording();
  wall->StartRecording();
  ant->StartRecording();
  ant->StartRecording();
  hp->StartRecording();
  box->StartRecording();
  box->StartRecording();
}

TEST(RecordingTest, ARecordingIsCutAtItsCapacityAndTheFitnessStaysTheSame) {
  Actions a;
  // One step on and two half steps back per run: three recorded points for
  // four energy, far from every wall.
  auto problem = Read<Wallfollowing>("100 100 10 1 0 0 0 140000");
  auto program = Program(Node(&a.seq2, {Node(&a.forward1), Node(&a.backward2)}));
  double unrecorded = FitnessOf(*problem, program.get());
  problem->StartRecording();
  EXPECT_EQ(FitnessOf(*problem, program.get()), unrecorded);
  EXPECT_EQ(a.forward1.runs, 2 * 35000);
  std::string text = Recording(*problem);
  EXPECT_EQ(std::count(text.begin(), text.end(), '{'), 1 + Wallfollowing::kRecorderCapacity);
  EXPECT_EQ(text.substr(0, 23), "{{1.000000,0.000000},{0");
  EXPECT_EQ(text.back(), '\n');

  auto ant = Read<Ant>("5 5 2 2 0 210000");
  auto shuttle = Program(Node(&a.seq3, {Node(&a.forward), Node(&a.turnLeft), Node(&a.turnLeft)}));
  double antFitness = FitnessOf(*ant, shuttle.get());
  ant->StartRecording();
  EXPECT_EQ(FitnessOf(*ant, shuttle.get()), antFitness);
  std::string cells = Recording(*ant);
  EXPECT_EQ(std::count(cells.begin(), cells.end(), '{'), 1 + Ant::kRecorderCapacity);
}

}  // namespace
