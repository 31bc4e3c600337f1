#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TestSupport.h"
#include "robots/RobotRoom.h"

namespace {
using ::testing::ExitedWithCode;

std::string Report(const std::string& line) { return "^" + ExactLine(line + "\n") + "$"; }

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(RobotRoomTest, GridHasAWallRingAndANearWallRing) {
  WallfollowingRoom room(100.0, 100.0, 10.0);
  ASSERT_EQ(room.GetNx(), 12);
  ASSERT_EQ(room.GetNy(), 12);
  for (int i = 0; i < 12; ++i) {
    for (int j = 0; j < 12; ++j) {
      int expected = 0;
      if (i == 1 || i == 10 || j == 1 || j == 10) expected = 1;
      if (i == 0 || i == 11 || j == 0 || j == 11) expected = 2;
      EXPECT_EQ(room.GetGridValue(i, j), expected) << i << "," << j;
    }
  }
  EXPECT_EQ(room.GetGridValue(-1, 5), 2);
  EXPECT_EQ(room.GetGridValue(5, 12), 2);
  // A width that is not a multiple of the cell size is truncated.
  WallfollowingRoom odd(105.0, 29.9, 10.0);
  EXPECT_EQ(odd.GetNx(), 12);
  EXPECT_EQ(odd.GetNy(), 4);
}

TEST(RobotRoomTest, CellOfAtAndJustOutsideTheEdges) {
  WallfollowingRoom room(100.0, 100.0, 10.0);
  int i = -7;
  int j = -7;
  room.CellOf(-50.0, 0.0, i, j);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(j, 6);
  room.CellOf(-50.5, -40.0, i, j);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(j, 2);
  room.CellOf(-40.0001, -40.0001, i, j);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(j, 1);
  room.CellOf(49.999, 50.0, i, j);
  EXPECT_EQ(i, 10);
  EXPECT_EQ(j, 11);
  room.CellOf(-70.0, 1000.0, i, j);  // far outside: clamped into the wall ring
  EXPECT_EQ(i, 0);
  EXPECT_EQ(j, 11);
  EXPECT_EQ(room.Sense(-50.0, 0.0), 1);
  EXPECT_EQ(room.Sense(-50.5, 0.0), -1);
  EXPECT_EQ(room.Sense(0.0, 0.0), 0);
  EXPECT_EQ(room.IsBlocked(-50.5, 0.0), 1);
  EXPECT_EQ(room.IsBlocked(-50.0, 0.0), 0);
}

TEST(RobotRoomTest, CellOfNeverOverflowsAndPutsAbsurdPointsInWalls) {
  WallfollowingRoom room(100.0, 100.0, 10.0);
  int i = -7;
  int j = -7;
  // (50 + x) / 10 is 2147483647.5: truncation gives INT_MAX, one more does
  // not fit an int.
  room.CellOf(21474836425.0, 0.0, i, j);
  EXPECT_EQ(i, 11);
  // (50 + x) / 10 is -2147483648.5: truncation gives INT_MIN, one less does
  // not fit an int.
  room.CellOf(-21474836535.0, 0.0, i, j);
  EXPECT_EQ(i, 0);
  for (double v : {kNaN, kInf, -kInf, 1e300, -1e300}) {
    room.CellOf(v, v, i, j);
    EXPECT_TRUE(i == 0 || i == 11) << v;
    EXPECT_TRUE(j == 0 || j == 11) << v;
    EXPECT_EQ(room.IsBlocked(v, 0.0), 1) << v;
    EXPECT_EQ(room.Sense(0.0, v), -1) << v;
    EXPECT_EQ(room.Move(0.0, 0.0, v, 0.0), 0) << v;
  }
}

TEST(RobotRoomTest, WallsKeepTheirValueAndRaiseFreeNeighbours) {
  WallfollowingRoom room(100.0, 100.0, 10.0);
  room.PutWallAtTail(5, 5);
  room.PutWallAtTail(6, 5);  // beside the first wall
  EXPECT_EQ(room.GetGridValue(5, 5), 2);
  EXPECT_EQ(room.GetGridValue(6, 5), 2);
  for (auto [i, j] : {std::pair{4, 5}, {7, 5}, {5, 4}, {5, 6}, {6, 4}, {6, 6}}) {
    EXPECT_EQ(room.GetGridValue(i, j), 1) << i << "," << j;
  }
  EXPECT_EQ(room.GetGridValue(7, 6), 0);  // diagonal neighbours stay free
  room.PutWallAtTail(6, 6);               // a near-wall cell becomes a wall
  EXPECT_EQ(room.GetGridValue(6, 6), 2);
  EXPECT_EQ(room.GetGridValue(5, 6), 1);
  EXPECT_EQ(room.GetGridValue(7, 6), 1);
  EXPECT_EQ(room.GetGridValue(6, 7), 1);
  room.PutWallAtTail(1, 1);  // beside the outer ring, which stays a wall
  EXPECT_EQ(room.GetGridValue(0, 1), 2);
  EXPECT_EQ(room.GetGridValue(1, 0), 2);
  EXPECT_EQ(room.GetGridValue(2, 1), 1);
  EXPECT_EQ(room.GetGridValue(1, 2), 1);
  room.PutWall(25.0, -35.0);  // the cell holding the point: (8, 2)
  EXPECT_EQ(room.GetGridValue(8, 2), 2);

  const Double2DimensionalArray& walls = room.GetWallList();
  ASSERT_EQ(walls.Size(), 5);
  const double expected[5][4] = {
      {-10, -10, 0, 0}, {0, -10, 10, 0}, {0, 0, 10, 10}, {-50, -50, -40, -40}, {20, -40, 30, -30}};
  for (int w = 0; w < 5; ++w) {
    ASSERT_EQ(walls.Get(w)->Size(), 4);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(walls.Get(w)->Get(c), expected[w][c]) << w << "," << c;
  }
}

TEST(RobotRoomDeathTest, WallCellsOutsideTheInnerCellsAreReported) {
  WallfollowingRoom room(100.0, 100.0, 10.0);
  const std::string bad = Report("Fatal error: Invaiid Tali at WallfollowingRoom::PutWallAtTail");
  EXPECT_EXIT(room.PutWallAtTail(0, 5), ExitedWithCode(1), bad);
  EXPECT_EXIT(room.PutWallAtTail(11, 5), ExitedWithCode(1), bad);
  EXPECT_EXIT(room.PutWallAtTail(5, 0), ExitedWithCode(1), bad);
  EXPECT_EXIT(room.PutWallAtTail(5, 11), ExitedWithCode(1), bad);
  EXPECT_EXIT(room.PutWall(-55.0, 0.0), ExitedWithCode(1), bad);
  BoxMovingRoom box(100.0, 100.0, 10.0);
  EXPECT_EXIT(box.PutWallAtTail(-1, 3), ExitedWithCode(1),
              Report("Fatal error: Invaiid Tali at BoxMovingRoom::PutWallAtTail"));
}

TEST(RobotRoomDeathTest, TwentyOneWallsAreACapacityReport) {
  BoxMovingRoom room(100.0, 100.0, 10.0);
  for (int k = 0; k < 20; ++k) room.PutWallAtTail(1 + k % 10, 1 + k / 10);
  EXPECT_EQ(room.GetWallList().Size(), 20);
  EXPECT_EXIT(room.PutWallAtTail(5, 5), ExitedWithCode(1),
              Report("Capacity 20 is full  at Double2DimensionalArray::Add"));
}

TEST(RobotRoomDeathTest, ImpossibleSizesAreReported) {
  const std::string bad = Report("Fatal error: Invalid room size at RobotRoom::RobotRoom");
  EXPECT_EXIT(WallfollowingRoom(100.0, 100.0, 0.0), ExitedWithCode(1), bad);
  EXPECT_EXIT(WallfollowingRoom(100.0, 100.0, -10.0), ExitedWithCode(1), bad);
  EXPECT_EXIT(BoxMovingRoom(-100.0, 100.0, 10.0), ExitedWithCode(1), bad);
  EXPECT_EXIT(BoxMovingRoom(100.0, kNaN, 10.0), ExitedWithCode(1), bad);
  EXPECT_EXIT(BoxMovingRoom(kInf, 100.0, 10.0), ExitedWithCode(1), bad);
  EXPECT_EXIT(BoxMovingRoom(1e6, 1e6, 1.0), ExitedWithCode(1), bad);
  // Narrower than one cell: a room with no inner cells, all wall.
  WallfollowingRoom tiny(5.0, 5.0, 10.0);
  EXPECT_EQ(tiny.GetNx(), 2);
  EXPECT_EQ(tiny.IsBlocked(0.0, 0.0), 1);
}

TEST(WallfollowingRoomTest, ScoreCountsEachCellOnce) {
  WallfollowingRoom room(100.0, 100.0, 10.0);
  room.Reset();
  EXPECT_EQ(room.Move(0.0, 0.0, 55.0, 0.0), 0);  // the outer wall
  EXPECT_EQ(room.Score(), 0);
  EXPECT_EQ(room.Move(0.0, 0.0, 1.0, 1.0), 1);  // free cell (6, 6)
  EXPECT_EQ(room.Move(0.0, 0.0, 2.0, 2.0), 1);  // the same cell again
  EXPECT_EQ(room.Score(), -1);
  EXPECT_EQ(room.Move(0.0, 0.0, -45.0, 0.0), 1);  // near-wall cell (1, 6)
  EXPECT_EQ(room.Move(0.0, 0.0, -41.0, 3.0), 1);  // the same cell
  EXPECT_EQ(room.Move(0.0, 0.0, 45.0, 45.0), 1);  // near-wall cell (10, 10)
  EXPECT_EQ(room.Score(), 1);
  EXPECT_EQ(room.GetVisited(1, 6), 1);
  EXPECT_EQ(room.GetVisited(6, 6), -1);
  room.Reset();
  EXPECT_EQ(room.Score(), 0);
  // Cells beside an inner wall count as near-wall cells.
  room.PutWallAtTail(6, 6);  // x and y from 0 to 10
  EXPECT_EQ(room.Move(0.0, 0.0, 5.0, 5.0), 0);
  EXPECT_EQ(room.Move(0.0, 0.0, -5.0, 15.0), 1);  // (5, 7): diagonal, free
  EXPECT_EQ(room.Move(0.0, 0.0, 5.0, 15.0), 1);   // (6, 7): above the wall
  EXPECT_EQ(room.Score(), 0);
}

TEST(WallfollowingRoomTest, RecorderTakesEnteredPointsAndStopsWhenFull) {
  WallfollowingRoom room(100.0, 100.0, 10.0);
  room.Reset();
  DoublePointArray recorder(2);
  room.SetRecorder(&recorder);
  room.Move(0.0, 0.0, 1.0, 2.0);
  room.Move(0.0, 0.0, 60.0, 2.0);  // refused: not recorded
  room.Move(0.0, 0.0, -45.0, 0.0);
  room.Move(0.0, 0.0, 45.0, 45.0);  // full: dropped, still scored
  EXPECT_EQ(room.Score(), 1);
  EXPECT_EQ(room.TakeRecorder(), &recorder);
  EXPECT_EQ(room.TakeRecorder(), nullptr);
  ASSERT_EQ(recorder.Size(), 2);
  EXPECT_EQ(recorder.Get(0)->x, 1.0);
  EXPECT_EQ(recorder.Get(0)->y, 2.0);
  EXPECT_EQ(recorder.Get(1)->x, -45.0);
}

// Corners of a box computed directly from its centre, angle and half size,
// as the angle of each corner: the turns by the approximate right angle
// agree with this to far better than 1e-9.
void ExpectCorners(const BoxMovingRoom& room, double x, double y, double angle) {
  for (int k = 0; k < 4; ++k) {
    double a = angle + 0.785398 + k * 1.5708;
    EXPECT_NEAR(room.GetCornerX(k), x + 1.414 * 5.0 * std::cos(a), 1e-9) << k;
    EXPECT_NEAR(room.GetCornerY(k), y + 1.414 * 5.0 * std::sin(a), 1e-9) << k;
  }
}

TEST(BoxMovingRoomTest, PlacementAndCorners) {
  BoxMovingRoom room(100.0, 100.0, 10.0);
  EXPECT_EQ(room.GetHalfSize(), 5.0);
  EXPECT_EQ(room.GetTranslationGain(), 1.0);
  EXPECT_EQ(room.GetRotationGain(), 1.0);
  room.SetBox(12.0, -7.0);
  EXPECT_EQ(room.GetBoxX(), 12.0);
  EXPECT_EQ(room.GetBoxY(), -7.0);
  EXPECT_EQ(room.GetAngle(), 0.0);
  ExpectCorners(room, 12.0, -7.0, 0.0);
  EXPECT_NEAR(room.GetCornerX(0), 17.0, 0.01);
  EXPECT_NEAR(room.GetCornerY(0), -2.0, 0.01);
  EXPECT_NEAR(room.GetCornerX(2), 7.0, 0.01);
  EXPECT_NEAR(room.GetCornerY(2), -12.0, 0.01);
  EXPECT_EQ(room.Score(), 38.0);
  room.Reset();
  EXPECT_EQ(room.GetBoxX(), 0.0);
  EXPECT_EQ(room.Score(), 50.0);
  ExpectCorners(room, 0.0, 0.0, 0.0);
}

TEST(BoxMovingRoomTest, BlockedInsideTheBoxAndOnItsEdge) {
  BoxMovingRoom room(100.0, 100.0, 10.0);
  room.SetBox(10.0, 10.0);
  EXPECT_EQ(room.IsBlocked(10.0, 10.0), 1);
  EXPECT_EQ(room.IsBlocked(14.9, 5.1), 1);
  EXPECT_EQ(room.IsBlocked(15.1, 10.0), 0);
  EXPECT_EQ(room.IsBlocked(10.0, 4.9), 0);
  EXPECT_EQ(room.IsBlocked(-55.0, 0.0), 1);  // wall
  // A corner lies exactly on two edges (the side test gives exactly 0 for
  // both) and inside the other two: it counts as inside.
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(room.IsBlocked(room.GetCornerX(k), room.GetCornerY(k)), 1) << k;
  }
  // Just beyond a corner, along the diagonal, is outside.
  EXPECT_EQ(room.IsBlocked(room.GetCornerX(0) + 1e-9, room.GetCornerY(0) + 1e-9), 0);
}

