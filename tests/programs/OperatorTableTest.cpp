// The operator table against what is built from it: every word makes the
// operator its row describes, and compiles to its own instruction on every
// fast path its operation takes, computing there what the tree walk
// computes. An operator that falls back to its own Operate fails here unless
// its word is marked tree-only.
#include "programs/OperatorTable.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <typeinfo>
#include <vector>

#include "ProgramFixture.h"
#include "foundation/Exception.h"
#include "programs/BitSliceEvaluator.h"
#include "programs/CaseVectorEvaluator.h"
#include "programs/CompiledProgram.h"
#include "programs/EvaluatingOperator.h"
#include "programs/Kernels.h"

namespace {

const std::type_info& KernelType(OpCode code) {
  switch (code) {
#define MORVANE2_KERNEL_TYPE(code, family, kernel, ...) \
  case OpCode::code:                                    \
    return typeid(kernel);
    MORVANE2_OPERATIONS(MORVANE2_KERNEL_TYPE)
#undef MORVANE2_KERNEL_TYPE
    case OpCode::Jump:
    case OpCode::End:
      break;
  }
  return typeid(void);
}

// The class of a family's operators, as report lines name it.
std::string ClassOf(Family family) {
  switch (family) {
    case Family::IntNonArg:
      return "IntNonArgOperator";
    case Family::DoubleNonArg:
      return "DoubleNonArgOperator";
    case Family::Variable:
      return "VariableOperator";
    case Family::Basic:
      return "BasicOperator";
    case Family::Double:
      return "DoubleOperator";
    case Family::Bool:
      return "BoolOperator";
    case Family::Robot:
      return "RobotOperator";
    case Family::If:
      return "IfOperator";
    case Family::Iflte:
      return "IflteOperator";
    case Family::IfFoodAhead:
      return "IfFoodAheadOperator";
    case Family::Other:
      break;
  }
  return "";
}

// The function object behind a library operator, or null.
const void* FunctionOf(Operator* op) {
  if (auto* f = dynamic_cast<FunctionOperator<BasicFunction>*>(op)) return f->GetFunction();
  if (auto* f = dynamic_cast<FunctionOperator<DoubleFunction>*>(op)) return f->GetFunction();
  if (auto* f = dynamic_cast<FunctionOperator<BoolFunction>*>(op)) return f->GetFunction();
  if (auto* f = dynamic_cast<FunctionOperator<RobotFunction>*>(op)) return f->GetFunction();
  return nullptr;
}

const std::type_info& FunctionTypeOf(Operator* op) {
  if (auto* f = dynamic_cast<FunctionOperator<BasicFunction>*>(op)) return typeid(*f->GetFunction());
  if (auto* f = dynamic_cast<FunctionOperator<DoubleFunction>*>(op)) return typeid(*f->GetFunction());
  if (auto* f = dynamic_cast<FunctionOperator<BoolFunction>*>(op)) return typeid(*f->GetFunction());
  if (auto* f = dynamic_cast<FunctionOperator<RobotFunction>*>(op)) return typeid(*f->GetFunction());
  return typeid(void);
}

// A word of the table, or a literal of each kind.
struct Name {
  std::string key;
  OpCode operation;
  bool treeOnly;
};

std::vector<Name> AllNames() {
  std::vector<Name> names{{"7", OpCode::IntConst, false}, {"2.5", OpCode::DoubleConst, false}};
  for (const OperatorWord& word : kWords)
    names.push_back({std::string(word.key), word.operation, word.treeOnly});
  return names;
}

// Argument lists for a node of the operation: each typed so that the node is
// on every path its operation takes.
std::vector<std::vector<std::string>> ArgumentsFor(OpCode operation, int arity) {
  auto first = [arity](std::vector<std::string> names) {
    names.resize(static_cast<std::size_t>(arity));
    return names;
  };
  switch (OperationOf(operation).typing) {
    case Typing::Widest:
      return {first({"i0", "i1"}), first({"x0", "i1"})};
    case Typing::Real:
    case Typing::Action:
      return {first({"x0", "i1"})};
    case Typing::Logic:
      return {first({"b0", "b1", "b2"})};
    case Typing::Branch:
      if (operation == OpCode::If) return {{"b0", "b1", "b2"}, {"x1", "x0", "x2"}};
      if (operation == OpCode::Iflte) return {{"x0", "i1", "x1", "x2"}, {"i1", "x0", "b1", "b2"}};
      return {{"moveForward0", "turnLeft0"}};
    case Typing::Int:
    case Typing::Double:
    case Typing::Bool:
    case Typing::Any:
      break;
  }
  return {{}};
}

struct Value {
  int type = 0;
  std::uint64_t bits = 0;  // an int or bool's value, a double's bits
  bool operator==(const Value&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Value& value) {
  return out << "type " << value.type << ", bits " << value.bits;
}

struct OperatorTableTest : ProgramFixture {
  CompiledProgram program;
  CaseVectorEvaluator caseVectors;
  BitSliceEvaluator bitSlices;

