#include <gtest/gtest.h>

#include <memory>

#include "TestOperators.h"
#include "TestSupport.h"
#include "programs/HeadLispCode.h"
#include "programs/LispCodeIterator.h"
#include "programs/Robot.h"

namespace {
using ::testing::ExitedWithCode;

// Appends the program below the iterator to out in prefix order.
void Flatten(LispCodeIterator* at, OperatorArray& out) {
  Operator* op = at->GetOperator();
  out.Add(op);
  for (int i = 0; i < op->GetArity(); ++i) {
    std::unique_ptr<LispCodeIterator> child(at->CreateChildIterator(i));
    Flatten(child.get(), out);
  }
}

struct InterpreterFixture : ::testing::Test {
  LispInterpreter interpreter;
  RunLog log;
  Recorder a{"a", 0, &log}, b{"b", 0, &log}, d{"d", 0, &log};
  Recorder yes{"yes", 0, &log, 1}, no{"no", 0, &log, 0};
  Recorder t0{"t0", 0, &log, 10}, e0{"e0", 0, &log, 20}, f0{"f0", 0, &log, 30}, g0{"g0", 0, &log, 40};
  Recorder t{"t", 1, &log, 11}, e{"e", 1, &log, 21};
  Recorder mid{"mid", 2, &log}, top{"top", 3, &log, 7};
  BranchIf ifA{"ifA", &log}, ifB{"ifB", &log}, ifC{"ifC", &log};
  Adder plus{"Plus", 2};
  DoubleVariable x0{"x0", 0}, x1{"x1", 1};
  IntConstant two{"2", 2};
  DoubleConstant half{"0.5", 0.5};

  // Runs the tree, checks that exactly one value is left and nothing is
  // pending, and returns that value (an int).
  int RunTree(Head* root) {
    log.clear();
    interpreter.Clear();
    interpreter.Evaluate(root);
    return TakeIntResult();
  }
  int TakeIntResult() {
    EXPECT_EQ(interpreter.GetValueCount(), 1);
    EXPECT_EQ(interpreter.GetPendingCount(), 0);
    EXPECT_EQ(interpreter.PopType(), ValueType::Int);
    return interpreter.PopInt();
  }
  // Runs the same program in flat form and checks it does exactly what the
  // tree form did.
  void ExpectFlatAsTree(Head* root) {
    int treeValue = RunTree(root);
    RunLog treeLog = log;
    HeadLispCode code(root);
    std::unique_ptr<LispCodeIterator> at(code.CreateIterator());
    OperatorArray flat(root->GetSize());
    Flatten(at.get(), flat);
    EXPECT_EQ(interpreter.SkipSubtree(&flat, 0), flat.Size());
    log.clear();
    interpreter.Clear();
    interpreter.Evaluate(&flat, 0);
    EXPECT_EQ(TakeIntResult(), treeValue);
    EXPECT_EQ(log, treeLog);
  }
};

TEST_F(InterpreterFixture, LoneTerminalAndVariables) {
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(interpreter.GetIntVariable(i), 0);
    EXPECT_EQ(interpreter.GetDoubleVariable(i), 0.0);
  }
  interpreter.SetDoubleVariable(0, 2.5);
  interpreter.SetIntVariable(19, -4);
  EXPECT_EQ(interpreter.GetIntVariable(19), -4);
  Head leaf(&x0);
  HeadLispCode code(&leaf);
  code.Evaluate(&interpreter);
  EXPECT_EQ(interpreter.GetValueCount(), 1);
  EXPECT_EQ(interpreter.PopType(), ValueType::Double);
  EXPECT_EQ(interpreter.PopDouble(), 2.5);
  EXPECT_EQ(interpreter.GetValueCount(), 0);
}

