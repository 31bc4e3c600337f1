#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "robots/RobotRoom.h"
#include "robots/SmoothyRobot.h"

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// The stated heading rule without any shortcut: repeated steps of 6.28.
double WrapByLoop(double h) {
  while (h < 0.0 || h > 6.28) {
    if (h < 0.0) h += 6.28;
    if (h > 6.28) h -= 6.28;
  }
  return h;
}

// A 100 by 100 room with cells of 10 and a robot of step 1.
class SmoothyTest : public ::testing::Test {
 protected:
  WallfollowingRoom room{100.0, 100.0, 10.0};
  SmoothyRobot robot{&room, 1.0};
};

TEST_F(SmoothyTest, AStartedMoveMakesAllItsSteps) {
  robot.Init(-30.0, -30.0, 0.0, 1.0);
  robot.MoveForward();
  EXPECT_EQ(robot.GetX(), -20.0);
  EXPECT_EQ(robot.GetY(), -30.0);
  EXPECT_EQ(robot.GetEnergy(), -9.0);
  robot.MoveForward();  // no energy: nothing happens
  robot.MoveBackward();
  robot.MoveLeft();
  robot.MoveRight(2.0, 3.0);
  EXPECT_EQ(robot.GetX(), -20.0);
  EXPECT_EQ(robot.GetHeading(), 0.0);
  EXPECT_EQ(robot.GetEnergy(), -9.0);
  robot.Init(0.0, 0.0, 0.0, kNaN);
  robot.MoveForward();
  EXPECT_EQ(robot.GetX(), 0.0);
}

TEST_F(SmoothyTest, StepsRefusedByWallsStillCostEnergy) {
  robot.Init(45.5, 0.0, 0.0, 20.0);
  robot.MoveForward(6.0);  // 46.5 .. 49.5, then 50.5 is in the wall twice
  EXPECT_EQ(robot.GetX(), 49.5);
  EXPECT_EQ(robot.GetEnergy(), 14.0);
}

TEST_F(SmoothyTest, BackwardsInHalfSteps) {
  robot.Init(0.0, 0.0, 0.0, 100.0);
  robot.MoveBackward(4.0);
  EXPECT_EQ(robot.GetX(), -2.0);
  robot.MoveBackward();
  EXPECT_EQ(robot.GetX(), -7.0);
  EXPECT_EQ(robot.GetEnergy(), 86.0);
}

TEST_F(SmoothyTest, CountsAreTruncatedAndCapped) {
  robot.Init(0.0, 0.0, 3.14159, 1e6);
  robot.MoveForward(2.9);
  EXPECT_EQ(robot.GetEnergy(), 1e6 - 2);
  for (double n : {-3.0, 0.99, kNaN, 3e9, -1e300}) robot.MoveForward(n);
  EXPECT_EQ(robot.GetEnergy(), 1e6 - 2);
  robot.Init(0.0, 0.0, 3.14159, 1e6);
  robot.MoveForward(1e9);
  EXPECT_EQ(robot.GetEnergy(), 1e6 - 100000);
  robot.MoveBackward(2147483647.0);
  EXPECT_EQ(robot.GetEnergy(), 1e6 - 200000);
  robot.MoveLeft(1.0, 100000.0);
  EXPECT_EQ(robot.GetEnergy(), 1e6 - 300000);
  robot.MoveRight(1.0, 99999.9);
  EXPECT_EQ(robot.GetEnergy(), 1e6 - 399999);
}

