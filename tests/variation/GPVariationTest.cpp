#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <typeinfo>

#include "ProgramText.h"
#include "TestSupport.h"
#include "foundation/Utility.h"
#include "programs/FlatLispCode.h"
#include "programs/TestOperators.h"
#include "programs/GPSymbolRegister.h"
#include "variation/GPCrossover.h"
#include "variation/GPGenerator.h"
#include "variation/GPMutation.h"

namespace {
using ::testing::ExitedWithCode;

struct GPVariationTest : ::testing::Test {
  OperatorRegister operators{100};

  std::unique_ptr<GPSymbolRegister> Symbols(const std::string& table) {
    std::istringstream in(table);
    return std::make_unique<GPSymbolRegister>(&operators, in);
  }

  static std::string Text(LispCode* code) { return code->ToString(); }
  static int Depth(LispCode* code) { return dynamic_cast<HeadLispCode*>(code)->GetRoot()->GetDepth(); }
  static void Release(LispCode* code) {
    code->DeleteTree();
    delete code;
  }
  // The first seed from start on whose first RandomInt(n) draw is k.
  static std::uint32_t SeedDrawing(int n, int k, std::uint32_t start = 1) {
    for (std::uint32_t seed = start;; ++seed) {
      Utility u;
      u.Seed(seed);
      if (u.RandomInt(n) == k) return seed;
    }
  }
};

const char* kTable = "1\tx0 x1 1.0 \n2\tPlus2 Times2 Sin if \n1\tiflte \n";

TEST_F(GPVariationTest, GeneratedTreesStayWithinTheirLimit) {
  for (const char* table : {kTable, "0\tx0 \n1\tSin \n", "5\tx0 \n0.01\tiflte Plus2 \n"}) {
    auto symbols = Symbols(table);
    for (int limit = 1; limit <= 8; ++limit) {
      GPDepthLimitGenerator generator(symbols.get(), limit);
      GetUtility()->Seed(static_cast<std::uint32_t>(limit));
      for (int k = 0; k < 200; ++k) {
        LispCode* code = generator.Generate();
        ASSERT_LE(Depth(code), limit) << table;
        if (limit == 1) {
          ASSERT_EQ(Depth(code), 1);
        }
        Release(code);
      }
    }
  }
}

TEST_F(GPVariationTest, OnlyTerminalsWhenOtherClassesWeighNothing) {
  auto symbols = Symbols("1\tx0 x1 \n0\tPlus2 \n");
  GPDepthLimitGenerator generator(symbols.get(), 2);
  GetUtility()->Seed(3U);
  for (int k = 0; k < 100; ++k) {
    LispCode* code = generator.Generate();
    EXPECT_EQ(Depth(code), 1);
    Release(code);
  }
}

TEST_F(GPVariationTest, SameSeedSameTreesDrawnInPrefixOrder) {
  auto symbols = Symbols(kTable);
  GPDepthLimitGenerator a(symbols.get(), 6);
  GPDepthLimitGenerator b(symbols.get(), 6);
  for (int k = 0; k < 20; ++k) {
    GetUtility()->Seed(static_cast<std::uint32_t>(100 + k));
    LispCode* first = a.Generate();
    GetUtility()->Seed(static_cast<std::uint32_t>(100 + k));
    LispCode* second = b.Generate();
    EXPECT_EQ(Text(first), Text(second));
    Release(first);
    Release(second);
  }
  // Limit 2 over Sin with terminal x0: the root's operator is drawn before
  // its child's, so the first draws decide the root.
  auto chain = Symbols("1\tx0 \n1\tSin \n");
  GPDepthLimitGenerator two(chain.get(), 2);
  GetUtility()->Seed(8U);
  LispCode* code = two.Generate();
  Utility reference;
  reference.Seed(8U);
  bool rootIsSin = reference.RandomDouble(2.0) >= 1.0;
  EXPECT_EQ(Text(code), rootIsSin ? "Sin[x0]" : "x0");
  Release(code);
}

// Grown straight into flat form, a program is the one the tree generator
// grows and MakeFlat flattens, after the same draws; with an operator that
// has no flat form (more than 255 arguments) it stays a tree.
TEST_F(GPVariationTest, FlatGrowthDrawsAndMakesWhatTheTreeDoes) {
  // A node set that also draws an operator of 300 arguments, one time in
  // eight, below the depth limit.
  class WideSymbols : public GPSymbolRegister {
   public:
    WideSymbols(OperatorRegister* operators, std::istream& table) : GPSymbolRegister(operators, table) {}
    Operator* GetRandomOperator() override {
      return GetUtility()->RandomInt(8) == 0 ? &wide : GPSymbolRegister::GetRandomOperator();
    }
    Adder wide{"Wide", 300};
  };
  const char* tables[] = {kTable, "5\tx0 \n0.01\tiflte Plus2 \n", "3\tx0 x1 \n1\tSin \n"};
  int trees = 0;
  for (const char* table : tables) {
    std::istringstream in(table);
    std::unique_ptr<GPSymbolRegister> symbols =
        table == tables[2] ? std::make_unique<WideSymbols>(&operators, in) : Symbols(table);
    // (Deeper, the wide operator's programs pass the generator's size limit.)
    int deepest = table == tables[2] ? 3 : 6;
    for (int limit = 1; limit <= deepest; ++limit) {
      GPDepthLimitGenerator tree(symbols.get(), limit);
      GPDepthLimitGenerator flat(symbols.get(), limit);
      for (std::uint32_t seed = 1; seed <= 30; ++seed) {
        GetUtility()->Seed(seed);
        LispCode* expected = MakeFlat(tree.Generate());
        int nextExpected = GetUtility()->RandomInt(1000000);
        GetUtility()->Seed(seed);
        LispCode* grown = flat.GenerateFlat();
        int next = GetUtility()->RandomInt(1000000);
        ASSERT_EQ(Text(grown), Text(expected)) << table << " limit " << limit << " seed " << seed;
        EXPECT_EQ(typeid(*grown) == typeid(FlatLispCode), typeid(*expected) == typeid(FlatLispCode));
        if (typeid(*grown) != typeid(FlatLispCode)) ++trees;
        auto* flatGrown = dynamic_cast<FlatLispCode*>(grown);
        auto* flatExpected = dynamic_cast<FlatLispCode*>(expected);
        // The depth a drawn program is given is the one measured from its
        // copied nodes.
        if (flatGrown != nullptr && flatExpected != nullptr) {
          EXPECT_EQ(flatGrown->GetDepth(), flatExpected->GetDepth())
              << table << " limit " << limit << " seed " << seed;
        }
        EXPECT_EQ(next, nextExpected);
        Release(grown);
        Release(expected);
      }
    }
  }
  EXPECT_GT(trees, 0);
  auto symbols = Symbols(kTable);
  GPDepthLimitGenerator zero(symbols.get(), 0);
  EXPECT_EXIT(zero.GenerateFlat(), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: depthLimit = 0 at GPDepthLimitGenerator::Generate\n") + "$");
  auto bad = Symbols("1\tPlus2 \n");
  GPDepthLimitGenerator one(bad.get(), 1);
  EXPECT_EXIT(one.GenerateFlat(), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: arity of terminal symbol != 0 at GPDepthLimitGenerator::GenerateHelper\n") +
                  "$");
}

TEST_F(GPVariationTest, GeneratorReports) {
  auto symbols = Symbols(kTable);
  GPDepthLimitGenerator zero(symbols.get(), 0);
  EXPECT_EXIT(zero.Generate(), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: depthLimit = 0 at GPDepthLimitGenerator::Generate\n") + "$");
  GPDepthLimitGenerator negative(symbols.get(), -4);
  EXPECT_EXIT(negative.Generate(), ExitedWithCode(1), ExactLine("depthLimit = 0 at GPDepthLimitGenerator"));
  auto bad = Symbols("1\tPlus2 \n");
  GPDepthLimitGenerator one(bad.get(), 1);
  EXPECT_EXIT(one.Generate(), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: arity of terminal symbol != 0 at GPDepthLimitGenerator::GenerateHelper\n") +
                  "$");
}

TEST_F(GPVariationTest, CrossingAProgramWithItselfChangesAndDrawsNothing) {
  LispCode* a = ParseProgram(operators, "Plus2(x0,Times2(x1,1.0))");
  GPDepthLimitCrossover crossover(17);
  GetUtility()->Seed(5U);
  crossover.Cross(a, a);
  EXPECT_EQ(Text(a), "Plus[x0,Times[x1,1.0]]");
  Utility reference;
  reference.Seed(5U);
  EXPECT_EQ(GetUtility()->NextWord(), reference.NextWord());
  Release(a);
}

TEST_F(GPVariationTest, TwoSingleNodesTradePlaces) {
  LispCode* a = ParseProgram(operators, "x0");
  LispCode* b = ParseProgram(operators, "x1");
  GPDepthLimitCrossover crossover(1);
  crossover.Cross(a, b);
  EXPECT_EQ(Text(a), "x1");
  EXPECT_EQ(Text(b), "x0");
  Release(a);
  Release(b);
}

TEST_F(GPVariationTest, BothRootsAtTheDeeperDepthExchangeWholePrograms) {
  // a has 5 nodes, b 3; draw the roots of both (first draw 0 of 5, then 0 of 3).
  for (std::uint32_t seed = 1; seed < 100000; ++seed) {
    Utility u;
    u.Seed(seed);
    if (u.RandomInt(5) != 0 || u.RandomInt(3) != 0) continue;
    LispCode* a = ParseProgram(operators, "Plus2(x0,Times2(x1,1.0))");
    LispCode* b = ParseProgram(operators, "Sin(Sin(x0))");
    GPDepthLimitCrossover crossover(3);
    GetUtility()->Seed(seed);
    crossover.Cross(a, b);
    EXPECT_EQ(Text(a), "Sin[Sin[x0]]");
    EXPECT_EQ(Text(b), "Plus[x0,Times[x1,1.0]]");
    Release(a);
    Release(b);
    return;
  }
  FAIL() << "no seed draws both roots";
}

TEST_F(GPVariationTest, WhenOnlyOneSideFitsTheDonorStaysAsItWas) {
  // a's root (depth 3) into b's only node at M = 2: a gets a copy of b, and b,
  // receiving a subtree of depth 3, would not fit, so b stays unchanged.
  std::uint32_t seed = SeedDrawing(5, 0);
  LispCode* a = ParseProgram(operators, "Plus2(x0,Times2(x1,1.0))");
  LispCode* b = ParseProgram(operators, "x1");
  GPDepthLimitCrossover crossover(2);
  GetUtility()->Seed(seed);
  crossover.Cross(a, b);
  EXPECT_EQ(Text(a), "x1");
  EXPECT_EQ(Text(b), "x1");
  Release(a);
  Release(b);
  // The other way round: only b fits, so b receives a copy of a's subtree.
  LispCode* c = ParseProgram(operators, "x1");
  LispCode* d = ParseProgram(operators, "Plus2(x0,Times2(x1,1.0))");
  // c's only node first (one draw of 1), then d's root (a draw of 5).
  for (std::uint32_t candidate = 1;; ++candidate) {
    Utility u;
    u.Seed(candidate);
    u.RandomInt(1);
    if (u.RandomInt(5) == 0) {
      GetUtility()->Seed(candidate);
      break;
    }
  }
  crossover.Cross(c, d);
  EXPECT_EQ(Text(c), "x1");
  EXPECT_EQ(Text(d), "x1");
  Release(c);
  Release(d);
}

TEST_F(GPVariationTest, OffspringOfParentsWithinTheLimitStayWithinIt) {
  auto symbols = Symbols(kTable);
  GPDepthLimitGenerator generator(symbols.get(), 6);
  GPDepthLimitCrossover crossover(6);
  GPDepthLimitMutation mutation(6, new GPDepthLimitGenerator(symbols.get(), 6));
  GetUtility()->Seed(21U);
  for (int k = 0; k < 300; ++k) {
    LispCode* a = generator.Generate();
    LispCode* b = generator.Generate();
    crossover.Cross(a, b);
    mutation.Mutate(a);
    ASSERT_LE(Depth(a), 6);
    ASSERT_LE(Depth(b), 6);
    Release(a);
    Release(b);
  }
}

TEST_F(GPVariationTest, MutationAtTheRootAndAtTheLimit) {
  auto symbols = Symbols(kTable);
  // At the root (level 1) the new tree may be as deep as M.
  std::uint32_t seed = SeedDrawing(5, 0);
  LispCode* a = ParseProgram(operators, "Plus2(x0,Times2(x1,1.0))");
  GPDepthLimitMutation mutation(4, new GPDepthLimitGenerator(symbols.get(), 6));
  GetUtility()->Seed(seed);
  mutation.Mutate(a);
  EXPECT_LE(Depth(a), 4);
  Release(a);
  // A node at level M gets a single terminal: x1 sits at level 3 of a tree of depth 3.
  seed = SeedDrawing(5, 3);
  LispCode* b = ParseProgram(operators, "Plus2(x0,Times2(x1,1.0))");
  GPDepthLimitMutation atLimit(3, new GPDepthLimitGenerator(symbols.get(), 6));
  GetUtility()->Seed(seed);
  atLimit.Mutate(b);
  EXPECT_EQ(Depth(b), 3);
  std::string text = Text(b);
  EXPECT_EQ(text.rfind("Plus[x0,Times[", 0), 0U) << text;
  Release(b);
}

TEST_F(GPVariationTest, MutationBelowTheLimitEndsWithDepthLimitZero) {
  auto symbols = Symbols(kTable);
  std::uint32_t seed = SeedDrawing(5, 3);  // x1 at level 3 while M is 1
  LispCode* b = ParseProgram(operators, "Plus2(x0,Times2(x1,1.0))");
  GPDepthLimitMutation mutation(1, new GPDepthLimitGenerator(symbols.get(), 6));
  GetUtility()->Seed(seed);
  EXPECT_EXIT(mutation.Mutate(b), ExitedWithCode(1),
              ExactLine("Fatal error: depthLimit = 0 at GPDepthLimitGenerator::Generate"));
  Release(b);
}
}  // namespace
