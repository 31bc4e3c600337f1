// A flat program must hold exactly the tree it was made from: the same nodes
// in preorder, sizes, depths and levels, text forms and splices.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "TestOperators.h"
#include "foundation/Utility.h"
#include "programs/FlatProgram.h"
#include "programs/GPSymbolRegister.h"
#include "programs/HeadLispCode.h"
#include "programs/ListingCodes.h"
#include "variation/GPGenerator.h"

namespace {

struct FlatProgramTest : ::testing::Test {
  OperatorRegister operators{100};
  std::unique_ptr<GPSymbolRegister> symbols;

  void SetUp() override {
    std::istringstream in("1\tx0 x1 1.0 \n2\tPlus2 Times2 Sin if \n1\tiflte \n");
    symbols = std::make_unique<GPSymbolRegister>(&operators, in);
  }
  static Head* RootOf(const std::unique_ptr<LispCode>& code) { return static_cast<HeadLispCode*>(code.get())->GetRoot(); }
  static void Release(std::unique_ptr<LispCode>& code) { code->DeleteTree(); }
};

TEST_F(FlatProgramTest, HoldsTheTreeItWasMadeFrom) {
  GPDepthLimitGenerator generator(symbols.get(), 8);
  for (std::uint32_t seed = 1; seed <= 200; ++seed) {
    GetUtility()->Seed(seed);
    std::unique_ptr<LispCode> code(generator.Generate());
    Head* root = RootOf(code);
    FlatProgram flat;
    ASSERT_TRUE(FlatProgram::FromTree(root, flat));
    ASSERT_EQ(flat.Size(), root->GetSize());
    EXPECT_EQ(flat.ToString(), root->ToString());
    EXPECT_EQ(flat.ToSaveString(), root->ToSaveString());
    for (int k = 0; k < flat.Size(); ++k) {
      Head* node = root->Part(k);
      const FlatNode* part = flat.Part(k);
      ASSERT_EQ(part->GetOperator(), node->GetOperator()) << seed << " " << k;
      ASSERT_EQ(part->GetArity(), node->GetArity());
      ASSERT_EQ(part->GetSize(), node->GetSize());
      ASSERT_EQ(FlatProgram::DepthOf(part), node->GetDepth());
      ASSERT_EQ(FlatProgram::PositionOf(flat.Root(), part), node->Position(root));
      for (int i = 0; i < part->GetArity(); ++i) {
        ASSERT_EQ(part->GetChild(i) - flat.Root(), k + 1 + [&] {
          int before = 0;
          for (int j = 0; j < i; ++j) before += node->GetChild(j)->GetSize();
          return before;
        }());
      }
    }
    ListingCodes codes;
    ASSERT_TRUE(flat.AppendListingCodes(codes));
    std::string listing;
    codes.AppendText(listing);
    EXPECT_EQ(listing, root->ToSaveString());

    // Back to a tree: the same program, its caches right.
    Head* again = flat.ToTree();
    EXPECT_EQ(again->ToSaveString(), root->ToSaveString());
    EXPECT_EQ(again->GetCachedSize(), root->GetSize());
    EXPECT_EQ(again->GetCachedDepth(), root->GetDepth());
    HeadLispCode(again).DeleteTree();
    Release(code);
  }
}

// A splice is what splicing the tree gives, at every cut and with donors
// of every size, the sizes on the way to the cut included; a copy is the
// subtree alone.
TEST_F(FlatProgramTest, SplicesAndCopiesAreTheTreesOnes) {
  GPDepthLimitGenerator generator(symbols.get(), 5);
  for (std::uint32_t seed = 1; seed <= 60; ++seed) {
    GetUtility()->Seed(seed);
    std::unique_ptr<LispCode> base(generator.Generate());
    std::unique_ptr<LispCode> donor(generator.Generate());
    FlatProgram flatBase;
    FlatProgram flatDonor;
    ASSERT_TRUE(FlatProgram::FromTree(RootOf(base), flatBase));
    ASSERT_TRUE(FlatProgram::FromTree(RootOf(donor), flatDonor));
    for (int cut = 0; cut < flatBase.Size(); ++cut) {
      int put = (cut * 7 + static_cast<int>(seed)) % flatDonor.Size();
      FlatProgram spliced = FlatProgram::Splice(flatBase.Root(), flatBase.Part(cut), flatDonor.Part(put));
      Head* tree = Head::CloneSplicing(RootOf(base), RootOf(base)->Part(cut), RootOf(donor)->Part(put), true);
      FlatProgram expected;
      ASSERT_TRUE(FlatProgram::FromTree(tree, expected));
      ASSERT_EQ(spliced.Size(), expected.Size());
      EXPECT_EQ(spliced.ToSaveString(), tree->ToSaveString());
      for (int k = 0; k < spliced.Size(); ++k) {
        ASSERT_EQ(spliced.Part(k)->GetSize(), expected.Part(k)->GetSize()) << k;
        ASSERT_EQ(FlatProgram::DepthOf(spliced.Part(k)), FlatProgram::DepthOf(expected.Part(k))) << k;
      }
      ASSERT_EQ(FlatProgram::DepthOf(spliced.Root()), tree->GetDepth());
      HeadLispCode(tree).DeleteTree();
    }
    FlatProgram copy = FlatProgram::Copy(flatDonor.Part(flatDonor.Size() / 2));
    EXPECT_EQ(copy.ToSaveString(), RootOf(donor)->Part(flatDonor.Size() / 2)->ToSaveString());
    Release(base);
    Release(donor);
  }
}

// Depths past what a node holds are counted when asked for, also after a
// splice deep down.
TEST_F(FlatProgramTest, DeepProgramsAreMeasuredAllTheSame) {
  constexpr int kDepth = FlatNode::kUnknownDepth + 10;
  Operator* sin = operators.Get("Sin");
  auto* root = new Head(sin);
  Head* at = root;
  for (int level = 2; level < kDepth; ++level) {
    auto* next = new Head(sin);
    at->AddChild(next);
    at = next;
  }
  at->AddChild(new Head(operators.Get("x0")));
  FlatProgram flat;
  ASSERT_TRUE(FlatProgram::FromTree(root, flat));
  HeadLispCode(root).DeleteTree();
  EXPECT_EQ(FlatProgram::DepthOf(flat.Root()), kDepth);
  EXPECT_EQ(FlatProgram::DepthOf(flat.Part(20)), kDepth - 20);
  EXPECT_EQ(FlatProgram::DepthOf(flat.Part(kDepth - 3)), 3);
  // A leaf for the subtree 5 levels from the bottom: 4 levels fewer.
  FlatProgram leaf = FlatProgram::Copy(flat.Part(kDepth - 1));
  FlatProgram shorter = FlatProgram::Splice(flat.Root(), flat.Part(kDepth - 5), leaf.Root());
  EXPECT_EQ(shorter.Size(), kDepth - 4);
  EXPECT_EQ(FlatProgram::DepthOf(shorter.Root()), kDepth - 4);
  EXPECT_EQ(shorter.Root()->GetSize(), kDepth - 4);
  EXPECT_EQ(FlatProgram::PositionOf(shorter.Root(), shorter.Part(kDepth - 5)), kDepth - 4);
  // Cut to a depth a node holds again.
  FlatProgram shallow = FlatProgram::Splice(flat.Root(), flat.Part(3), leaf.Root());
  EXPECT_EQ(FlatProgram::DepthOf(shallow.Root()), 4);
  EXPECT_EQ(shallow.ToString(), "Sin[Sin[Sin[x0]]]");
}

// A tree still missing a child has no flat form; an empty one has an
// empty form.
TEST_F(FlatProgramTest, RefusesUnfinishedTrees) {
  FlatProgram flat;
  ASSERT_TRUE(FlatProgram::FromTree(nullptr, flat));
  EXPECT_TRUE(flat.IsEmpty());
  EXPECT_EQ(flat.ToTree(), nullptr);
  EXPECT_EQ(flat.ToString(), "");
  auto* plus = new Head(operators.Get("Plus2"));
  plus->AddChild(new Head(operators.Get("x0")));
  EXPECT_FALSE(FlatProgram::FromTree(plus, flat));
  EXPECT_TRUE(flat.IsEmpty());
  HeadLispCode(plus).DeleteTree();
  // Nor has a node with more children than a flat node counts; one with
  // exactly as many has.
  for (int arity : {FlatNode::kMostArity, FlatNode::kMostArity + 1}) {
    Adder sum{"Sum", arity};
    auto* wide = new Head(&sum);
    for (int i = 0; i < arity; ++i) wide->AddChild(new Head(operators.Get("x1")));
    EXPECT_EQ(FlatProgram::FromTree(wide, flat), arity <= FlatNode::kMostArity) << arity;
    if (!flat.IsEmpty()) {
      EXPECT_EQ(flat.ToSaveString(), wide->ToSaveString());
    }
    HeadLispCode(wide).DeleteTree();
    flat = FlatProgram();
  }
}

}  // namespace