TEST(BoxMovingRoomTest, PushMovesAndTurnsTheBox) {
  BoxMovingRoom room(100.0, 100.0, 10.0);
  room.Reset();
  DoublePointArray path(10);
  DoublePointArray states(10);
  room.SetRecorder(&path);
  room.SetBoxRecorder(&states);
  // From (-7, 0) a step of (2.5, 0.5) ends inside the box: the box moves by
  // the step to (2.5, 0.5) and turns by (-7 - 2.5) * 0.5 - (0 - 0.5) * 2.5.
  EXPECT_EQ(room.Move(-7.0, 0.0, -4.5, 0.5), 0);
  EXPECT_EQ(room.GetBoxX(), 2.5);
  EXPECT_EQ(room.GetBoxY(), 0.5);
  EXPECT_EQ(room.GetAngle(), -3.5);
  ExpectCorners(room, 2.5, 0.5, -3.5);
  EXPECT_EQ(room.Score(), 47.5);
  // A step that misses the box leaves it.
  EXPECT_EQ(room.Move(-20.0, 0.0, -19.0, 0.0), 1);
  EXPECT_EQ(room.GetBoxX(), 2.5);
  room.TakeRecorder();
  room.TakeBoxRecorder();
  ASSERT_EQ(path.Size(), 2);
  ASSERT_EQ(states.Size(), 2);
  EXPECT_EQ(path.Get(0)->x, -4.5);
  // The state before the push, then the one after it.
  EXPECT_EQ(states.Get(0)->x, 0.0);
  EXPECT_EQ(states.Get(0)->z, 0.0);
  EXPECT_EQ(states.Get(1)->x, 2.5);
  EXPECT_EQ(states.Get(1)->y, 0.5);
  EXPECT_EQ(states.Get(1)->z, -3.5);
}