  static constexpr int kCases = 8;
  static constexpr int kVariables = LispInterpreter::VariableCount;

  // Case c sets int variable i (read also as bool i) to bit i of c, and
  // double variable i to a value of its own.
  static double DoubleOf(int i, int c) { return (c - 3) * 0.75 + i; }
  void SetCase(int c) {
    for (int i = 0; i < kVariables; ++i) {
      interpreter.SetIntVariable(i, c >> i & 1);
      interpreter.SetDoubleVariable(i, DoubleOf(i, c));
    }
  }

  Value Walk(Head* root) {
    interpreter.Clear();
    interpreter.Evaluate(root);
    return PopValue();
  }
  Value RunCompiled() {
    interpreter.Clear();
    interpreter.EvaluateCompiled(program);
    return PopValue();
  }
  Value PopValue() {
    Value value{interpreter.PopType(), 0};
    if (value.type == ValueType::Double) {
      value.bits = std::bit_cast<std::uint64_t>(interpreter.PopDouble());
    } else {
      value.bits = static_cast<std::uint32_t>(value.type == ValueType::Int ? interpreter.PopInt()
                                                                           : interpreter.PopBool());
    }
    return value;
  }

  // The instructions made for nodes of op (a conditional's jump aside).
  std::vector<OpCode> InstructionsOf(Operator* op) {
    std::vector<OpCode> codes;
    const Instruction* instructions = program.GetInstructions();
    for (int i = 0; i < program.GetInstructionCount(); ++i) {
      if (instructions[i].op == op && instructions[i].code != OpCode::Jump)
        codes.push_back(instructions[i].code);
    }
    return codes;
  }

