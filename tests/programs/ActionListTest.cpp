#include "programs/ActionList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProgramFixture.h"
#include "programs/CompiledProgram.h"
#include "programs/FlatProgram.h"

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

// A list made straight from a program (as an ant's episode makes it,
// without compiling) counts the stack room a run needs as the program's
// analysis does, in tree and flat form, deep programs included (beyond the
// pending stack's room, which then refuses the list as it refuses the
// compiled program); a node whose arity is not its operator's is refused.
TEST_F(ActionListTest, ListsMadeWithoutCompilingNeedTheRoomTheAnalysisCounts) {
  Head* pendingDeep = N("moveForward0");
  for (int k = 0; k < 150; ++k) pendingDeep = N("ifFoodAhead", {pendingDeep, N("turnLeft0")});
  Head* valuesDeep = N("turnRight0");
  for (int k = 0; k < 150; ++k) valuesDeep = N("Prog2", {N("moveForward0"), valuesDeep});
  Head* mixed = N("turnLeft0");
  for (int k = 0; k < 30; ++k) {
    mixed = k % 3 == 0 ? N("ifFoodAhead", {N("Prog2", {N("turnRight0"), mixed}), N("moveLeft0")})
                       : N("Times2", {N("Plus2", {N("x0"), mixed}), N("ifFoodAhead", {N("1"), N("moveForward0")})});
  }
  std::vector<Head*> roots = {
      pendingDeep,
      valuesDeep,
      mixed,
      N("ifFoodAhead", {N("moveForward0"), N("Prog2", {N("turnLeft0"), N("moveForward0")})}),
      N("moveForward0"),
  };
  for (std::size_t p = 0; p < roots.size(); ++p) {
    program.Compile(roots[p]);
    ASSERT_TRUE(program.IsRunnable()) << p;
    ActionList list;
    ASSERT_TRUE(list.Make(roots[p])) << p;
    EXPECT_EQ(list.GetValueBound(), program.GetValueBound()) << p;
    EXPECT_EQ(list.GetPendingBound(), program.GetPendingBound()) << p;
    FlatProgram flat;
    ASSERT_TRUE(FlatProgram::FromTree(roots[p], flat)) << p;
    ActionList flatList;
    ASSERT_TRUE(flatList.Make(flat.Root())) << p;
    EXPECT_EQ(flatList.GetValueBound(), program.GetValueBound()) << p;
    EXPECT_EQ(flatList.GetPendingBound(), program.GetPendingBound()) << p;
    EXPECT_EQ(flatList.Size(), list.Size()) << p;
    interpreter.Clear();
    EXPECT_EQ(interpreter.ActionsToRun(list) == nullptr, interpreter.ActionsToRun(program) == nullptr) << p;
  }
  program.Compile(pendingDeep);
  interpreter.Clear();
  EXPECT_EQ(interpreter.ActionsToRun(program), nullptr) << "more pending arguments than the stack holds";
  for (Head* root : roots) DeleteTree(root);

  // Three children under a two-argument Prog.
  auto* wrongArity = new Head(Op("Prog2"), 3, 4, 2, 0);
  for (const char* name : {"moveForward0", "turnLeft0", "turnRight0"}) wrongArity->AddChild(N(name));
  program.Compile(wrongArity);
  EXPECT_FALSE(program.IsRunnable());
  ActionList list;
  EXPECT_FALSE(list.Make(wrongArity));
  DeleteTree(wrongArity);
}

}  // namespace