TEST(BoxMovingRoomTest, StepsIntoWallsAreNeitherMadeNorRecorded) {
  BoxMovingRoom room(100.0, 100.0, 10.0);
  room.Reset();
  DoublePointArray path(10);
  DoublePointArray states(1);
  room.SetRecorder(&path);
  room.SetBoxRecorder(&states);
  EXPECT_EQ(room.Move(49.0, 0.0, 50.0, 0.0), 0);
  EXPECT_EQ(path.Size(), 0);
  EXPECT_EQ(room.Move(20.0, 0.0, 21.0, 0.0), 1);
  EXPECT_EQ(room.Move(21.0, 0.0, 22.0, 0.0), 1);  // box recorder full: dropped
  EXPECT_EQ(path.Size(), 2);
  EXPECT_EQ(states.Size(), 1);
  room.TakeRecorder();
  room.TakeBoxRecorder();
}

TEST(BoxMovingRoomTest, ABoxWithACornerInAWallNeverMoves) {
  BoxMovingRoom room(100.0, 100.0, 10.0);
  // The box reaches x of about 49.999: its corners are still in cell 10.
  room.SetBox(44.0, 0.0);
  EXPECT_EQ(room.Move(37.0, 0.0, 40.0, 0.0), 0);
  EXPECT_EQ(room.GetBoxX(), 47.0);
  EXPECT_EQ(room.GetAngle(), 0.0);  // pushed straight through the centre
  // Now its right corners lie in the outer wall: no push moves it any more.
  EXPECT_EQ(room.Sense(room.GetCornerX(0), room.GetCornerY(0)), -1);
  EXPECT_EQ(room.Move(40.0, 0.0, 43.0, 0.0), 0);
  EXPECT_EQ(room.Move(47.0, -8.0, 47.0, -4.0), 0);
  EXPECT_EQ(room.Move(40.0, 3.0, 43.0, 2.0), 0);
  EXPECT_EQ(room.GetBoxX(), 47.0);
  EXPECT_EQ(room.GetBoxY(), 0.0);
  EXPECT_EQ(room.GetAngle(), 0.0);
  // The same with an inner wall under the lower left corner.
  room.PutWallAtTail(5, 5);  // x and y from -10 to 0
  room.SetBox(3.0, 3.0);
  EXPECT_EQ(room.Move(3.0, 12.0, 3.0, 7.0), 0);
  EXPECT_EQ(room.GetBoxX(), 3.0);
  EXPECT_EQ(room.GetBoxY(), 3.0);
}

TEST(BoxMovingRoomTest, TheCentreNeverEntersAWall) {
  BoxMovingRoom room(100.0, 100.0, 10.0);
  room.SetBox(40.0, 0.0);
  // A long step into the box would put its centre at x = 51, in the wall.
  EXPECT_EQ(room.Move(33.0, 0.0, 44.0, 0.0), 0);
  EXPECT_EQ(room.GetBoxX(), 40.0);
  EXPECT_EQ(room.GetAngle(), 0.0);
}

}  // namespace