TEST_F(InterpreterFixture, TypeStackOrdersTheSeparateValueStacks) {
  interpreter.PushInt(1);
  interpreter.PushDouble(2.5);
  interpreter.PushBool(1);
  interpreter.PushInt(3);
  interpreter.PushDouble(-1.0);
  EXPECT_EQ(interpreter.GetValueCount(), 5);
  // Types first, then the values: each value stack keeps its own order.
  int types[5];
  for (int i = 4; i >= 0; --i) types[i] = interpreter.PopType();
  EXPECT_EQ(types[0], ValueType::Int);
  EXPECT_EQ(types[1], ValueType::Double);
  EXPECT_EQ(types[2], ValueType::Bool);
  EXPECT_EQ(types[3], ValueType::Int);
  EXPECT_EQ(types[4], ValueType::Double);
  EXPECT_EQ(interpreter.PopDouble(), -1.0);
  EXPECT_EQ(interpreter.PopInt(), 3);
  EXPECT_EQ(interpreter.PopBool(), 1);
  EXPECT_EQ(interpreter.PopDouble(), 2.5);
  EXPECT_EQ(interpreter.PopInt(), 1);
}

TEST_F(InterpreterFixture, ArithmeticThroughTheStacks) {
  interpreter.SetDoubleVariable(0, 1.5);
  Head* root = Node(&plus, {Node(&x0), Node(&plus, {Node(&two), Node(&two)})});
  interpreter.Evaluate(root);
  EXPECT_EQ(interpreter.PopType(), ValueType::Double);
  EXPECT_EQ(interpreter.PopDouble(), 5.5);
  Head* ints = Node(&plus, {Node(&two), Node(&two)});
  interpreter.Evaluate(ints);
  EXPECT_EQ(interpreter.PopType(), ValueType::Int);
  EXPECT_EQ(interpreter.PopInt(), 4);
  DeleteTree(root);
  DeleteTree(ints);
}

TEST_F(InterpreterFixture, ArgumentsLeftToRightOperatorAfterEvaluatedBeforePending) {
  // top[mid[a,b], ifA[cond, t[t0], e[e0]], d]
  for (Recorder* cond : {&yes, &no}) {
    Head* root = Node(&top, {Node(&mid, {Node(&a), Node(&b)}),
                             Node(&ifA, {Node(cond), Node(&t, {Node(&t0)}), Node(&e, {Node(&e0)})}), Node(&d)});
    EXPECT_EQ(RunTree(root), 7);
    if (cond == &yes) {
      EXPECT_EQ(log, (RunLog{"a", "b", "mid", "ifA", "yes", "t0", "t", "d", "top"}));
    } else {
      EXPECT_EQ(log, (RunLog{"a", "b", "mid", "ifA", "no", "e0", "e", "d", "top"}));
    }
    ExpectFlatAsTree(root);
    DeleteTree(root);
  }
}

TEST_F(InterpreterFixture, NestedIfsTakeOnlyTheirOwnPendingArguments) {
  // ifA[yes, ifB[no, t0, e0], f0]: the inner if runs with the outer's else
  // still pending below its own arguments.
  Head* inThen = Node(&ifA, {Node(&yes), Node(&ifB, {Node(&no), Node(&t0), Node(&e0)}), Node(&f0)});
  EXPECT_EQ(RunTree(inThen), 20);
  EXPECT_EQ(log, (RunLog{"ifA", "yes", "ifB", "no", "e0"}));
  ExpectFlatAsTree(inThen);

  // ifA[ifB[no, no, yes], ifC[yes, t0, e0], ifB[yes, f0, g0]]: an if as the
  // condition, one in each branch; only the taken branch's if runs.
  Head* everywhere = Node(&ifA, {Node(&ifB, {Node(&no), Node(&no), Node(&yes)}),
                                 Node(&ifC, {Node(&yes), Node(&t0), Node(&e0)}),
                                 Node(&ifB, {Node(&yes), Node(&f0), Node(&g0)})});
  EXPECT_EQ(RunTree(everywhere), 10);
  EXPECT_EQ(log, (RunLog{"ifA", "ifB", "no", "yes", "ifC", "yes", "t0"}));
  ExpectFlatAsTree(everywhere);

  // Deep nesting in the else branches: ifA[no, t0, ifB[no, e0, ifC[no, f0, g0]]]
  Head* chain = Node(&ifA, {Node(&no), Node(&t0), Node(&ifB, {Node(&no), Node(&e0),
                                                              Node(&ifC, {Node(&no), Node(&f0), Node(&g0)})})});
  EXPECT_EQ(RunTree(chain), 40);
  EXPECT_EQ(log, (RunLog{"ifA", "no", "ifB", "no", "ifC", "no", "g0"}));
  ExpectFlatAsTree(chain);
  DeleteTree(inThen);
  DeleteTree(everywhere);
  DeleteTree(chain);
}

