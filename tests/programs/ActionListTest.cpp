#include "programs/ActionList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProgramFixture.h"
#include "programs/CompiledProgram.h"

namespace {

// Food ahead at the listed sensor readings (counting from 0), none at others.
class ScriptedRobot : public CountingRobot {
 public:
  std::vector<bool> food;
  std::size_t read = 0;
  double Sensor(double a) override {
    CountingRobot::Sensor(a);
    bool ahead = read < food.size() && food[read];
    ++read;
    return ahead ? 1.0 : -1.0;
  }
};

struct ActionListTest : ProgramFixture {
  CompiledProgram program;
  ScriptedRobot scripted;

  // The robot's calls over runs of the compiled program, by the instruction
  // loop or for effects only.
  std::vector<std::string> Calls(bool forEffects, const std::vector<bool>& food, int runs) {
    scripted.calls.clear();
    scripted.food = food;
    scripted.read = 0;
    interpreter.SetRobot(&scripted);
    for (int run = 0; run < runs; ++run) {
      interpreter.Clear();
      if (forEffects) {
        interpreter.EvaluateForEffects(program);
      } else {
        interpreter.EvaluateCompiled(program);
        EXPECT_EQ(interpreter.GetValueCount(), 1);
      }
    }
    return scripted.calls;
  }
};

// Programs of moves, turns, food tests (nested, with branches that do
// nothing) and arithmetic over what they return: only their actions run,
// in the order and with the readings of the instruction loop.
TEST_F(ActionListTest, ActionsAreThoseOfTheCompiledRun) {
  std::vector<Head*> roots = {
      N("ifFoodAhead", {N("moveForward0"), N("Prog2", {N("turnLeft0"), N("moveForward0")})}),
      N("Prog2", {N("Prog2", {N("ifFoodAhead", {N("1"), N("turnRight0")}), N("moveLeft0")}),
                  N("Times2", {N("ifFoodAhead", {N("ifFoodAhead", {N("moveRight0"), N("2.5")}), N("moveBackward0")}),
                               N("Plus2", {N("turnLeft0"), N("Subtract", {N("x0"), N("ifFoodAhead", {N("i0"),
                                                                                                   N("moveForward0")})})})})}),
      N("ifFoodAhead", {N("ifFoodAhead", {N("Prog2", {N("moveForward0"), N("moveForward0")}), N("turnLeft0")}),
                        N("ifFoodAhead", {N("turnRight0"), N("ifFoodAhead", {N("3"), N("4")})})}),
      N("moveForward0"),
  };
  std::vector<std::vector<bool>> foods = {{}, {true, true, true, true, true, true, true, true},
                                          {true, false, true, true, false, false, true}, {false, true}};
  for (std::size_t p = 0; p < roots.size(); ++p) {
    program.Compile(roots[p]);
    ASSERT_NE(program.GetActions(), nullptr) << p;
    for (const std::vector<bool>& food : foods) {
      EXPECT_EQ(Calls(true, food, 3), Calls(false, food, 3)) << "program " << p;
      EXPECT_EQ(interpreter.GetValueCount(), 0) << "the stacks stay as they were";
    }
  }
  for (Head* root : roots) DeleteTree(root);
}

// A program whose values steer it or may be reported (a sensor's argument,
// a real function, a boolean where a number is wanted, an action with an
// argument) has no action list, and a run for effects runs it whole.
TEST_F(ActionListTest, ProgramsWhoseValuesMatterRunWhole) {
  std::vector<Head*> roots = {
      N("Prog2", {N("moveForward0"), N("sensor", {N("1")})}),
      N("Prog2", {N("moveForward0"), N("Sin", {N("turnLeft0")})}),
      N("Prog2", {N("moveForward0"), N("b0")}),
      N("Prog2", {N("moveForward1", {N("2")}), N("turnLeft0")}),
  };
  for (std::size_t p = 0; p < roots.size(); ++p) {
    program.Compile(roots[p]);
    EXPECT_EQ(program.GetActions(), nullptr) << p;
    // The boolean one is reported when run.
    if (!program.IsRunnable() || p == 2) continue;
    EXPECT_EQ(Calls(true, {true}, 2), Calls(false, {true}, 2)) << p;
  }
  for (Head* root : roots) DeleteTree(root);
}

}  // namespace
