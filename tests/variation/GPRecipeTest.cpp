// Offspring made from recipes on the parents' flat programs must be what
// copying the parents' trees and then crossing or mutating the copies makes,
// with the same random draws, the parents untouched and every size right.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "engine/Chromosome.h"
#include "foundation/Utility.h"
#include "programs/FlatLispCode.h"
#include "programs/GPSymbolRegister.h"
#include "programs/HeadLispCode.h"
#include "programs/ProgramRecipe.h"
#include "variation/GPCrossover.h"
#include "variation/GPGenerator.h"
#include "variation/GPMutation.h"

namespace {

struct GPRecipeTest : ::testing::Test {
  OperatorRegister operators{100};
  std::unique_ptr<GPSymbolRegister> symbols;

  void SetUp() override {
    std::istringstream in("1\tx0 x1 1.0 \n2\tPlus2 Times2 Sin if \n1\tiflte \n");
    symbols = std::make_unique<GPSymbolRegister>(&operators, in);
  }

  static HeadLispCode* Tree(LispCode* code) { return dynamic_cast<HeadLispCode*>(code); }
  static void Release(LispCode* code) {
    code->DeleteTree();
    delete code;
  }
  // Every node's cached size and depth, where computed, is its subtree's.
  static void ExpectCachesRight(Head* node, int& size, int& depth) {
    size = 1;
    depth = 0;
    for (int i = 0; i < node->GetArity(); ++i) {
      Head* child = node->GetChild(i);
      EXPECT_EQ(child->GetParent(), node);
      EXPECT_EQ(child->GetIndex(), i);
      int childSize = 0;
      int childDepth = 0;
      ExpectCachesRight(child, childSize, childDepth);
      size += childSize;
      if (childDepth > depth) depth = childDepth;
    }
    depth += 1;
    if (node->GetCachedSize() >= 0) {
      EXPECT_EQ(node->GetCachedSize(), size);
    }
    if (node->GetCachedDepth() >= 0) {
      EXPECT_EQ(node->GetCachedDepth(), depth);
    }
  }
  static void ExpectWholeAndCached(LispCode* code) {
    Head* root = Tree(code)->GetRoot();
    EXPECT_EQ(root->GetParent(), nullptr);
    EXPECT_EQ(root->GetIndex(), 0);
    EXPECT_GE(root->GetCachedSize(), 0);
    EXPECT_GE(root->GetCachedDepth(), 0);
    int size = 0;
    int depth = 0;
    ExpectCachesRight(root, size, depth);
  }
  // A flat copy of code's tree, code untouched.
  static std::unique_ptr<FlatLispCode> Flat(LispCode* code) {
    FlatProgram program;
    EXPECT_TRUE(FlatProgram::FromTree(Tree(code)->GetRoot(), program));
    return std::make_unique<FlatLispCode>(std::move(program));
  }
  // Every node's size is its subtree's, counted from the arities alone, and
  // the depth is the program's.
  static void ExpectWholeFlat(LispCode* code) {
    auto* flat = dynamic_cast<FlatLispCode*>(code);
    ASSERT_NE(flat, nullptr);
    const FlatProgram& program = flat->GetProgram();
    for (int k = 0; k < program.Size(); ++k) {
      int open = 1;
      int j = k;
      while (open > 0 && j < program.Size()) open += program.Part(j++)->GetArity() - 1;
      ASSERT_EQ(open, 0) << k;
      ASSERT_EQ(program.Part(k)->GetSize(), j - k) << k;
    }
    Head* tree = program.ToTree();
    EXPECT_EQ(flat->GetDepth(), tree->GetDepth());
    HeadLispCode(tree).DeleteTree();
  }
  // The next draw tells whether two ways drew equally often.
  static int NextDraw() { return GetUtility()->RandomInt(1 << 30); }
};

TEST_F(GPRecipeTest, CrossoverRecipesMakeWhatCrossingCopiesMakes) {
  for (int maxDepth : {1, 3, 6, 17}) {
    GPDepthLimitGenerator generator(symbols.get(), 6);
    GPDepthLimitCrossover crossover(maxDepth);
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
      GetUtility()->Seed(seed);
      LispCode* a = generator.Generate();
      // Every tenth pair is a program crossed with itself.
      LispCode* b = seed % 10 == 0 ? a : generator.Generate();
      std::string aText = a->ToString();
      std::string bText = b->ToString();

      GetUtility()->Seed(seed * 7919U);
      LispCode* ca = a->Clone();
      LispCode* cb = b->Clone();
      crossover.Cross(ca, cb);
      int afterCross = NextDraw();

      GetUtility()->Seed(seed * 7919U);
      std::unique_ptr<FlatLispCode> fa = Flat(a);
      std::unique_ptr<FlatLispCode> fb = a == b ? nullptr : Flat(b);
      CrossoverRecipes recipes = crossover.Plan(fa.get(), fb ? fb.get() : fa.get());
      int afterPlan = NextDraw();
      LispCode* first = recipes.first.Build();
      LispCode* second = recipes.second.Build();

      ASSERT_EQ(afterPlan, afterCross) << "seed " << seed;
      EXPECT_EQ(first->ToString(), ca->ToString()) << "seed " << seed << " depth " << maxDepth;
      EXPECT_EQ(second->ToString(), cb->ToString()) << "seed " << seed << " depth " << maxDepth;
      EXPECT_EQ(fa->ToString(), aText);
      if (fb) {
        EXPECT_EQ(fb->ToString(), bText);
      }
      EXPECT_TRUE(recipes.first.IsEmpty());
      ExpectWholeFlat(first);
      ExpectWholeFlat(second);
      for (LispCode* code : {first, second, ca, cb}) Release(code);
      Release(a);
      if (b != a) Release(b);
    }
  }
}