TEST_F(InterpreterFixture, FlatSkipSubtree) {
  // Plus[x0, ifA[yes, Plus[x1, 2], 0.5]]
  OperatorArray flat(10);
  for (Operator* op : std::initializer_list<Operator*>{&plus, &x0, &ifA, &yes, &plus, &x1, &two, &half}) flat.Add(op);
  EXPECT_EQ(interpreter.SkipSubtree(&flat, 0), 8);
  EXPECT_EQ(interpreter.SkipSubtree(&flat, 1), 2);
  EXPECT_EQ(interpreter.SkipSubtree(&flat, 2), 8);
  EXPECT_EQ(interpreter.SkipSubtree(&flat, 4), 7);
  EXPECT_EQ(interpreter.SkipSubtree(&flat, 7), 8);
  interpreter.SetDoubleVariable(0, 1.0);
  interpreter.SetDoubleVariable(1, 0.25);
  interpreter.Evaluate(&flat, 0);
  EXPECT_EQ(interpreter.PopType(), ValueType::Double);
  EXPECT_EQ(interpreter.PopDouble(), 3.25);
  // A subtree in the middle runs on its own.
  interpreter.Evaluate(&flat, 4);
  EXPECT_EQ(interpreter.PopType(), ValueType::Double);
  EXPECT_EQ(interpreter.PopDouble(), 2.25);
  EXPECT_EQ(interpreter.GetValueCount(), 0);
  EXPECT_EQ(interpreter.GetPendingCount(), 0);
}

TEST_F(InterpreterFixture, ClearDiscardsLeftoversButKeepsVariablesAndRobot) {
  Robot robot;
  EXPECT_EQ(interpreter.GetRobot(), nullptr);
  interpreter.SetRobot(&robot);
  interpreter.SetIntVariable(3, 9);
  interpreter.PushBool(1);
  interpreter.PushDouble(1.0);
  IgnoreArgs ignore(2);
  Head* cut = Node(&ignore, {Node(&a), Node(&b)});
  interpreter.Evaluate(cut);
  EXPECT_EQ(interpreter.GetPendingCount(), 2);
  EXPECT_EQ(interpreter.GetValueCount(), 3);
  interpreter.Clear();
  EXPECT_EQ(interpreter.GetPendingCount(), 0);
  EXPECT_EQ(interpreter.GetValueCount(), 0);
  EXPECT_EQ(interpreter.GetRobot(), &robot);
  EXPECT_EQ(interpreter.GetIntVariable(3), 9);
  Head leaf(&x0);
  interpreter.Evaluate(&leaf);
  EXPECT_EQ(interpreter.PopType(), ValueType::Double);
  EXPECT_EQ(interpreter.GetValueCount(), 0);
  DeleteTree(cut);
}

