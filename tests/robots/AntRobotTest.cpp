#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TestSupport.h"
#include "robots/AntRobot.h"
#include "robots/AntRoom.h"

namespace {
using ::testing::ExitedWithCode;

TEST(AntRobotTest, StepsFollowTheDirectionAndWallsCostEnergy) {
  AntRoom room(3, 3);  // interior 1 .. 3
  AntRobot robot(&room);
  robot.Init(2, 2, 0, 10.0);
  robot.MoveForward();
  EXPECT_EQ(robot.GetX(), 3);
  robot.MoveForward();  // into the border wall: refused, still paid for
  EXPECT_EQ(robot.GetX(), 3);
  EXPECT_EQ(robot.GetEnergy(), 8.0);
  robot.MoveBackward();  // direction 0 backs to x - 1
  EXPECT_EQ(robot.GetX(), 2);
  robot.Init(2, 2, 1, 10.0);
  robot.MoveForward();
  EXPECT_EQ(robot.GetY(), 3);
  robot.MoveBackward();
  robot.MoveBackward();
  EXPECT_EQ(robot.GetY(), 1);
  robot.Init(2, 2, 2, 10.0);
  robot.MoveBackward();
  EXPECT_EQ(robot.GetX(), 3);
  robot.Init(2, 2, 3, 10.0);
  robot.MoveForward();
  EXPECT_EQ(robot.GetY(), 1);
  EXPECT_EQ(robot.GetEnergy(), 9.0);
}

TEST(AntRobotTest, TurnsAreFreeAndWrapAround) {
  AntRoom room(3, 3);
  AntRobot robot(&room);
  robot.Init(2, 2, 2, 0.0);
  for (int k = 0; k < 4; ++k) robot.TurnLeft();
  EXPECT_EQ(robot.GetDirection(), 2);
  robot.TurnLeft();
  robot.TurnLeft();
  EXPECT_EQ(robot.GetDirection(), 0);
  robot.TurnRight();
  EXPECT_EQ(robot.GetDirection(), 3);
  EXPECT_EQ(robot.GetEnergy(), 0.0);
  // Without energy MoveLeft still turns but does not step.
  robot.MoveLeft();
  EXPECT_EQ(robot.GetDirection(), 0);
  robot.MoveRight();
  EXPECT_EQ(robot.GetDirection(), 3);
  EXPECT_EQ(robot.GetX(), 2);
  EXPECT_EQ(robot.GetY(), 2);
  EXPECT_EQ(robot.GetEnergy(), 0.0);
}

TEST(AntRobotTest, FormsWithArgumentsDoNothing) {
  AntRoom room(3, 3);
  AntRobot robot(&room);
  robot.Init(2, 2, 1, 5.0);
  robot.MoveForward(3.0);
  robot.MoveBackward(3.0);
  robot.MoveLeft(1.0);
  robot.MoveLeft(1.0, 2.0);
  robot.MoveRight(1.0);
  robot.MoveRight(1.0, 2.0);
  robot.TurnLeft(1.0);
  robot.TurnRight(1.0);
  EXPECT_EQ(robot.GetX(), 2);
  EXPECT_EQ(robot.GetY(), 2);
  EXPECT_EQ(robot.GetDirection(), 1);
  EXPECT_EQ(robot.GetEnergy(), 5.0);
}

TEST(AntRobotTest, FoodOnTheStartCellCountsOnlyWhenEnteredAgain) {
  AntRoom room(3, 3);
  IntPointArray foods(3);
  foods.Add(2, 2);
  foods.Add(3, 2);
  room.PlaceFood(foods);
  AntRobot robot(&room);
  robot.Init(2, 2, 0, 10.0);
  EXPECT_EQ(room.CountEaten(), 0);
  EXPECT_EQ(robot.Sensor(0.0), 1.0);  // food ahead at (3, 2)
  robot.MoveForward();
  EXPECT_EQ(room.CountEaten(), 1);
  EXPECT_EQ(robot.Sensor(0.0), -1.0);  // the border wall ahead holds no food
  robot.MoveBackward();
  EXPECT_EQ(room.CountEaten(), 2);
}

TEST(AntRobotTest, TurnByCorrectsOnce) {
  AntRoom room(1, 1);
  AntRobot robot(&room);
  EXPECT_EQ(robot.TurnBy(0, -1), 3);
  EXPECT_EQ(robot.TurnBy(3, 2), 1);
  EXPECT_EQ(robot.TurnBy(2, 1), 3);
  EXPECT_EQ(robot.TurnBy(1, -6), -1);
  EXPECT_EQ(robot.TurnBy(3, 7), 6);
}

TEST(AntRobotDeathTest, LookingOutOfTheGridIsReportedByTheRoom) {
  AntRoom room(3, 3);
  AntRobot robot(&room);
  robot.Init(4, 2, 0, 10.0);  // on the border, facing out
  EXPECT_EXIT(robot.Sensor(0.0), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: Invaiid Tail at AntRoom::IsFood\n") + "$");
  EXPECT_EXIT(robot.MoveForward(), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: Invaiid Tail at AntRoom::CanMove\n") + "$");
}

// The chain robot at (3, 3) facing x + 1, with residues laid around it:
//   y=4:  (2,4)=5  (3,4)=1  (4,4)=6
//   y=3:  (2,3)=2  (3,3)=0  (4,3)=3
//   y=2:  (2,2)=7  (3,2)=4  (4,2)=8
class ChainSensorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int c : {0, 3, 6, 1, 5, 2, 7, 4, 8, 9, 11}) sequence.Add(c);
    robot.Init(3, 3, 0, 100.0);
    room.SetSequence(&robot, &sequence);
    const int cells[][2] = {{3, 3}, {4, 3}, {4, 4}, {3, 4}, {2, 4}, {2, 3}, {2, 2}, {3, 2}, {4, 2}};
    for (const auto& c : cells) room.CanMove(c[0], c[1]);
  }
  HPAntRoom room{5, 5};
  HPAntRobot robot{&room};
  IntArray sequence{20};
};

