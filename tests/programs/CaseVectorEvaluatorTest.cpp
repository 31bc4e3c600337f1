#include "programs/CaseVectorEvaluator.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

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
// computed: the values remembered for earlier arguments may be replaced
// meanwhile, and must not change what was computed.
TEST_F(CaseVectorEvaluatorTest, RememberedValuesStayWhileStillWanted) {
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

}  // namespace