TEST_F(GPRecipeTest, MutationRecipesMakeWhatMutatingACopyMakes) {
  // Deep enough for every node of a parent: a shallower limit ends the
  // process with the generator's report either way.
  for (int maxDepth : {7, 8, 9}) {
    GPDepthLimitGenerator generator(symbols.get(), 6);
    GPDepthLimitMutation mutation(maxDepth, new GPDepthLimitGenerator(symbols.get(), 6));
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
      GetUtility()->Seed(seed);
      LispCode* parent = generator.Generate();
      std::string parentText = parent->ToString();

      GetUtility()->Seed(seed + 100000U);
      LispCode* copy = parent->Clone();
      mutation.Mutate(copy);
      int afterMutate = NextDraw();

      GetUtility()->Seed(seed + 100000U);
      std::unique_ptr<FlatLispCode> flat = Flat(parent);
      ProgramRecipe recipe = mutation.Plan(flat.get());
      int afterPlan = NextDraw();
      LispCode* child = recipe.Build();

      ASSERT_EQ(afterPlan, afterMutate) << "seed " << seed;
      EXPECT_EQ(child->ToString(), copy->ToString()) << "seed " << seed << " depth " << maxDepth;
      EXPECT_EQ(flat->ToString(), parentText);
      ExpectWholeFlat(child);
      for (LispCode* code : {child, copy, parent}) Release(code);
    }
  }
}

TEST_F(GPRecipeTest, ChromosomeIsMadeWhenToldAndDiscardsWhatItNeverMade) {
  GPDepthLimitGenerator generator(symbols.get(), 5);
  GPDepthLimitMutation mutation(8, new GPDepthLimitGenerator(symbols.get(), 5));
  GetUtility()->Seed(42U);
  LispCode* parent = MakeFlat(generator.Generate());
  auto* flat = dynamic_cast<FlatLispCode*>(parent);
  ASSERT_NE(flat, nullptr);
  {
    // Never made: the grown program goes with the chromosome (the leak
    // checker of the sanitizer build would see it otherwise).
    GPChromosome unbuilt(mutation.Plan(flat));
  }
  GPChromosome copy(ProgramRecipe::Copy(flat->GetRoot()));
  // Asking for the program makes nothing.
  EXPECT_EQ(copy.GetCode(), nullptr);
  EXPECT_FALSE(copy.IsMade());
  EXPECT_EQ(copy.BreedingForm(), nullptr);
  copy.Make();
  EXPECT_TRUE(copy.IsMade());
  LispCode* built = copy.GetCode();
  // What breeding in parts reads of it: the made program's root node.
  EXPECT_EQ(copy.BreedingForm(), dynamic_cast<FlatLispCode*>(built)->GetRoot());
  copy.Make();  // once made, nothing more
  EXPECT_EQ(copy.GetCode(), built);
  std::unique_ptr<Chromosome> clone(copy.Clone());
  EXPECT_EQ(clone->ToString(), parent->ToString());
  // Made now, by this thread (numbered 0).
  EXPECT_EQ(copy.GetMaker(), 0);
  EXPECT_NE(dynamic_cast<FlatLispCode*>(built)->GetRoot(), flat->GetRoot());
  EXPECT_EQ(copy.ToSaveString(), parent->ToSaveString());
  clone->DeleteContents();
  Release(parent);
}

TEST_F(GPRecipeTest, SplicingAtTheRootGivesAStandaloneRoot) {
  GPDepthLimitGenerator generator(symbols.get(), 4);
  GetUtility()->Seed(5U);
  LispCode* base = generator.Generate();
  LispCode* donor = generator.Generate();
  std::unique_ptr<FlatLispCode> flatBase = Flat(base);
  std::unique_ptr<FlatLispCode> flatDonor = Flat(donor);
  const FlatNode* donorRoot = flatDonor->GetRoot();
  const FlatNode* donorChild = donorRoot->GetArity() > 0 ? donorRoot->GetChild(0) : donorRoot;
  LispCode* grafted = ProgramRecipe::Graft(flatBase->GetRoot(), flatBase->GetRoot(), donorChild).Build();
  EXPECT_EQ(grafted->ToString(), FlatProgram::Copy(donorChild).ToString());
  ExpectWholeFlat(grafted);
  for (LispCode* code : {grafted, base, donor}) Release(code);
}

}  // namespace
