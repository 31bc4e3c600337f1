#include "programs/CaseVectorEvaluator.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>
#include <algorithm>

#include "ProgramFixture.h"
#include "programs/CompiledProgram.h"

namespace {

struct CaseVectorEvaluatorTest : ProgramFixture {
  CompiledProgram program;
};

TEST_F(CaseVectorEvaluatorTest, CaseVectorsGiveTheValueOfEveryCase) {
  Head* root = N("iflte", {N("x0"), N("1"), N("Times2", {N("i0"), N("i0")}),
                           N("Plus2", {N("divide", {N("x0"), N("Subtract", {N("x0"), N("2")})}), N("i0")})});
  program.Compile(root);
  EXPECT_FALSE(CaseVectorEvaluator::Accepts(program)) << "int and double branches";
  DeleteTree(root);
  root = N("iflte", {N("x0"), N("1"), N("Sin", {N("Times2", {N("i0"), N("i0")})}),
                     N("Plus2", {N("divide", {N("x0"), N("Subtract", {N("x0"), N("2")})}), N("i0")})});
  program.Compile(root);
  ASSERT_TRUE(CaseVectorEvaluator::Accepts(program));
  ASSERT_EQ(program.GetResultType(), ValueType::Double);
  const int lanes = 7;
  double xs[lanes] = {-1.0, 0.0, 1.0, 2.0, 2.5, 1e308, -0.0};
  int is[lanes] = {0, 1, -1, 46341, 2147483647, 7, -8};
  const double* doubles[20] = {xs};
  const int* ints[20] = {is};
  CaseVectorEvaluator evaluator;
  evaluator.Evaluate(program, lanes, ints, doubles);
  for (int c = 0; c < lanes; ++c) {
    interpreter.SetDoubleVariable(0, xs[c]);
    interpreter.SetIntVariable(0, is[c]);
    interpreter.Clear();
    interpreter.Evaluate(root);
    ASSERT_EQ(interpreter.PopType(), ValueType::Double);
    double expected = interpreter.PopDouble();
    EXPECT_EQ(std::bit_cast<std::uint64_t>(evaluator.DoubleResult()[c]), std::bit_cast<std::uint64_t>(expected))
        << c;
  }
  DeleteTree(root);
}

// Sixty real functions whose values are all still wanted when the last is
// computed: the subtree values kept for earlier ones may be replaced
// meanwhile, and must not change what was computed.
TEST_F(CaseVectorEvaluatorTest, KeptValuesStayWhileStillWanted) {
  Head* root = N("x0");
  for (int k = 1; k <= 60; ++k) {
    std::string constant = std::to_string(k) + ".25";
    root = N("Plus2", {N(k % 2 == 0 ? "Sin" : "Cos", {N("Times2", {N("x0"), N(constant)})}), root});
  }
  program.Compile(root);
  ASSERT_TRUE(CaseVectorEvaluator::Accepts(program));
  const int lanes = 101;
  double xs[lanes];
  for (int c = 0; c < lanes; ++c) xs[c] = 0.1 * c;
  const double* doubles[20] = {xs};
  const int* ints[20] = {};
  CaseVectorEvaluator evaluator;
  for (int round = 0; round < 3; ++round) {
    evaluator.Evaluate(program, lanes, ints, doubles, ~0u, ~1u);
    for (int c = 0; c < lanes; ++c) {
      interpreter.SetDoubleVariable(0, xs[c]);
      interpreter.Clear();
      interpreter.Evaluate(root);
      ASSERT_EQ(interpreter.PopType(), ValueType::Double);
      double expected = interpreter.PopDouble();
      ASSERT_EQ(std::bit_cast<std::uint64_t>(evaluator.DoubleResult()[c]), std::bit_cast<std::uint64_t>(expected))
          << "round " << round << ", case " << c;
    }
  }
  DeleteTree(root);
}

// Programs that share subtrees, as a population's do, each evaluated for
// inputs that change from call to call (more sets than are told apart at
// once, other case counts, another value of a variable that is no input):
// values of a subtree are copied only for the inputs they were computed for.
TEST_F(CaseVectorEvaluatorTest, KeptSubtreesServeOnlyTheirOwnInputs) {
  auto shared = [&] { return N("Sin", {N("Times2", {N("x0"), N("1.25")})}); };
  auto ints = [&] { return N("Times2", {N("i0"), N("Plus2", {N("i0"), N("3")})}); };
  std::vector<Head*> roots = {
      N("Plus2", {shared(), N("Cos", {N("x0")})}),
      N("Times2", {N("Cos", {N("x0")}), shared()}),
      N("Subtract", {shared(), N("Sin", {ints()})}),
      N("divide", {N("Plus2", {shared(), N("x1")}), N("Cos", {N("Plus2", {N("x0"), N("x1")})})}),
      N("iflte", {N("x0"), N("0.5"), shared(), N("Cos", {N("Plus2", {N("x0"), N("x1")})})}),
  };
  const int most = 101;
  std::vector<std::vector<double>> xs;
  for (int set = 0; set < 6; ++set) {
    std::vector<double> x(most);
    for (int c = 0; c < most; ++c) x[c] = 0.1 * c - set * 0.37;
    xs.push_back(x);
  }
  std::vector<double> x1(most, 0.0);
  std::vector<int> i0(most);
  for (int c = 0; c < most; ++c) i0[c] = c - 50;
  CaseVectorEvaluator evaluator;
  for (int round = 0; round < 4; ++round) {
    for (std::size_t p = 0; p < roots.size(); ++p) {
      for (std::size_t set = 0; set < xs.size(); ++set) {
        int lanes = set == 5 ? 40 : most;
        // x1 is no input: it holds the interpreter's value, changed by round.
        double other = round < 2 ? 0.75 : -2.0;
        std::fill(x1.begin(), x1.end(), other);
        interpreter.SetDoubleVariable(1, other);
        program.Compile(roots[p]);
        ASSERT_TRUE(CaseVectorEvaluator::Accepts(program)) << p;
        const double* doubles[20] = {xs[set].data(), x1.data()};
        const int* intLanes[20] = {i0.data()};
        evaluator.Evaluate(program, lanes, intLanes, doubles, ~1u, ~1u);
        for (int c = 0; c < lanes; ++c) {
          interpreter.SetDoubleVariable(0, xs[set][c]);
          interpreter.SetIntVariable(0, i0[c]);
          interpreter.Clear();
          interpreter.Evaluate(roots[p]);
          ASSERT_EQ(interpreter.PopType(), ValueType::Double);
          double expected = interpreter.PopDouble();
          ASSERT_EQ(std::bit_cast<std::uint64_t>(evaluator.DoubleResult()[c]), std::bit_cast<std::uint64_t>(expected))
              << "round " << round << ", program " << p << ", inputs " << set << ", case " << c;
        }
      }
    }
  }
  for (Head* root : roots) DeleteTree(root);
}

}  // namespace
