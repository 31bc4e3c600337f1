#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "programs/CompiledProgram.h"
#include "programs/ProgramFixture.h"
#include "robots/AntRobot.h"
#include "robots/AntRoom.h"

namespace {

// An ant that leaves its actions to the interpreter's loop, one call each.
class CalledAnt : public AntRobot {
 public:
  using AntRobot::AntRobot;
};

struct AntActionsTest : ProgramFixture {};

struct Ant {
  int x, y, direction, eaten;
  double energy;
  bool operator==(const Ant&) const = default;
};

// The ant's own loop over a program's actions leaves the ant and the food
// where calling the actions one by one leaves them, on a trail with turns,
// gaps and a wall, over a whole episode.
TEST_F(AntActionsTest, AntsOwnLoopDoesWhatTheCallsDo) {
  std::vector<Head*> roots = {
      N("ifFoodAhead", {N("moveForward0"), N("Prog2", {N("turnLeft0"), N("ifFoodAhead", {N("moveForward0"),
                                                                                          N("turnRight0")})})}),
      N("Prog2", {N("ifFoodAhead", {N("moveForward0"), N("moveRight0")}),
                  N("Prog2", {N("moveLeft0"), N("ifFoodAhead", {N("1"), N("moveBackward0")})})}),
  };
  auto episode = [&](AntRobot& ant, AntRoom& room, const CompiledProgram& program) {
    IntPointArray foods(8);
    for (int k = 2; k <= 6; ++k) foods.Add(k, 3);
    foods.Add(6, 4);
    foods.Add(6, 6);
    foods.Add(5, 7);
    room.PlaceFood(foods);
    room.PutWall(4, 5);
    ant.Init(1, 3, 0, 60.0);
    do {
      interpreter.Clear();
      interpreter.SetRobot(&ant);
      interpreter.EvaluateForEffects(program);
      ant.ConsumeEnergy(1.0);
    } while (ant.GetEnergy() > 0.0);
    return Ant{ant.GetX(), ant.GetY(), ant.GetDirection(), room.CountEaten(), ant.GetEnergy()};
  };
  for (Head* root : roots) {
    CompiledProgram program;
    program.Compile(root);
    ASSERT_NE(program.GetActions(), nullptr);
    AntRoom ownRoom(8, 8);
    AntRobot own(&ownRoom);
    AntRoom calledRoom(8, 8);
    CalledAnt called(&calledRoom);
    Ant byOwnLoop = episode(own, ownRoom, program);
    Ant byCalls = episode(called, calledRoom, program);
    EXPECT_EQ(byOwnLoop, byCalls);
    EXPECT_GT(byCalls.eaten, 0);
    DeleteTree(root);
  }
}

}  // namespace
