#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>

#include "RobotTestOperators.h"
#include "TestSupport.h"
#include "robots/Ant.h"
#include "robots/BoxMoving.h"
#include "robots/HPAnt.h"
#include "robots/RobotProblemSupport.h"
#include "robots/Wallfollowing.h"
#include "run/ProblemRegister.h"

namespace {
using ::testing::ExitedWithCode;

std::string Report(const std::string& line) { return "^" + ExactLine(line + "\n") + "$"; }

// The problem the register builds from the whole file.
template <class ConcreteProblem>
ConcreteProblem* Create(ProblemRegister& problems, const std::string& file) {
  std::istringstream in(file);
  auto* problem = dynamic_cast<ConcreteProblem*>(problems.Create(in));
  EXPECT_NE(problem, nullptr) << file;
  return problem;
}

// Walls of a continuous room as (column, row) of their low-left corners.
std::vector<std::pair<int, int>> WallCells(RobotRoom* room) {
  std::vector<std::pair<int, int>> cells;
  const Double2DimensionalArray& walls = room->GetWallList();
  for (int k = 0; k < walls.Size(); ++k) {
    int i = 0;
    int j = 0;
    room->CellOf(walls.Get(k)->Get(0) + 0.5, walls.Get(k)->Get(1) + 0.5, i, j);
    cells.emplace_back(i, j);
  }
  return cells;
}

using Cells = std::vector<std::pair<int, int>>;

TEST(RobotProblemFileTest, TheRegisterBuildsTheFourRobotProblems) {
  for (const char* name : {"Wallfollowing", "Ant", "HPAnt", "BoxMoving"}) {
    EXPECT_TRUE(ProblemRegister::IsAvailable(ProblemRegister::FindKind(name))) << name;
  }
  ProblemRegister problems(20);
  Create<Wallfollowing>(problems, "Wallfollowing 100 100 10 1 0 0 0 10");
  Create<Ant>(problems, "Ant 5 5 1 1 0 10");
  Create<HPAnt>(problems, "HPAnt 0 1");
  Create<BoxMoving>(problems, "BoxMoving 100 100 10 1 -30 -30 1.57 400 0 0");
  for (const char* name : {"Wallfollowing", "Ant", "HPAnt", "BoxMoving"}) {
    ASSERT_EQ(problems.Exists(name), 1) << name;
    EXPECT_EQ(problems.Get(name)->IsSolved(), 0);
    EXPECT_NE(dynamic_cast<RobotProblem*>(problems.Get(name)), nullptr);
  }
}

TEST(RobotProblemFileTest, BoxMovingAsTheWindowWritesIt) {
  ProblemRegister problems(20);
  auto* problem = Create<BoxMoving>(
      problems, "BoxMoving\n\n100 100 10\n\n1\n\n-30 -30 1.57 400\n\n2.5 -1\n\n3 4\n5 6\n");
  EXPECT_EQ(problem->GetStartX(), -30.0);
  EXPECT_EQ(problem->GetStartY(), -30.0);
  EXPECT_EQ(problem->GetStartHeading(), 1.57);
  EXPECT_EQ(problem->GetEnergy(), 400.0);
  EXPECT_EQ(problem->GetBoxX(), 2.5);
  EXPECT_EQ(problem->GetBoxY(), -1.0);
  EXPECT_EQ(problem->GetRobot()->GetStep(), 1.0);
  BoxMovingRoom* room = problem->GetRoom();
  EXPECT_EQ(room->GetWidth(), 100.0);
  EXPECT_EQ(room->GetHeight(), 100.0);
  EXPECT_EQ(room->GetCellSize(), 10.0);
  EXPECT_EQ(WallCells(room), (Cells{{3, 4}, {5, 6}}));
  EXPECT_EQ(room->GetGridValue(3, 4), 2);
  EXPECT_EQ(room->GetWallList().Get(0)->Get(0), -30.0);
  EXPECT_EQ(room->GetWallList().Get(0)->Get(1), -20.0);
}

TEST(RobotProblemFileTest, WallListsEndWithTheLastCompletePair) {
  ProblemRegister problems(20);
  const std::string settings = "100 100 10 1 -30 -30 1.57 400 0 0";
  auto* none = Create<BoxMoving>(problems, "BoxMoving " + settings);
  EXPECT_EQ(none->GetRoom()->GetWallList().Size(), 0);

  ProblemRegister more(20);
  auto* partial = Create<BoxMoving>(more, "BoxMoving " + settings + "\n3 4\n5\n");
  EXPECT_EQ(WallCells(partial->GetRoom()), (Cells{{3, 4}}));

  ProblemRegister again(20);
  auto* wordy = Create<Wallfollowing>(again, "Wallfollowing 200 100 10 0.5 1 2 0.25 300\n1 1 20 10 7 x 3 3\n");
  EXPECT_EQ(wordy->GetStartX(), 1.0);
  EXPECT_EQ(wordy->GetStartY(), 2.0);
  EXPECT_EQ(wordy->GetStartHeading(), 0.25);
  EXPECT_EQ(wordy->GetEnergy(), 300.0);
  EXPECT_EQ(wordy->GetRobot()->GetStep(), 0.5);
  EXPECT_EQ(wordy->GetRoom()->GetNx(), 22);
  EXPECT_EQ(wordy->GetRoom()->GetNy(), 12);
  EXPECT_EQ(WallCells(wordy->GetRoom()), (Cells{{1, 1}, {20, 10}}));
}

TEST(RobotProblemFileTest, AntAndHPAntFiles) {
  ProblemRegister problems(20);
  auto* ant = Create<Ant>(problems, "Ant 10 8 1 2 3 99.5\n1 1\n10 8\n3\n");
  EXPECT_EQ(ant->GetWidth(), 10);
  EXPECT_EQ(ant->GetHeight(), 8);
  EXPECT_EQ(ant->GetStartX(), 1);
  EXPECT_EQ(ant->GetStartY(), 2);
  EXPECT_EQ(ant->GetStartDirection(), 3);
  EXPECT_EQ(ant->GetEnergy(), 99.5);
  ASSERT_EQ(ant->GetFoods().Size(), 2);
  EXPECT_EQ(ant->GetFoods().Get(1)->x, 10);
  EXPECT_EQ(ant->GetFoods().Get(1)->y, 8);
  EXPECT_EQ(ant->GetRoom()->GetWidth(), 12);
  EXPECT_EQ(ant->GetRoom()->GetHeight(), 10);
  EXPECT_EQ(ant->GetRoom()->GetFood(10, 8), 1);

  auto* hp = Create<HPAnt>(problems, "HPAnt 0 1 1 0\n");
  ASSERT_EQ(hp->GetN(), 4);
  EXPECT_EQ(hp->GetSequence().Get(2), 1);
  EXPECT_EQ(hp->GetRoom()->GetWidth(), 9);
  EXPECT_EQ(hp->GetRoom()->GetHeight(), 9);

  ProblemRegister more(20);
  auto* cut = Create<HPAnt>(more, "HPAnt 0 -1 two 0");
  ASSERT_EQ(cut->GetN(), 2);
  EXPECT_EQ(cut->GetSequence().Get(1), -1);

  std::string full = "HPAnt";
  for (int k = 0; k < HPAnt::kSequenceCapacity; ++k) full += k % 3 == 0 ? " 0" : " 1";
  auto* longest = Create<HPAnt>(more, full);
  EXPECT_EQ(longest->GetN(), 1000);
  EXPECT_EQ(longest->GetRoom()->GetWidth(), 2001);
}

TEST(RobotProblemFileTest, LimitsAreInclusive) {
  // These return; one more of anything is refused below.
  CheckContinuousRoom("BoxMoving", 1000000, 10, 1000, 1);           // 1 000 000 steps across
  CheckContinuousRoom("BoxMoving", 4998, 1998, 1, 0.01);            // 5000 by 2000 cells
  CheckGridRoom("Ant", 3160, 3160);                                 // 3162 by 3162 cells
  CheckEnergy("Ant", 10000000);
  CheckEnergy("Ant", -1e300);
  auto ant = Read<Ant>("5 5 1 1 0 10000000");
  EXPECT_EQ(ant->GetEnergy(), 10000000.0);
}

template <class ConcreteProblem>
void Build(const std::string& text) {
  Read<ConcreteProblem>(text);
}

TEST(RobotProblemFileDeathTest, AFileEndingEarlyNamesTheMissingField) {
  EXPECT_EXIT(Build<Wallfollowing>("100 100 10 1 0 0 0"), ExitedWithCode(1),
              Report("Fatal error: Expected a real number for energy at Wallfollowing::Wallfollowing"));
  EXPECT_EXIT(Build<Wallfollowing>(""), ExitedWithCode(1),
              Report("Fatal error: Expected a real number for room width at Wallfollowing::Wallfollowing"));
  EXPECT_EXIT(Build<BoxMoving>("100 100 10 1 -30 -30 1.57 400 0"), ExitedWithCode(1),
              Report("Fatal error: Expected a real number for box y at BoxMoving::BoxMoving"));
  EXPECT_EXIT(Build<BoxMoving>("100 100 ten"), ExitedWithCode(1),
              Report("Fatal error: Expected a real number for cell size at BoxMoving::BoxMoving"));
  EXPECT_EXIT(Build<Ant>("10 10 1 1"), ExitedWithCode(1),
              Report("Fatal error: Expected an integer for robot direction at Ant::Ant"));
  EXPECT_EXIT(Build<Ant>("10 10 1.5 1 0 5"), ExitedWithCode(1),
              Report("Fatal error: Expected an integer for robot x at Ant::Ant"));
  EXPECT_EXIT(Build<Ant>("10 10 1 1 0"), ExitedWithCode(1),
              Report("Fatal error: Expected a real number for energy at Ant::Ant"));
  EXPECT_EXIT(Build<HPAnt>("\n"), ExitedWithCode(1),
              Report("Fatal error: Expected at least one residue code at HPAnt::HPAnt"));
  EXPECT_EXIT(Build<HPAnt>("x 0 1"), ExitedWithCode(1),
              Report("Warning: The residue list stops at x, which is not an integer; the rest of the problem file "
                     "is not read at HPAnt::HPAnt\n"
                     "Fatal error: Expected at least one residue code at HPAnt::HPAnt"));
}

TEST(RobotProblemFileDeathTest, ContinuousRoomsOfImpossibleSizesAreRefused) {
  EXPECT_EXIT(Build<BoxMoving>("-5 100 10 1 0 0 0 400 0 0"), ExitedWithCode(1),
              Report("Fatal error: Room width must be greater than 0, not -5 at BoxMoving::BoxMoving"));
  EXPECT_EXIT(Build<Wallfollowing>("100 0 10 1 0 0 0 400"), ExitedWithCode(1),
              Report("Fatal error: Room height must be greater than 0, not 0 at Wallfollowing::Wallfollowing"));
  EXPECT_EXIT(Build<BoxMoving>("100 100 0 1 0 0 0 400 0 0"), ExitedWithCode(1),
              Report("Fatal error: Cell size must be greater than 0, not 0 at BoxMoving::BoxMoving"));
  EXPECT_EXIT(Build<Wallfollowing>("100 100 10 -0.5 0 0 0 400"), ExitedWithCode(1),
              Report("Fatal error: Step length must be greater than 0, not -0.5 at Wallfollowing::Wallfollowing"));
  EXPECT_EXIT(Build<BoxMoving>("100000 100000 10 1 0 0 0 400 0 0"), ExitedWithCode(1),
              Report("Fatal error: Room of 100000 by 100000 with cell size 10 makes a grid of more than "
                     "10000000 cells at BoxMoving::BoxMoving"));
  EXPECT_EXIT(Build<Wallfollowing>("4999 1998 1 0.01 0 0 0 400"), ExitedWithCode(1),
              Report("Fatal error: Room of 4999 by 1998 with cell size 1 makes a grid of more than "
                     "10000000 cells at Wallfollowing::Wallfollowing"));
  EXPECT_EXIT(Build<BoxMoving>("1000001 10 1000 1 0 0 0 400 0 0"), ExitedWithCode(1),
              Report("Fatal error: Room width 1000001 is more than 1000000 steps of length 1 at "
                     "BoxMoving::BoxMoving"));
  EXPECT_EXIT(Build<Wallfollowing>("100 300 10 0.0002 0 0 0 400"), ExitedWithCode(1),
              Report("Fatal error: Room height 300 is more than 1000000 steps of length 0.0002 at "
                     "Wallfollowing::Wallfollowing"));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EXIT(CheckContinuousRoom("BoxMoving", 100, 100, nan, 1), ExitedWithCode(1),
              Report("Fatal error: Cell size must be greater than 0, not nan at BoxMoving::BoxMoving"));
  EXPECT_EXIT(CheckContinuousRoom("BoxMoving", 100, 100, 10, nan), ExitedWithCode(1),
              Report("Fatal error: Step length must be greater than 0, not nan at BoxMoving::BoxMoving"));
}

TEST(RobotProblemFileDeathTest, EnergiesThatWouldMakeEndlessEpisodesAreRefused) {
  EXPECT_EXIT(Build<Wallfollowing>("100 100 10 1 0 0 0 1e300"), ExitedWithCode(1),
              Report("Fatal error: Energy must be a number no greater than 10000000, not 1e+300 at "
                     "Wallfollowing::Wallfollowing"));
  EXPECT_EXIT(Build<BoxMoving>("100 100 10 1 0 0 0 10000001 0 0"), ExitedWithCode(1),
              Report("Fatal error: Energy must be a number no greater than 10000000, not 10000001 at "
                     "BoxMoving::BoxMoving"));
  EXPECT_EXIT(Build<Ant>("5 5 1 1 0 2e7"), ExitedWithCode(1),
              Report("Fatal error: Energy must be a number no greater than 10000000, not 20000000 at Ant::Ant"));
  EXPECT_EXIT(CheckEnergy("Ant", std::numeric_limits<double>::quiet_NaN()), ExitedWithCode(1),
              Report("Fatal error: Energy must be a number no greater than 10000000, not nan at Ant::Ant"));
}

TEST(RobotProblemFileDeathTest, GridRoomsAndTheirCellsKeepTheRoomsReports) {
  EXPECT_EXIT(Build<Ant>("5000 5000 1 1 0 10"), ExitedWithCode(1),
              Report("Fatal error: Room of 5000 by 5000 makes a grid of more than 10000000 cells at Ant::Ant"));
  EXPECT_EXIT(Build<Ant>("3161 3161 1 1 0 10"), ExitedWithCode(1),
              Report("Fatal error: Room of 3161 by 3161 makes a grid of more than 10000000 cells at Ant::Ant"));
  EXPECT_EXIT(Build<Ant>("5 5 1 1 4 10"), ExitedWithCode(1),
              Report("Fatal error: Robot direction must be 0 to 3, not 4 at Ant::Ant"));
  EXPECT_EXIT(Build<Ant>("5 5 1 1 -1 10"), ExitedWithCode(1),
              Report("Fatal error: Robot direction must be 0 to 3, not -1 at Ant::Ant"));
  EXPECT_EXIT(Build<Ant>("-5 3 1 1 0 10"), ExitedWithCode(1),
              Report("Fatal error: Invalid room size at AntRoom::AntRoom"));
  // Food is checked as the file is read, with the room's report after a
  // warning naming the first cell outside.
  EXPECT_EXIT(Build<Ant>("5 5 1 1 0 10  2 2 6 1"), ExitedWithCode(1),
              Report("Warning: Food cell (6, 1) is outside the room: x must be 1 to 5 and y 1 to 5 at Ant::Ant\n"
                     "Fatal error: Invaiid Tail at AntRoom::PutFood"));
  EXPECT_EXIT(Build<Ant>("5 5 1 1 0 10  0 3"), ExitedWithCode(1),
              Report("Warning: Food cell (0, 3) is outside the room: x must be 1 to 5 and y 1 to 5 at Ant::Ant\n"
                     "Fatal error: Invaiid Tail at AntRoom::PutFood"));
  // So is the start cell, which otherwise would be reported only once a
  // program looks out of the grid, in the middle of a run; on the border it
  // would stand in a wall.
  EXPECT_EXIT(Build<Ant>("5 5 1 0 3 10"), ExitedWithCode(1),
              Report("Warning: Robot start cell (1, 0) is outside the room: x must be 1 to 5 and y 1 to 5 at "
                     "Ant::Ant\n"
                     "Fatal error: Invaiid Tail at AntRoom::CanMove"));
  EXPECT_EXIT(Build<Ant>("0 5 1 1 0 50  2 2"), ExitedWithCode(1),
              Report("Warning: Robot start cell (1, 1) is outside the room: x must be 1 to 0 and y 1 to 5 at "
                     "Ant::Ant\n"
                     "Fatal error: Invaiid Tail at AntRoom::CanMove"));
  EXPECT_EXIT(Build<Ant>("5 5 6 5 0 10"), ExitedWithCode(1),
              Report("Warning: Robot start cell (6, 5) is outside the room: x must be 1 to 5 and y 1 to 5 at "
                     "Ant::Ant\n"
                     "Fatal error: Invaiid Tail at AntRoom::CanMove"));
  auto corner = Read<Ant>("5 5 5 5 0 10");
  EXPECT_EQ(corner->GetStartX(), 5);
}

TEST(RobotProblemFileDeathTest, ListsBeyondTheirCapacityAreReported) {
  std::string foods = "5 5 1 1 0 10";
  for (int k = 0; k <= Ant::kFoodCapacity; ++k) foods += " 2 2";
  EXPECT_EXIT(Build<Ant>(foods), ExitedWithCode(1),
              Report("Warning: The problem file lists more than 1000 food cells at Ant::Ant\n"
                     "Capacity 1000 is full  at IntPointArray::Add"));
  std::string residues;
  for (int k = 0; k <= HPAnt::kSequenceCapacity; ++k) residues += " 0";
  EXPECT_EXIT(Build<HPAnt>(residues), ExitedWithCode(1),
              Report("Warning: The problem file lists more than 1000 residue codes at HPAnt::HPAnt\n"
                     "Capacity 1000 is full  at IntArray::Add"));
  std::string walls = "100 100 10 1 0 0 0 10";
  for (int k = 0; k <= RobotRoom::kMaxWalls; ++k) walls += " 1 " + std::to_string(k % 10 + 1);
  EXPECT_EXIT(Build<Wallfollowing>(walls), ExitedWithCode(1),
              Report("Warning: The problem file lists more than 20 wall cells at Wallfollowing::Wallfollowing\n"
                     "Capacity 20 is full  at Double2DimensionalArray::Add"));
  EXPECT_EXIT(Build<BoxMoving>("100 100 10 1 0 0 0 10 0 0  11 1"), ExitedWithCode(1),
              Report("Warning: Wall cell (11, 1) is outside the room's inner cells: the column must be 1 to 10 and "
                     "the row 1 to 10 at BoxMoving::BoxMoving\n"
                     "Fatal error: Invaiid Tali at BoxMovingRoom::PutWallAtTail"));
}
}  // namespace
