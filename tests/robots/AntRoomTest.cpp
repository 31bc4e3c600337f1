#include <gtest/gtest.h>

#include "TestSupport.h"
#include "robots/AntRobot.h"
#include "robots/AntRoom.h"
#include "robots/IntGrid.h"

namespace {
using ::testing::ExitedWithCode;

std::string Report(const std::string& line) { return "^" + ExactLine(line + "\n") + "$"; }

TEST(AntRoomTest, BorderIsWallAndInteriorIsFree) {
  AntRoom room(3, 2);
  ASSERT_EQ(room.GetWidth(), 5);
  ASSERT_EQ(room.GetHeight(), 4);
  for (int x = 0; x < 5; ++x) {
    for (int y = 0; y < 4; ++y) {
      bool border = x == 0 || x == 4 || y == 0 || y == 3;
      EXPECT_EQ(room.GetWall(x, y), border ? 2 : 0) << x << "," << y;
      EXPECT_EQ(room.GetFood(x, y), 0);
    }
  }
  EXPECT_EQ(room.CanMove(0, 1), 0);
  EXPECT_EQ(room.CanMove(3, 2), 1);
  room.PutWall(2, 2);
  EXPECT_EQ(room.CanMove(2, 2), 0);
}

TEST(AntRoomTest, FoodIsEatenByEnteringAndPlaceFoodStartsAfresh) {
  AntRoom room(5, 5);
  IntPointArray foods(4);
  foods.Add(2, 2);
  foods.Add(3, 2);
  room.PlaceFood(foods);
  EXPECT_EQ(room.IsFood(2, 2), 1);
  EXPECT_EQ(room.CanMove(2, 2), 1);
  EXPECT_EQ(room.IsFood(2, 2), 0);
  EXPECT_EQ(room.GetFood(2, 2), -1);
  EXPECT_EQ(room.CanMove(2, 2), 1);  // entering again eats nothing more
  EXPECT_EQ(room.CountEaten(), 1);
  room.PutFood(4, 4);
  EXPECT_EQ(room.CountEaten(), 1);
  // A new episode: eaten food is back and the extra food is gone.
  room.PlaceFood(foods);
  EXPECT_EQ(room.CountEaten(), 0);
  EXPECT_EQ(room.IsFood(2, 2), 1);
  EXPECT_EQ(room.IsFood(4, 4), 0);
}

TEST(AntRoomTest, RecorderGetsEnteredCellsAndDropsPointsWhenFull) {
  AntRoom room(5, 5);
  IntPointArray foods(1);
  foods.Add(3, 1);
  room.PlaceFood(foods);
  IntPointArray recorder(2);
  room.SetRecorder(&recorder);
  EXPECT_EQ(room.CanMove(1, 1), 1);
  EXPECT_EQ(room.CanMove(0, 1), 0);  // refused steps are not recorded
  EXPECT_EQ(room.CanMove(2, 1), 1);
  EXPECT_EQ(room.CanMove(3, 1), 1);  // recorder full: dropped, food still eaten
  EXPECT_EQ(room.CountEaten(), 1);
  EXPECT_EQ(room.TakeRecorder(), &recorder);
  ASSERT_EQ(recorder.Size(), 2);
  EXPECT_EQ(recorder.Get(1)->x, 2);
  EXPECT_EQ(room.TakeRecorder(), nullptr);
  EXPECT_EQ(room.CanMove(1, 1), 1);
  EXPECT_EQ(recorder.Size(), 2);
}

TEST(AntRoomDeathTest, CellsOutsideTheirRangeAreReported) {
  AntRoom room(4, 3);  // grid 6 by 5
  EXPECT_EXIT(room.PutFood(0, 1), ExitedWithCode(1), Report("Fatal error: Invaiid Tail at AntRoom::PutFood"));
  EXPECT_EXIT(room.PutFood(5, 1), ExitedWithCode(1), Report("Fatal error: Invaiid Tail at AntRoom::PutFood"));
  EXPECT_EXIT(room.PutWall(1, 4), ExitedWithCode(1), Report("Fatal error: Invaiid Tail at AntRoom::PutWall"));
  EXPECT_EXIT(room.IsFood(6, 0), ExitedWithCode(1), Report("Fatal error: Invaiid Tail at AntRoom::IsFood"));
  EXPECT_EXIT(room.CanMove(0, -1), ExitedWithCode(1),
              Report("Fatal error: Invaiid Tail at AntRoom::CanMove"));
  IntPointArray foods(2);
  foods.Add(2, 2);
  foods.Add(2, 4);
  EXPECT_EXIT(room.PlaceFood(foods), ExitedWithCode(1),
              Report("Fatal error: Invaiid Tail at AntRoom::PutFood"));
  HPAntRoom chain(3, 3);
  EXPECT_EXIT(chain.CanMove(5, 0), ExitedWithCode(1),
              Report("Fatal error: Invaiid Tail at HPAntRoom::CanMove"));
  EXPECT_EXIT(chain.Molecule(-1, 0), ExitedWithCode(1),
              Report("Fatal error: Invaiid Tail at HPAntRoom::Molecule"));
  EXPECT_EXIT(chain.PutMolecule(0, 5), ExitedWithCode(1),
              Report("Fatal error: Invaiid Tail at HPAntRoom::PutMolecule"));
  EXPECT_EXIT(chain.PutFood(4, 1), ExitedWithCode(1),
              Report("Fatal error: Invaiid Tail at HPAntRoom::PutFood"));
}

TEST(AntRoomDeathTest, ImpossibleSizesAreReported) {
  EXPECT_EXIT(AntRoom(-3, 5), ExitedWithCode(1),
              Report("Fatal error: Invalid room size at AntRoom::AntRoom"));
  EXPECT_EXIT(AntRoom(2147483647, 1), ExitedWithCode(1),
              Report("Fatal error: Invalid room size at AntRoom::AntRoom"));
  EXPECT_EXIT(AntRoom(100000, 100000), ExitedWithCode(1),
              Report("Fatal error: Invalid room size at AntRoom::AntRoom"));
  AntRoom empty(-2, -2);  // no cells at all: every access is out of range
  EXPECT_EQ(empty.GetWidth(), 0);
  EXPECT_EQ(empty.CountEaten(), 0);
}

// A chain room of interior 5 by 5 (grid 7 by 7) with the robot laying it.
class ChainRoomTest : public ::testing::Test {
 protected:
  void Lay(std::initializer_list<int> codes) {
    for (int c : codes) sequence.Add(c);
    robot.Init(3, 3, 0, 100.0);
    room.SetSequence(&robot, &sequence);
  }
  HPAntRoom room{5, 5};
  HPAntRobot robot{&room};
  IntArray sequence{10};
};

TEST_F(ChainRoomTest, SetSequenceEmptiesTheChainAndCountsChainPairs) {
  Lay({0, 0, 1, 0, 0, 0});
  EXPECT_EQ(room.GetChainPairs(), 3);
  EXPECT_EQ(room.GetNext(), 0);
  for (int x = 0; x < 7; ++x) {
    for (int y = 0; y < 7; ++y) EXPECT_EQ(room.Molecule(x, y), -1);
  }
  EXPECT_EQ(room.NextMolecule(0), 0);
  EXPECT_EQ(room.NextMolecule(2), 1);
  EXPECT_EQ(room.NextMolecule(6), -1);
}

TEST_F(ChainRoomTest, OccupiedCellsAndWallsAreRefusedWithoutChange) {
  Lay({1, 0, 1});
  IntPointArray recorder(10);
  room.SetRecorder(&recorder);
  EXPECT_EQ(room.CanMove(3, 3), 1);
  EXPECT_EQ(room.CanMove(3, 3), 0);
  EXPECT_EQ(room.CanMove(0, 3), 0);
  EXPECT_EQ(room.GetNext(), 1);
  EXPECT_EQ(room.Molecule(3, 3), 1);
  EXPECT_EQ(room.CanMove(4, 3), 1);
  ASSERT_EQ(recorder.Size(), 2);
  EXPECT_EQ(recorder.Get(1)->x, 4);
  EXPECT_EQ(recorder.Get(1)->z, 0);  // the code placed there
  EXPECT_EQ(robot.GetEnergy(), 100.0);
  room.TakeRecorder();
}

TEST_F(ChainRoomTest, LastResidueEndsTheEpisode) {
  Lay({0, 1, 0});
  EXPECT_EQ(room.CanMove(3, 3), 1);  // the problem places the first residue
  robot.MoveForward();               // (4, 3)
  EXPECT_EQ(robot.GetEnergy(), 99.0);
  robot.MoveLeft();  // (4, 4): the last residue
  EXPECT_EQ(room.GetNext(), 3);
  EXPECT_EQ(robot.GetEnergy(), -1.0);  // used up, then the step's own cost
  robot.MoveForward();
  robot.MoveRight();
  EXPECT_EQ(robot.GetX(), 4);
  EXPECT_EQ(robot.GetY(), 4);
  EXPECT_EQ(robot.GetEnergy(), -1.0);
  EXPECT_EQ(room.Molecule(4, 4), 0);
}

TEST_F(ChainRoomTest, ContactsExcludeChainNeighbours) {
  // 0 at (3,3), 0 at (4,3), 1 at (4,4), 0 at (3,4): the two touching pairs of
  // 0s are (3,3)-(4,3), chain neighbours, and (3,3)-(3,4), a real contact.
  Lay({0, 0, 1, 0});
  room.CanMove(3, 3);
  room.CanMove(4, 3);
  room.CanMove(4, 4);
  room.CanMove(3, 4);
  EXPECT_EQ(room.GetChainPairs(), 1);
  EXPECT_EQ(room.CountContacts(), 1);
}

TEST_F(ChainRoomTest, NoContactsForAStraightChain) {
  Lay({0, 0, 0});
  room.CanMove(2, 3);
  room.CanMove(3, 3);
  room.CanMove(4, 3);
  EXPECT_EQ(room.CountContacts(), 0);
}

TEST(ChainRoomDeathTest, PlacingBeyondTheSequenceIsAnIndexReport) {
  HPAntRoom room(3, 3);
  EXPECT_EXIT(room.PutMolecule(2, 2), ExitedWithCode(1),
              Report("Array index 0 is over size 0 at IntArray::Get"));
}
}  // namespace

// The count takes four cells at a time: grids whose cell count is no
// multiple of four, and cells in the last, partial group, count too.
namespace {
TEST(IntGridTest, CountSeesEveryCell) {
  for (int columns = 1; columns <= 6; ++columns) {
    for (int rows = 1; rows <= 3; ++rows) {
      IntGrid grid(columns, rows);
      EXPECT_EQ(grid.Count(0), columns * rows);
      int expected = 0;
      for (int x = 0; x < columns; ++x) {
        for (int y = 0; y < rows; ++y) {
          if ((x + 2 * y) % 3 == 0) {
            grid.Set(x, y, -1);
            ++expected;
          }
        }
      }
      grid.Set(columns - 1, rows - 1, -1);
      if ((columns - 1 + 2 * (rows - 1)) % 3 != 0) ++expected;
      EXPECT_EQ(grid.Count(-1), expected) << columns << "x" << rows;
      EXPECT_EQ(grid.Count(0), columns * rows - expected);
    }
  }
}
}  // namespace