  // Checks the compiled program of root (a node of the operation) on each
  // path, against the tree walk case by case.
  void CheckPaths(Head* root, OpCode operation) {
    const Operation& row = OperationOf(operation);
    std::string text = root->ToString();
    program.Compile(root);
    ASSERT_TRUE(program.IsRunnable()) << text;
    EXPECT_EQ(InstructionsOf(root->GetOperator()), std::vector<OpCode>{operation}) << text;
    for (int c = 0; c < kCases; ++c) {
      SetCase(c);
      robot.calls.clear();
      Value walked = Walk(root);
      std::vector<std::string> walkedCalls = robot.calls;
      robot.calls.clear();
      EXPECT_EQ(RunCompiled(), walked) << text << ", case " << c;
      EXPECT_EQ(robot.calls, walkedCalls) << text << ", case " << c;
    }

    EXPECT_EQ(program.IsTyped(), row.Takes(FastPath::CaseVectors)) << text;
    if (program.IsTyped()) {
      ASSERT_EQ(program.GetNodes().back().code, operation) << text;
      int ints[kVariables][kCases];
      double doubles[kVariables][kCases];
      const int* intLanes[kVariables];
      const double* doubleLanes[kVariables];
      for (int i = 0; i < kVariables; ++i) {
        for (int c = 0; c < kCases; ++c) {
          ints[i][c] = c >> i & 1;
          doubles[i][c] = DoubleOf(i, c);
        }
        intLanes[i] = ints[i];
        doubleLanes[i] = doubles[i];
      }
      caseVectors.Evaluate(program, kCases, intLanes, doubleLanes);
      for (int c = 0; c < kCases; ++c) {
        SetCase(c);
        Value value{program.GetResultType(), 0};
        value.bits = value.type == ValueType::Double
                         ? std::bit_cast<std::uint64_t>(caseVectors.DoubleResult()[c])
                         : static_cast<std::uint32_t>(caseVectors.IntResult()[c]);
        EXPECT_EQ(value, Walk(root)) << text << ", case vectors, case " << c;
      }
    }

    bool bools = program.IsAllBool();
    if (row.Takes(FastPath::BitSlices) && program.GetResultType() == ValueType::Bool) {
      EXPECT_TRUE(bools) << text;
    }
    if (bools) {
      EXPECT_TRUE(row.Takes(FastPath::BitSlices)) << text;
      std::uint64_t words[kVariables] = {};
      const std::uint64_t* variables[kVariables];
      for (int i = 0; i < kVariables; ++i) {
        for (int c = 0; c < kCases; ++c) words[i] |= static_cast<std::uint64_t>(c >> i & 1) << c;
        variables[i] = &words[i];
      }
      std::uint64_t compiled = 0;
      std::uint64_t direct = 0;
      bitSlices.Evaluate(program, variables, 1, &compiled);
      ASSERT_TRUE(bitSlices.EvaluateTree(root, variables, 1, &direct, 10000, 100)) << text;
      for (int c = 0; c < kCases; ++c) {
        SetCase(c);
        Value walked = Walk(root);
        EXPECT_EQ((Value{ValueType::Bool, compiled >> c & 1}), walked) << text << ", bit slices, case " << c;
        EXPECT_EQ((Value{ValueType::Bool, direct >> c & 1}), walked)
            << text << ", bit slices from the tree, case " << c;
      }
    }
  }
};

TEST_F(OperatorTableTest, EveryWordMakesTheOperatorOfItsRow) {
  for (const OperatorWord& word : kWords) {
    std::string key(word.key);
    Operator* op = Op(key);
    const Operation& operation = OperationOf(word.operation);
    EXPECT_EQ(op->GetName(), word.printed) << key;
    EXPECT_EQ(op->GetArity(), word.arity) << key;
    EXPECT_EQ(op->GetEvaluationKind(),
              operation.typing == Typing::Branch ? EvaluationKind::NonEvaluating : EvaluationKind::Evaluating)
        << key;
    EXPECT_EQ(ClassNameOf(*op), ClassOf(operation.family)) << key;
    EXPECT_EQ(op->GetOperation(), word.treeOnly ? OpCode::TreeOnly : word.operation) << key;
    if (FunctionOf(op) != nullptr) {
      EXPECT_EQ(FunctionTypeOf(op), KernelType(word.operation)) << key;
    } else {
      EXPECT_TRUE(word.function.empty()) << key;
    }
    if (operation.family == Family::Variable) {
      auto* variable = dynamic_cast<VariableOperator*>(op);
      ASSERT_NE(variable, nullptr) << key;
      EXPECT_EQ(variable->GetIndex(), word.index) << key;
      EXPECT_EQ(variable->GetValueType(), LeafTypeOf(word.operation)) << key;
    }
    // A word's arity lies within its operation's bounds, so that every
    // path may compute its nodes.
    if (!word.treeOnly) {
      EXPECT_GE(word.arity, operation.fewest) << key;
      EXPECT_LE(word.arity, operation.most) << key;
    }
  }
}

TEST_F(OperatorTableTest, EveryWordCompilesToItsOwnInstructionOnEveryFastPath) {
  robot.reading = 1.0;
  for (const Name& name : AllNames()) {
    Operator* op = Op(name.key);
    if (name.treeOnly) {
      EXPECT_EQ(op->GetOperation(), OpCode::TreeOnly) << name.key;
      continue;
    }
    ASSERT_NE(op->GetOperation(), OpCode::Operate) << name.key;
    for (const std::vector<std::string>& arguments : ArgumentsFor(name.operation, op->GetArity())) {
      Head* root = new Head(op);
      for (const std::string& argument : arguments) root->AddChild(N(argument));
      CheckPaths(root, name.operation);
      DeleteTree(root);
    }
  }
  // ifFoodAhead's other branch.
  robot.reading = 0.0;
  Head* root = N("ifFoodAhead", {N("moveForward0"), N("turnLeft0")});
  CheckPaths(root, OpCode::IfFoodAhead);
  DeleteTree(root);
}

// No row of the table is out of reach of the words and literals.
TEST_F(OperatorTableTest, EveryOperationHasAWord) {
  std::vector<Name> names = AllNames();
  for (const Operation& operation : kOperations) {
    OpCode code = static_cast<OpCode>(&operation - kOperations);
    if (code == OpCode::Operate || code == OpCode::TreeOnly || code == OpCode::Jump || code == OpCode::End)
      continue;
    bool named = false;
    for (const Name& name : names) named = named || name.operation == code;
    EXPECT_TRUE(named) << operation.name;
  }
}

// Operators made by hand outside what their operation computes are left to
// their own Operate, or to the tree walk.
TEST_F(OperatorTableTest, OperatorsBeyondTheirOperation) {
  FunctionPlus plus;
  BasicOperator wide("wide", kMostInlineArguments + 1, EvaluationKind::Evaluating, &plus, OpCode::Plus);
  BasicOperator lazy("lazy", 2, EvaluationKind::NonEvaluating, &plus, OpCode::Plus);
  BasicOperator unnamed("unnamed", 2, EvaluationKind::Evaluating, &plus);
  IntNonArgFunction nothing;
  IntNonArgOperator notConstant("none", &nothing);
  VariableOperator outside("far", ValueType::Double, LispInterpreter::VariableCount);
  RunLog log;
  Recorder foreign("rec", 0, &log);
  EXPECT_EQ(wide.GetOperation(), OpCode::Operate);
  EXPECT_EQ(lazy.GetOperation(), OpCode::TreeOnly);
  EXPECT_EQ(unnamed.GetOperation(), OpCode::Operate);
  EXPECT_EQ(notConstant.GetOperation(), OpCode::Operate);
  EXPECT_EQ(outside.GetOperation(), OpCode::Operate);
  EXPECT_EQ(foreign.GetOperation(), OpCode::TreeOnly);
}

}  // namespace
