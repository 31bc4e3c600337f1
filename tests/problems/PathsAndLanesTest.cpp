// The one choice of evaluation path, and the lanes of a batch of cases.
#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "ProgramText.h"
#include "engine/FakeLispCode.h"
#include "problems/CaseLanes.h"
#include "problems/EvaluationPaths.h"

namespace {
struct PathChoiceTest : ::testing::Test {
  OperatorRegister operators{100};
  EvaluationPaths paths;

  // The steps one evaluation of code takes: the all-cases forms it tries and
  // the form it runs case by case in; each all-cases form takes the program
  // when asked to.
  std::string Steps(LispCode* code, Problem::Paths setting, bool treeTakes, bool compiledTakes) {
    std::string steps;
    paths.Evaluate(
        code, setting,
        [&](const auto*) {
          steps += "tree-all ";
          return treeTakes;
        },
        [&](const CompiledProgram&) {
          steps += "compiled-all ";
          return compiledTakes;
        },
        [&](const auto& run) {
          bool compiled = std::is_same_v<std::decay_t<decltype(run)>, CompiledRun>;
          steps += compiled ? "compiled-cases" : "tree-cases";
        });
    return steps;
  }
};

TEST_F(PathChoiceTest, EachSettingTriesItsFormsInOrder) {
  std::unique_ptr<HeadLispCode> code(ParseProgram(operators, "and2(b0,b1)"));
  for (bool treeTakes : {false, true}) {
    for (bool compiledTakes : {false, true}) {
      EXPECT_EQ(Steps(code.get(), Problem::Paths::Tree, treeTakes, compiledTakes), "tree-cases");
      EXPECT_EQ(Steps(code.get(), Problem::Paths::Compiled, treeTakes, compiledTakes), "compiled-cases");
    }
  }
  EXPECT_EQ(Steps(code.get(), Problem::Paths::All, false, false), "tree-all compiled-all compiled-cases");
  EXPECT_EQ(Steps(code.get(), Problem::Paths::All, true, false), "tree-all ");
  EXPECT_EQ(Steps(code.get(), Problem::Paths::All, false, true), "tree-all compiled-all ");
  code->DeleteTree();
}

TEST_F(PathChoiceTest, ProgramsWithoutATreeGoCaseByCaseThroughTheirOwnCode) {
  FakeLispCode code("fake", 1.0);
  EXPECT_EQ(Steps(&code, Problem::Paths::All, true, true), "tree-cases");
  EXPECT_EQ(Steps(&code, Problem::Paths::Compiled, true, true), "tree-cases");
  code.DeleteTree();
}

TEST_F(PathChoiceTest, ProblemsWithoutAllCasesFormsRunCaseByCase) {
  std::unique_ptr<HeadLispCode> code(ParseProgram(operators, "Plus2(x0,x1)"));
  std::string taken;
  paths.Evaluate(code.get(), Problem::Paths::All, [&](const auto& run) {
    taken = std::is_same_v<std::decay_t<decltype(run)>, CompiledRun> ? "compiled" : "tree";
    LispInterpreter interpreter;
    interpreter.SetDoubleVariable(0, 2.0);
    interpreter.SetDoubleVariable(1, 0.5);
    run(&interpreter);
    EXPECT_EQ(interpreter.PopType(), ValueType::Double);
    EXPECT_EQ(interpreter.PopDouble(), 2.5);
  });
  EXPECT_EQ(taken, "compiled");
  code->DeleteTree();
}

TEST(CaseLanesTest, InputsVaryAndEveryOtherVariableHoldsTheInterpretersValue) {
  OperatorRegister operators(100);
  std::unique_ptr<HeadLispCode> code(ParseProgram(operators, "Plus2(Times2(x0,x1),i2)"));
  CompiledProgram program;
  ASSERT_TRUE(program.CompileCode(code.get()));
  ASSERT_TRUE(program.IsTyped());
  LispInterpreter interpreter;
  interpreter.SetDoubleVariable(1, 0.5);
  interpreter.SetIntVariable(2, 7);
  const double own[3] = {10.0, 20.0, 30.0};
  CaseLanes lanes;
  int asked = 0;
  lanes.Evaluate(program, interpreter, 3, 0u, 1u, NoInputs{}, [&](int i, double*) -> const double* {
    EXPECT_EQ(i, 0);
    ++asked;
    return own;
  });
  EXPECT_EQ(asked, 1);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(lanes.DoubleResult()[c], own[c] * 0.5 + 7.0);

  // Lanes filled in place, up to a full batch.
  lanes.Evaluate(program, interpreter, CaseLanes::kMaxLanes, 0u, 1u, NoInputs{}, [](int, double* lane) {
    for (int c = 0; c < CaseLanes::kMaxLanes; ++c) lane[c] = c;
    return lane;
  });
  EXPECT_EQ(lanes.DoubleResult()[0], 7.0);
  EXPECT_EQ(lanes.DoubleResult()[CaseLanes::kMaxLanes - 1], (CaseLanes::kMaxLanes - 1) * 0.5 + 7.0);
  code->DeleteTree();
}
}  // namespace