TEST_F(InterpreterFixture, MisuseReports) {
  OddKind odd;
  Head oddNode(&odd);
  EXPECT_EXIT(interpreter.Evaluate(&oddNode), ExitedWithCode(1),
              "^" + ExactLine("Lisp interpretation error: type error at LispInterpreter::Evaluate\n") + "$");
  OperatorArray flat(3);
  flat.Add(&odd);
  EXPECT_EXIT(interpreter.Evaluate(&flat, 0), ExitedWithCode(1),
              "^" + ExactLine("Lisp interpretation error: type error at LispInterpreter::Evaluate\n") + "$");
  EXPECT_EXIT(interpreter.Evaluate(&flat, 1), ExitedWithCode(1),
              "^" + ExactLine("Array index 1 is over size 1 at OperatorArray::Get\n") + "$");
  Adder variadic("Plus", -1);
  OperatorArray variadicFlat(1);
  variadicFlat.Add(&variadic);
  EXPECT_EXIT(interpreter.Evaluate(&variadicFlat, 0), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: arity = -1 for variable length arg at Adder::Operate\n") + "$");
  EXPECT_EXIT(interpreter.EvaluatingPop(), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: Invalid structure type at LispInterpreter::EvaluatingPop\n") + "$");
  EXPECT_EXIT(interpreter.NonEvaluatingPop(), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: Invalid structure type at LispInterpreter::NonEvaluatingPop\n") + "$");
  EXPECT_EXIT(interpreter.PopType(), ExitedWithCode(1),
              "^" + ExactLine("Array index -1 is over size 0 at IntArray::Get\n") + "$");
  EXPECT_EXIT(interpreter.PopDouble(), ExitedWithCode(1),
              "^" + ExactLine("Array index -1 is over size 0 at DoubleArray::Get\n") + "$");
  EXPECT_EXIT(interpreter.GetIntVariable(20), ExitedWithCode(1),
              "^" + ExactLine("Array index 20 is over size 20 at IntArray::Get\n") + "$");
  EXPECT_EXIT(interpreter.SetDoubleVariable(-1, 0.0), ExitedWithCode(1),
              "^" + ExactLine("Array index -1 is over size 20 at DoubleArray::Set\n") + "$");
  // Once tree arguments were pending, popping past them is an index report.
  BranchIf branch("if", &log);
  Head* done = Node(&branch, {Node(&yes), Node(&a), Node(&b)});
  interpreter.Evaluate(done);
  EXPECT_EXIT(interpreter.EvaluatingPop(), ExitedWithCode(1),
              "^" + ExactLine("Array index -1 is over size 0 at HeadArray::Get\n") + "$");
  DeleteTree(done);
}

TEST_F(InterpreterFixture, CapacityReports) {
  auto fill = [this](int ints, int doubles, int bools) {
    for (int i = 0; i < ints; ++i) interpreter.PushInt(i);
    for (int i = 0; i < doubles; ++i) interpreter.PushDouble(i);
    for (int i = 0; i < bools; ++i) interpreter.PushBool(1);
  };
  fill(10000, 0, 0);
  EXPECT_EQ(interpreter.GetValueCount(), 10000);
  interpreter.Clear();
  EXPECT_EXIT(fill(10001, 0, 0), ExitedWithCode(1), "^" + ExactLine("Capacity 10000 is full  at IntArray::Add\n") + "$");
  EXPECT_EXIT(fill(0, 10001, 0), ExitedWithCode(1),
              "^" + ExactLine("Capacity 10000 is full  at DoubleArray::Add\n") + "$");
  EXPECT_EXIT(fill(0, 0, 10001), ExitedWithCode(1), "^" + ExactLine("Capacity 10000 is full  at IntArray::Add\n") + "$");
  fill(10000, 10000, 0);
  EXPECT_EQ(interpreter.GetValueCount(), 20000);
  EXPECT_EXIT(fill(0, 0, 1), ExitedWithCode(1), "^" + ExactLine("Capacity 20000 is full  at IntArray::Add\n") + "$");
  interpreter.Clear();

  IgnoreArgs hundred(100);
  IgnoreArgs tooMany(101);
  Head* full = new Head(&hundred);
  for (int i = 0; i < 100; ++i) full->AddChild(Node(&a));
  interpreter.Evaluate(full);
  EXPECT_EQ(interpreter.GetPendingCount(), 100);
  interpreter.Clear();
  Head* over = new Head(&tooMany);
  for (int i = 0; i < 101; ++i) over->AddChild(Node(&a));
  EXPECT_EXIT(interpreter.Evaluate(over), ExitedWithCode(1),
              "^" + ExactLine("Capacity 100 is full  at HeadArray::Add\n") + "$");
  OperatorArray flat(102);
  flat.Add(&tooMany);
  for (int i = 0; i < 101; ++i) flat.Add(&a);
  EXPECT_EXIT(interpreter.Evaluate(&flat, 0), ExitedWithCode(1),
              "^" + ExactLine("Capacity 100 is full  at IntArray::Add\n") + "$");
  DeleteTree(full);
  DeleteTree(over);
}

}  // namespace