TEST_F(SmoothyTest, ArcsTurnBeforeEachStep) {
  robot.Init(0.0, 0.0, 0.0, 100.0);
  robot.MoveLeft(2.0, 1.0);  // turn by 1 / 2 * 0.5
  EXPECT_EQ(robot.GetHeading(), 0.25);
  EXPECT_EQ(robot.GetX(), std::cos(0.25));
  EXPECT_EQ(robot.GetY(), std::sin(0.25));
  robot.MoveRight(0.0, 1.0);  // radius 0 is taken as 1: turn by -0.5
  EXPECT_EQ(robot.GetHeading(), (0.25 - 0.5) + 6.28);
  robot.Init(0.0, 0.0, 0.0, 100.0);
  robot.MoveLeft();  // radius 4, ten steps of 0.125
  EXPECT_EQ(robot.GetHeading(), 1.25);
  robot.MoveRight(8.0);  // ten steps of -0.0625
  EXPECT_EQ(robot.GetHeading(), 0.625);
  EXPECT_EQ(robot.GetEnergy(), 80.0);
  robot.Init(0.0, 0.0, 6.2, 100.0);
  robot.MoveLeft(4.0, 1.0);  // past 6.28 (not 2 pi): wraps by 6.28
  EXPECT_EQ(robot.GetHeading(), (6.2 + 0.125) - 6.28);
  robot.Init(0.0, 0.0, 6.27, 100.0);
  robot.MoveLeft(-4.0, 1.0);  // a negative radius turns the other way
  EXPECT_EQ(robot.GetHeading(), 6.27 - 0.125);
}

TEST_F(SmoothyTest, HeadingsUpTo1000WrapByTheLoopAndLargerOnesByFmod) {
  // A radius of 1e300 turns by 5e-301, which leaves these headings as they are.
  for (double h : {999.9, 1000.0, -999.9}) {
    robot.Init(0.0, 0.0, h, 100.0);
    robot.MoveLeft(1e300, 1.0);
    EXPECT_EQ(robot.GetHeading(), WrapByLoop(h)) << h;
    EXPECT_NE(robot.GetHeading(), WrapByLoop(std::fmod(h, 6.28))) << h;
  }
  for (double h : {1000.2, -1000.5}) {
    robot.Init(0.0, 0.0, h, 100.0);
    robot.MoveLeft(1e300, 1.0);
    EXPECT_EQ(robot.GetHeading(), WrapByLoop(std::fmod(h, 6.28))) << h;
    EXPECT_NE(robot.GetHeading(), WrapByLoop(h)) << h;
  }
}

TEST_F(SmoothyTest, EnormousTurnsEndAndNaNHeadingsAreHarmless) {
  robot.Init(0.0, 0.0, 0.0, 1e6);
  robot.MoveLeft(1e-300, 1.0);  // a turn by 5e299
  EXPECT_EQ(robot.GetHeading(), std::fmod(1.0 / 1e-300 * 0.5, 6.28));
  robot.MoveRight(1e-300, 100000.0);
  EXPECT_GE(robot.GetHeading(), 0.0);
  EXPECT_LE(robot.GetHeading(), 6.28);
  robot.Init(0.0, 0.0, 0.0, 100.0);
  robot.MoveLeft(1e-320, 1.0);  // an infinite turn: the heading becomes NaN
  EXPECT_TRUE(std::isnan(robot.GetHeading()));
  double x = robot.GetX();
  robot.MoveLeft(3.0, 5.0);
  robot.MoveForward();
  EXPECT_EQ(robot.GetX(), x);  // steps towards NaN fall into a wall cell
  EXPECT_EQ(robot.GetEnergy(), 100.0 - 16.0);
  EXPECT_EQ(robot.Sensor(2.0), 0.0);
}

TEST_F(SmoothyTest, TurnOperationsDoNothing) {
  robot.Init(1.0, 2.0, 0.5, 10.0);
  robot.TurnLeft();
  robot.TurnLeft(1.0);
  robot.TurnRight();
  robot.TurnRight(1.0);
  EXPECT_EQ(robot.GetX(), 1.0);
  EXPECT_EQ(robot.GetY(), 2.0);
  EXPECT_EQ(robot.GetHeading(), 0.5);
  EXPECT_EQ(robot.GetEnergy(), 10.0);
}

// Free distance along a ray in the empty room, walked independently: the
// free points are those with -50 <= x, y < 50.
double FreeDistance(double x, double y, double direction, double step) {
  int count = 0;
  for (;;) {
    x += step * std::cos(direction);
    y += step * std::sin(direction);
    if (x < -50.0 || x >= 50.0 || y < -50.0 || y >= 50.0) break;
    ++count;
  }
  return count * step;
}