TEST_F(ChainSensorTest, ReadingsLookAroundInTurningOrder) {
  EXPECT_EQ(robot.Sensor(0.0), 3.0);  // ahead
  EXPECT_EQ(robot.Sensor(1.0), 1.0);  // left-turn side
  EXPECT_EQ(robot.Sensor(2.0), 2.0);  // behind
  EXPECT_EQ(robot.Sensor(3.9), 4.0);  // right-turn side
  EXPECT_EQ(robot.Sensor(4.0), 6.0);  // diagonal x + 1, y + 1
  EXPECT_EQ(robot.Sensor(5.0), 5.0);
  EXPECT_EQ(robot.Sensor(6.0), 7.0);
  EXPECT_EQ(robot.Sensor(7.0), 8.0);
  EXPECT_EQ(robot.Sensor(8.0), 0.0);   // own cell
  EXPECT_EQ(robot.Sensor(-1.0), 4.0);  // negative: a right turn
  EXPECT_EQ(robot.Sensor(-2.0), 2.0);
  EXPECT_EQ(robot.Sensor(12.0), 1.0);  // remainder 11
  robot.TurnLeft();                    // now facing y + 1
  EXPECT_EQ(robot.Sensor(0.0), 1.0);
  EXPECT_EQ(robot.Sensor(4.0), 5.0);
  // Offsets that one correction cannot bring into 0 .. 3 read the own cell.
  robot.TurnRight();
  EXPECT_EQ(robot.Sensor(-10.0), 0.0);
  // NaN and enormous arguments truncate to INT_MIN: remainder -2, behind.
  EXPECT_EQ(robot.Sensor(std::numeric_limits<double>::quiet_NaN()), 2.0);
  EXPECT_EQ(robot.Sensor(1e300), 2.0);
}

TEST_F(ChainSensorTest, NextResiduesUntilTheChainIsComplete) {
  EXPECT_EQ(robot.Sensor(9.0), 9.0);
  EXPECT_EQ(robot.Sensor(10.0), 11.0);
  EXPECT_EQ(robot.Sensor(20.0), 9.0);  // 20 remainder 11 is 9
  EXPECT_EQ(room.CanMove(5, 3), 1);
  EXPECT_EQ(robot.Sensor(9.0), 11.0);
  EXPECT_EQ(robot.Sensor(10.0), -1.0);
  EXPECT_EQ(room.CanMove(5, 4), 1);
  EXPECT_EQ(robot.Sensor(9.0), -1.0);
  EXPECT_EQ(robot.GetEnergy(), 0.0);
}
}  // namespace
