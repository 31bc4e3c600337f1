#include "programs/BitSliceEvaluator.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "ProgramFixture.h"
#include "programs/CompiledProgram.h"
#include "programs/FlatProgram.h"

namespace {

struct BitSliceEvaluatorTest : ProgramFixture {
  CompiledProgram program;
  BitSliceEvaluator evaluator;
};

TEST_F(BitSliceEvaluatorTest, BitSlicesGiveTheValueOfEveryCase) {
  // if(b0, nand(b1, b2), or(b1, not(b2))) over the 8 cases of three bits.
  Head* root = N("if", {N("b0"), N("nand2", {N("b1"), N("b2")}), N("or2", {N("b1"), N("not", {N("b2")})})});
  program.Compile(root);
  ASSERT_TRUE(BitSliceEvaluator::Accepts(program));
  std::uint64_t b0 = 0xAA, b1 = 0xCC, b2 = 0xF0;
  const std::uint64_t* variables[3] = {&b0, &b1, &b2};
  std::uint64_t result = 0;
  evaluator.Evaluate(program, variables, 1, &result);
  for (int c = 0; c < 8; ++c) {
    interpreter.SetIntVariable(0, c & 1);
    interpreter.SetIntVariable(1, c >> 1 & 1);
    interpreter.SetIntVariable(2, c >> 2 & 1);
    interpreter.Clear();
    interpreter.Evaluate(root);
    interpreter.PopType();
    EXPECT_EQ(static_cast<int>(result >> c & 1), interpreter.PopBool()) << c;
  }
  DeleteTree(root);
}

// The tree evaluated directly gives the bit-sliced values of its compiled
// form, and refuses what the compiled form would refuse.
TEST_F(BitSliceEvaluatorTest, BitSlicesStraightFromTheTree) {
  std::uint64_t b0 = 0xAA, b1 = 0xCC, b2 = 0xF0;
  const std::uint64_t* variables[20] = {&b0, &b1, &b2};
  Head* root = N("if", {N("b0"), N("nand2", {N("b1"), N("b2")}), N("or2", {N("b1"), N("not", {N("b2")})})});
  std::uint64_t direct = 0;
  ASSERT_TRUE(evaluator.EvaluateTree(root, variables, 1, &direct, 10000, 100));
  program.Compile(root);
  std::uint64_t compiled = 0;
  evaluator.Evaluate(program, variables, 1, &compiled);
  EXPECT_EQ(direct & 0xFF, compiled & 0xFF);
  // A variable that may not be read here, a number among the bools, too
  // little room for the pending arguments.
  Head* unreadable = N("and2", {N("b0"), N("b3")});
  Head* number = N("if", {N("b0"), N("b1"), N("Plus2", {N("1"), N("2")})});
  EXPECT_FALSE(evaluator.EvaluateTree(unreadable, variables, 1, &direct, 10000, 100));
  EXPECT_FALSE(evaluator.EvaluateTree(number, variables, 1, &direct, 10000, 100));
  EXPECT_FALSE(evaluator.EvaluateTree(root, variables, 1, &direct, 10000, 2));
  EXPECT_TRUE(evaluator.EvaluateTree(root, variables, 1, &direct, 10000, 3));
  for (Head* tree : {root, unreadable, number}) DeleteTree(tree);
}

// A flat program gives what its tree gives, refuses what the tree walk
// refuses, and finds the same bounds: nested conditionals whose pending
// arguments do or do not fit, deeper than the room of a quick check.
TEST_F(BitSliceEvaluatorTest, FlatProgramsGiveWhatTheirTreesGive) {
  // Two words of cases: the one-word loop and the loop over words.
  std::uint64_t b0[2] = {0xAA, 0x1234}, b1[2] = {0xCC, 0x5678}, b2[2] = {0xF0, 0x9ABC};
  const std::uint64_t* variables[20] = {b0, b1, b2};
  // if(b0, if(b1, ... if(b2, b0, b1) ..., nand(b1, b2)), or(b1, b2)) nested
  // in its first branch, and in its second.
  for (int nesting : {0, 1, 5, 40}) {
    for (int branch : {1, 2}) {
      Head* root = N("nor2", {N("b2"), N("b0")});
      for (int k = 0; k < nesting; ++k) {
        Head* other = N("or2", {N(k % 2 == 0 ? "b1" : "b0"), N("b2")});
        root = branch == 1 ? N("if", {N(k % 3 == 0 ? "b0" : "b1"), root, other})
                           : N("if", {N(k % 3 == 0 ? "b2" : "b1"), other, root});
      }
      FlatProgram flat;
      ASSERT_TRUE(FlatProgram::FromTree(root, flat));
      for (int words : {1, 2}) {
        for (int pending : {2, 3, 4, 10, 100, 1000}) {
          std::uint64_t fromTree[2] = {};
          std::uint64_t fromFlat[2] = {};
          bool tree = evaluator.EvaluateTree(root, variables, words, fromTree, 10000, pending);
          bool flatDone = evaluator.EvaluateFlat(flat.Root(), variables, words, fromFlat, 10000, pending);
          ASSERT_EQ(flatDone, tree) << nesting << " " << branch << " " << pending << " " << words;
          if (tree) {
            EXPECT_EQ(fromFlat[0], fromTree[0]) << nesting << " " << branch;
            EXPECT_EQ(fromFlat[1], fromTree[1]) << nesting << " " << branch;
          }
        }
      }
      std::uint64_t ignored = 0;
      EXPECT_EQ(evaluator.EvaluateFlat(flat.Root(), variables, 1, &ignored, flat.Size() - 1, 1000),
                evaluator.EvaluateTree(root, variables, 1, &ignored, flat.Size() - 1, 1000));
      DeleteTree(root);
    }
  }
  Head* unreadable = N("and2", {N("b0"), N("b3")});
  FlatProgram flat;
  ASSERT_TRUE(FlatProgram::FromTree(unreadable, flat));
  std::uint64_t ignored = 0;
  EXPECT_FALSE(evaluator.EvaluateFlat(flat.Root(), variables, 1, &ignored, 10000, 100));
  DeleteTree(unreadable);
}

}  // namespace