TEST_F(SmoothyTest, SensorMeasuresTheFreeDistanceInSevenDirections) {
  robot.Init(0.0, 0.0, 0.0, 0.0);  // sensing needs no energy
  EXPECT_EQ(robot.Sensor(2.0), 49.0);
  EXPECT_EQ(robot.Sensor(9.5), 49.0);
  const double offsets[7] = {1.0, 0.5, 0.0, -0.5, -1.0, 2.5, 3.5};
  for (int k = 0; k < 7; ++k) {
    EXPECT_EQ(robot.Sensor(k), FreeDistance(0.0, 0.0, offsets[k], 1.0)) << k;
  }
  EXPECT_EQ(robot.Sensor(7.9), FreeDistance(0.0, 0.0, 1.0, 1.0));
  EXPECT_EQ(robot.Sensor(-7.9), robot.Sensor(7.9));
  EXPECT_EQ(robot.Sensor(-0.5), robot.Sensor(0.0));
  // NaN and enormous arguments give a direction outside 0 .. 6: no offset.
  EXPECT_EQ(robot.Sensor(kNaN), 49.0);
  EXPECT_EQ(robot.Sensor(1e300), 49.0);
  EXPECT_EQ(robot.GetEnergy(), 0.0);
  // Inner walls end the ray: cell (7, 6) spans x from 10 to 20, y from 0 to 10.
  room.PutWallAtTail(7, 6);
  robot.Init(0.5, 5.0, 0.0, 0.0);
  EXPECT_EQ(robot.Sensor(2.0), 9.0);
}

TEST(SmoothySensorTest, TheBoxEndsTheRay) {
  BoxMovingRoom room(100.0, 100.0, 10.0);
  room.Reset();
  SmoothyRobot robot(&room, 1.0);
  robot.Init(-20.5, 0.0, 0.0, 0.0);
  EXPECT_EQ(robot.Sensor(2.0), 15.0);  // -19.5 .. -5.5 free, -4.5 in the box
}

TEST(SmoothySensorTest, ARayTooShortToAdvanceStillEnds) {
  WallfollowingRoom room(100.0, 100.0, 10.0);
  SmoothyRobot robot(&room, 1e-300);  // 0.5 + 1e-300 is 0.5
  robot.Init(0.5, 0.5, 0.0, 0.0);
  EXPECT_EQ(robot.Sensor(2.0), SmoothyRobot::kMaxRayPoints * 1e-300);
}

TEST(SmoothyRecordingTest, AFullRecorderChangesNothingButTheRecord) {
  WallfollowingRoom room(100.0, 100.0, 10.0);
  SmoothyRobot robot(&room, 3.0);
  auto episode = [&](DoublePointArray* recorder) {
    room.Reset();
    room.SetRecorder(recorder);
    robot.Init(-30.0, -30.0, 0.3, 200.0);
    while (robot.GetEnergy() > 0.0) {
      robot.MoveLeft(20.0, 7.0);
      robot.ConsumeEnergy(1.0);
    }
    room.TakeRecorder();
    return room.Score();
  };
  int unrecorded = episode(nullptr);
  double x = robot.GetX();
  DoublePointArray recorder(5);
  EXPECT_EQ(episode(&recorder), unrecorded);
  EXPECT_EQ(robot.GetX(), x);
  EXPECT_EQ(recorder.Size(), 5);
}

TEST(SmoothyEpisodeTest, ForwardOnlyProgramInTheDefaultBoxRoom) {
  // The window's defaults: the program is a single forward move; each run
  // costs its ten steps and one more.
  BoxMovingRoom room(100.0, 100.0, 10.0);
  SmoothyRobot robot(&room, 1.0);
  robot.Init(-30.0, -30.0, 1.57, 400.0);
  room.SetBox(0.0, 0.0);
  int runs = 0;
  do {
    robot.MoveForward();
    robot.ConsumeEnergy(1.0);
    ++runs;
  } while (robot.GetEnergy() > 0.0);
  EXPECT_EQ(runs, 37);
  EXPECT_EQ(robot.GetEnergy(), -7.0);
  EXPECT_EQ(room.Score(), 50.0);
}
}  // namespace
