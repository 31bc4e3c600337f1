#include "programs/CompiledProgram.h"

#include <gtest/gtest.h>

#include <vector>

#include "ProgramFixture.h"
#include "TestSupport.h"

namespace {
using ::testing::ExitedWithCode;

struct CompiledProgramTest : ProgramFixture {
  CompiledProgram program;

  // Evaluates root (taken over) by walking the tree and by the compiled
  // program; both must leave the same value and robot calls. Returns the
  // robot's calls.
  std::vector<std::string> ExpectBothAlike(Head* root) {
    program.Compile(root);
    robot.calls.clear();
    interpreter.Clear();
    interpreter.Evaluate(root);
    std::vector<std::string> treeCalls = robot.calls;
    int treeType = interpreter.PopType();
    double treeValue = treeType == ValueType::Double ? interpreter.PopDouble()
                       : treeType == ValueType::Int  ? interpreter.PopInt()
                                                     : interpreter.PopBool();
    robot.calls.clear();
    interpreter.Clear();
    interpreter.EvaluateCompiled(program);
    EXPECT_EQ(interpreter.GetValueCount(), 1);
    int type = interpreter.PopType();
    double value = type == ValueType::Double ? interpreter.PopDouble()
                   : type == ValueType::Int  ? interpreter.PopInt()
                                             : interpreter.PopBool();
    EXPECT_EQ(type, treeType);
    EXPECT_EQ(value, treeValue);
    EXPECT_EQ(robot.calls, treeCalls);
    DeleteTree(root);
    return robot.calls;
  }
};

TEST_F(CompiledProgramTest, BoundsOfValuesAndPendingArguments) {
  // Plus(x0, Times(x1, Plus(x0, x1))): the innermost x1 comes with three
  // values below it.
  Head* root = N("Plus2", {N("x0"), N("Times2", {N("x1"), N("Plus2", {N("x0"), N("x1")})})});
  program.Compile(root);
  EXPECT_TRUE(program.IsRunnable());
  EXPECT_EQ(program.GetValueBound(), 4);
  EXPECT_EQ(program.GetPendingBound(), 0);
  EXPECT_EQ(program.GetNodeCount(), 7);
  EXPECT_FALSE(program.HasConditional());
  DeleteTree(root);

  // if(b0, if(b1, b2, b3), b4): the inner if pushes its three on the outer
  // one's else-branch, still pending.
  root = N("if", {N("b0"), N("if", {N("b1"), N("b2"), N("b3")}), N("b4")});
  program.Compile(root);
  EXPECT_EQ(program.GetPendingBound(), 4);
  EXPECT_TRUE(program.HasConditional());
  EXPECT_TRUE(program.IsAllBool());
  // The typed nodes compute both branches: four values at once.
  EXPECT_EQ(program.GetNodeDepth(), 4);
  DeleteTree(root);

  // iflte(a, b, ...): b is evaluated above a.
  root = N("iflte", {N("x0"), N("Plus2", {N("x1"), N("x2")}), N("1"), N("2")});
  program.Compile(root);
  EXPECT_EQ(program.GetValueBound(), 3);
  EXPECT_EQ(program.GetPendingBound(), 4);
  EXPECT_EQ(program.GetResultType(), ValueType::Int);
  DeleteTree(root);
}

TEST_F(CompiledProgramTest, StaticTypes) {
  struct Case {
    Head* root;
    int type;  // 0: not typed
  } cases[] = {
      {N("Plus2", {N("1"), N("2")}), ValueType::Int},
      {N("Plus2", {N("1"), N("2.5")}), ValueType::Double},
      {N("divide", {N("1"), N("2")}), ValueType::Double},
      {N("and2", {N("b0"), N("not", {N("b1")})}), ValueType::Bool},
      {N("if", {N("x0"), N("1"), N("2")}), ValueType::Int},
      // Branches of different types: the type depends on the case.
      {N("if", {N("b0"), N("1"), N("2.0")}), 0},
      // A bool where a number is wanted: a report waits in some case.
      {N("Plus2", {N("b0"), N("1")}), 0},
      {N("iflte", {N("b0"), N("1"), N("2"), N("3")}), 0},
      // Robot actions are never typed.
      {N("Prog2", {N("moveForward0"), N("1.0")}), 0},
  };
  for (Case& c : cases) {
    program.Compile(c.root);
    EXPECT_TRUE(program.IsRunnable()) << c.root->ToString();
    EXPECT_EQ(program.IsTyped(), c.type != 0) << c.root->ToString();
    if (c.type != 0) {
      EXPECT_EQ(program.GetResultType(), c.type) << c.root->ToString();
    }
    DeleteTree(c.root);
  }
}

TEST_F(CompiledProgramTest, ProgramsOnlyTheTreeWalkRuns) {
  RunLog log;
  Recorder recorder("rec", 0, &log, 5);
  Head* root = N("Plus2", {Node(&recorder), N("1")});
  program.Compile(root);
  EXPECT_FALSE(program.IsRunnable());
  interpreter.Clear();
  interpreter.EvaluateCompiled(program);
  EXPECT_EQ(log, RunLog{"rec"});
  EXPECT_EQ(interpreter.PopType(), ValueType::Int);
  EXPECT_EQ(interpreter.PopInt(), 6);
  DeleteTree(root);

  // A node whose arity is not its operator's (made by hand).
  Head* odd = new Head(Op("Plus2"), 1, -1, -1, 0);
  odd->AddChild(N("1"));
  program.Compile(odd);
  EXPECT_FALSE(program.IsRunnable());
  DeleteTree(odd);
}

TEST_F(CompiledProgramTest, ValuesAndRobotActionsAsTheTreeWalk) {
  interpreter.SetDoubleVariable(0, 1.0);
  interpreter.SetDoubleVariable(1, 2.0);
  interpreter.SetIntVariable(0, 3);
  // iflte runs its then-branch for a <= b, and not-a-number runs it too.
  EXPECT_EQ(ExpectBothAlike(N("iflte", {N("x0"), N("x1"), N("moveForward0"), N("moveBackward0")})),
            (std::vector<std::string>{"MoveForward()"}));
  interpreter.SetDoubleVariable(0, 3.0);
  EXPECT_EQ(ExpectBothAlike(N("iflte", {N("x0"), N("x1"), N("moveForward0"), N("moveBackward0")})),
            (std::vector<std::string>{"MoveBackward()"}));
  // The sensor is read once, before either branch.
  robot.reading = 1.0;
  EXPECT_EQ(ExpectBothAlike(N("ifFoodAhead", {N("moveForward0"), N("turnLeft0")})),
            (std::vector<std::string>{"Sensor(0)", "MoveForward()"}));
  robot.reading = 0.0;
  EXPECT_EQ(ExpectBothAlike(N("ifFoodAhead", {N("moveForward0"), N("turnLeft0")})),
            (std::vector<std::string>{"Sensor(0)", "TurnLeft()"}));
  EXPECT_EQ(ExpectBothAlike(N("Prog2", {N("moveLeft1", {N("i0")}), N("sensor", {N("Plus2", {N("1"), N("x0")})})})),
            (std::vector<std::string>{"MoveLeft(3)", "Sensor(4)"}));
  // Wrapping ints, protected reals, ints widened.
  ExpectBothAlike(N("Times2", {N("2147483647"), N("2")}));
  ExpectBothAlike(N("Subtract", {N("-2147483648"), N("1")}));
  ExpectBothAlike(N("divide", {N("1"), N("0")}));
  ExpectBothAlike(N("Plus2", {N("-0.0"), N("-0.0")}));
  ExpectBothAlike(N("pow", {N("-2.0"), N("0.5")}));
  ExpectBothAlike(N("log", {N("2"), N("8")}));
  ExpectBothAlike(N("if", {N("b0"), N("Exp", {N("x1")}), N("ln", {N("0")})}));
  ExpectBothAlike(N("nor2", {N("b0"), N("nand2", {N("b1"), N("b2")})}));
}

TEST_F(CompiledProgramTest, CountsTheNodesEvaluated) {
  Head* root = N("if", {N("b0"), N("x0"), N("Plus2", {N("x0"), N("x1")})});
  program.Compile(root);
  long long executed = 0;
  interpreter.SetIntVariable(0, 1);
  interpreter.Clear();
  EXPECT_TRUE(interpreter.EvaluateCounting(program, executed));
  EXPECT_EQ(executed, 3);
  interpreter.SetIntVariable(0, 0);
  interpreter.Clear();
  EXPECT_TRUE(interpreter.EvaluateCounting(program, executed));
  EXPECT_EQ(executed, 3 + 5);
  DeleteTree(root);
}

// Reports made on the compiled path are those of the tree walk.
TEST_F(CompiledProgramTest, ReportsAsTheTreeWalk) {
  Head* bad = N("and2", {N("b0"), N("x0")});
  program.Compile(bad);
  EXPECT_EXIT(interpreter.EvaluateCompiled(program), ExitedWithCode(1),
              "^" + ExactLine("Lisp interpretation error: type error at BoolOperator::Operate\n") + "$");
  Head* badIf = N("if", {N("moveForward0"), N("b0"), N("b1")});
  Head* noRobot = N("ifFoodAhead", {N("1"), N("2")});
  program.Compile(noRobot);
  interpreter.SetRobot(nullptr);
  EXPECT_EXIT(interpreter.EvaluateCompiled(program), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: no robot is set at IfFoodAheadOperator::Operate\n") + "$");
  Head* boolCondition = N("iflte", {N("b0"), N("1"), N("2"), N("3")});
  program.Compile(boolCondition);
  EXPECT_EXIT(interpreter.EvaluateCompiled(program), ExitedWithCode(1),
              "^" + ExactLine("Lisp interpretation error: type error at IflteOperator::Operate\n") + "$");
  // Once a conditional has run, popping past the pending arguments is the
  // tree walk's index report.
  Head* done = N("if", {N("b0"), N("1"), N("2")});
  program.Compile(done);
  interpreter.EvaluateCompiled(program);
  EXPECT_EXIT(interpreter.EvaluatingPop(), ExitedWithCode(1),
              "^" + ExactLine("Array index -1 is over size 0 at HeadArray::Get\n") + "$");
  for (Head* root : {bad, badIf, noRobot, boolCondition, done}) DeleteTree(root);
}

// Where the stacks could overflow, the tree walk runs and reports.
TEST_F(CompiledProgramTest, StacksWithoutRoomGoToTheTreeWalk) {
  Head* sum = N("Plus2", {N("1"), N("2")});
  program.Compile(sum);
  interpreter.Clear();
  for (int i = 0; i < 9998; ++i) interpreter.PushInt(i);
  EXPECT_TRUE(interpreter.CanRunCompiled(program));
  interpreter.PushInt(0);
  EXPECT_FALSE(interpreter.CanRunCompiled(program));
  EXPECT_EXIT(interpreter.EvaluateCompiled(program), ExitedWithCode(1),
              "^" + ExactLine("Capacity 10000 is full  at IntArray::Add\n") + "$");
  DeleteTree(sum);

  // 98 ifs nested in then-branches make 100 pending arguments at once: no
  // report. One more overflows the pending nodes.
  auto chain = [this](int depth) {
    Head* root = N("b0");
    for (int i = 0; i < depth; ++i) root = N("if", {N("b1"), root, N("b2")});
    return root;
  };
  interpreter.Clear();
  interpreter.SetIntVariable(1, 1);
  Head* fits = chain(98);
  program.Compile(fits);
  EXPECT_EQ(program.GetPendingBound(), 100);
  EXPECT_TRUE(interpreter.CanRunCompiled(program));
  interpreter.EvaluateCompiled(program);
  EXPECT_EQ(interpreter.GetValueCount(), 1);
  Head* over = chain(99);
  program.Compile(over);
  interpreter.Clear();
  EXPECT_FALSE(interpreter.CanRunCompiled(program));
  EXPECT_EXIT(interpreter.EvaluateCompiled(program), ExitedWithCode(1),
              "^" + ExactLine("Capacity 100 is full  at HeadArray::Add\n") + "$");
  DeleteTree(fits);
  DeleteTree(over);
}

}  // namespace
