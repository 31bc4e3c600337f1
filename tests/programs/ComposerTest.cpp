#include <gtest/gtest.h>

#include <memory>

#include "TestOperators.h"
#include "TestSupport.h"
#include "foundation/Utility.h"
#include "programs/HeadLispCode.h"
#include "programs/HeadLispCodeComposer.h"

namespace {
using ::testing::ExitedWithCode;

struct ComposerFixture : ::testing::Test {
  Adder plus{"Plus", 2};
  Adder times{"Times", 2};
  DoubleVariable x0{"x0", 0};
  DoubleVariable x1{"x1", 1};
  DoubleConstant one{"1.0", 1.0};

  // Plus[x0,Times[x1,1.0]]
  HeadLispCode* MakeA() { return new HeadLispCode(Node(&plus, {Node(&x0), Node(&times, {Node(&x1), Node(&one)})})); }
  // Plus[Times[x0,x0],x1]
  HeadLispCode* MakeB() { return new HeadLispCode(Node(&plus, {Node(&times, {Node(&x0), Node(&x0)}), Node(&x1)})); }

  // Makes the composer select the k-th node in preorder, by finding a seed
  // whose first draw is k.
  static void Select(HeadLispCodeComposer& composer, HeadLispCode& code, int k) {
    int n = code.GetRoot()->GetSize();
    for (std::uint32_t seed = 1;; ++seed) {
      GetUtility()->Seed(seed);
      if (GetUtility()->RandomInt(n) != k) continue;
      GetUtility()->Seed(seed);
      ASSERT_EQ(composer.SelectRandom(), code.GetRoot()->Part(k));
      return;
    }
  }

  // True when GetSelected makes exactly one draw, RandomInt(size): that is,
  // nothing was selected.
  static bool SelectsAnew(HeadLispCodeComposer& composer, HeadLispCode& code) {
    GetUtility()->Seed(99);
    int k = GetUtility()->RandomInt(code.GetRoot()->GetSize());
    unsigned following = GetUtility()->NextWord();
    GetUtility()->Seed(99);
    Head* got = composer.GetSelected();
    return got == code.GetRoot()->Part(k) && GetUtility()->NextWord() == following;
  }

  static void Destroy(HeadLispCode* code) {
    code->DeleteTree();
    delete code;
  }
};

TEST_F(ComposerFixture, SelectRandomDrawsOnceAndSelectionMeasures) {
  std::unique_ptr<HeadLispCode> a(MakeA());
  std::unique_ptr<LispCodeComposer> base(a->CreateComposer());
  auto& c = static_cast<HeadLispCodeComposer&>(*base);
  EXPECT_EQ(c.GetCode(), a.get());
  EXPECT_TRUE(SelectsAnew(c, *a));
  // Once a node is selected, asking for it or measuring it draws nothing.
  Head* chosen = c.GetSelected();
  GetUtility()->Seed(5);
  unsigned expected = GetUtility()->NextWord();
  GetUtility()->Seed(5);
  EXPECT_EQ(c.GetSelected(), chosen);
  c.GetSelectedDepth();
  c.GetSelectedPosition();
  c.Nop();
  EXPECT_EQ(GetUtility()->NextWord(), expected);

  Select(c, *a, 0);
  EXPECT_EQ(c.GetSelectedPosition(), 1);
  EXPECT_EQ(c.GetSelectedDepth(), 3);
  Select(c, *a, 2);
  EXPECT_EQ(c.GetSelectedPosition(), 2);
  EXPECT_EQ(c.GetSelectedDepth(), 2);
  Select(c, *a, 4);
  EXPECT_EQ(c.GetSelectedPosition(), 3);
  EXPECT_EQ(c.GetSelectedDepth(), 1);
  a->DeleteTree();
}

TEST_F(ComposerFixture, ExchangeInsideTradesSubtreesAndKeepsCachesRight) {
  HeadLispCode* a = MakeA();
  HeadLispCode* b = MakeB();
  for (HeadLispCode* code : {a, b}) {
    code->GetRoot()->GetSize();
    code->GetRoot()->GetDepth();
  }
  HeadLispCodeComposer ca(a);
  HeadLispCodeComposer cb(b);
  Select(ca, *a, 2);  // Times[x1,1.0]
  Select(cb, *b, 4);  // x1
  Head* movedFromA = ca.GetSelected();
  Head* keptInB = b->GetRoot()->GetChild(0);
  ca.Compose(&cb, LispCodeComposer::Exchange);
  EXPECT_EQ(a->ToString(), "Plus[x0,x1]");
  EXPECT_EQ(b->ToString(), "Plus[Times[x0,x0],Times[x1,1.0]]");
  // The moved and the untouched subtrees keep their caches; the roots do not.
  EXPECT_EQ(movedFromA->GetCachedSize(), 3);
  EXPECT_EQ(movedFromA->GetCachedDepth(), 2);
  EXPECT_EQ(keptInB->GetCachedSize(), 3);
  EXPECT_EQ(a->GetRoot()->GetCachedSize(), -1);
  EXPECT_EQ(b->GetRoot()->GetCachedDepth(), -1);
  EXPECT_EQ(a->GetRoot()->GetSize(), 3);
  EXPECT_EQ(a->GetRoot()->GetDepth(), 2);
  EXPECT_EQ(b->GetRoot()->GetSize(), 7);
  EXPECT_EQ(b->GetRoot()->GetDepth(), 3);
  EXPECT_EQ(movedFromA->GetParent(), b->GetRoot());
  EXPECT_EQ(movedFromA->GetIndex(), 1);
  EXPECT_EQ(a->GetRoot()->GetChild(1)->GetParent(), a->GetRoot());
  EXPECT_EQ(movedFromA->Position(b->GetRoot()), 2);
  EXPECT_TRUE(SelectsAnew(ca, *a));
  EXPECT_TRUE(SelectsAnew(cb, *b));
  Destroy(a);
  Destroy(b);
}

TEST_F(ComposerFixture, ExchangeOfRootsTradesWholePrograms) {
  HeadLispCode* a = MakeA();
  HeadLispCode* b = MakeB();
  Head* rootA = a->GetRoot();
  Head* rootB = b->GetRoot();
  HeadLispCodeComposer ca(a);
  HeadLispCodeComposer cb(b);
  Select(ca, *a, 0);
  Select(cb, *b, 0);
  ca.Compose(&cb, LispCodeComposer::Exchange);
  EXPECT_EQ(a->GetRoot(), rootB);
  EXPECT_EQ(b->GetRoot(), rootA);
  EXPECT_EQ(a->ToString(), "Plus[Times[x0,x0],x1]");
  EXPECT_EQ(b->ToString(), "Plus[x0,Times[x1,1.0]]");
  Destroy(a);
  Destroy(b);
}

TEST_F(ComposerFixture, ExchangeOfARootWithAnInnerNode) {
  HeadLispCode* a = MakeA();
  HeadLispCode* b = MakeB();
  HeadLispCodeComposer ca(a);
  HeadLispCodeComposer cb(b);
  Select(ca, *a, 0);  // the whole of a
  Select(cb, *b, 1);  // Times[x0,x0]
  ca.Compose(&cb, LispCodeComposer::Exchange);
  EXPECT_EQ(a->ToString(), "Times[x0,x0]");
  EXPECT_EQ(a->GetRoot()->GetParent(), nullptr);
  EXPECT_EQ(a->GetRoot()->GetIndex(), 0);
  EXPECT_EQ(b->ToString(), "Plus[Plus[x0,Times[x1,1.0]],x1]");
  EXPECT_EQ(b->GetRoot()->GetSize(), 7);
  EXPECT_EQ(b->GetRoot()->GetDepth(), 4);
  Destroy(a);
  Destroy(b);
}

TEST_F(ComposerFixture, CopyInReplacesOnlyThisSide) {
  HeadLispCode* a = MakeA();
  HeadLispCode* b = MakeB();
  HeadLispCodeComposer ca(a);
  HeadLispCodeComposer cb(b);
  Select(ca, *a, 2);  // Times[x1,1.0]
  Select(cb, *b, 1);  // Times[x0,x0]
  Head* donor = cb.GetSelected();
  ca.Compose(&cb, LispCodeComposer::CopyIn);
  EXPECT_EQ(a->ToString(), "Plus[x0,Times[x0,x0]]");
  EXPECT_EQ(b->ToString(), "Plus[Times[x0,x0],x1]");
  Head* copy = a->GetRoot()->GetChild(1);
  EXPECT_NE(copy, donor);
  EXPECT_EQ(copy->GetParent(), a->GetRoot());
  EXPECT_EQ(donor->GetParent(), b->GetRoot());
  EXPECT_EQ(a->GetRoot()->GetSize(), 5);
  EXPECT_TRUE(SelectsAnew(ca, *a));
  EXPECT_TRUE(SelectsAnew(cb, *b));

  // At the root: the whole program becomes a copy of b's x1.
  Select(ca, *a, 0);
  Select(cb, *b, 4);
  ca.Compose(&cb, LispCodeComposer::CopyIn);
  EXPECT_EQ(a->ToString(), "x1");
  EXPECT_EQ(a->GetRoot()->GetParent(), nullptr);
  EXPECT_EQ(a->GetRoot()->GetIndex(), 0);
  EXPECT_EQ(a->GetRoot()->GetSize(), 1);
  EXPECT_EQ(b->ToString(), "Plus[Times[x0,x0],x1]");
  Destroy(a);
  Destroy(b);
}

TEST_F(ComposerFixture, UnknownModeChangesNothingButClearsSelections) {
  HeadLispCode* a = MakeA();
  HeadLispCode* b = MakeB();
  HeadLispCodeComposer ca(a);
  HeadLispCodeComposer cb(b);
  Select(ca, *a, 1);
  Select(cb, *b, 2);
  ca.Compose(&cb, 3);
  EXPECT_EQ(a->ToString(), "Plus[x0,Times[x1,1.0]]");
  EXPECT_EQ(b->ToString(), "Plus[Times[x0,x0],x1]");
  EXPECT_TRUE(SelectsAnew(ca, *a));
  EXPECT_TRUE(SelectsAnew(cb, *b));
  Destroy(a);
  Destroy(b);
}

TEST_F(ComposerFixture, ComposeWithACodeGraftsItsTree) {
  HeadLispCode* a = MakeA();
  HeadLispCodeComposer ca(a);
  Select(ca, *a, 1);  // x0
  LispCode* grown = new HeadLispCode(Node(&times, {Node(&x1), Node(&x1)}));
  ca.Compose(grown);
  EXPECT_EQ(a->ToString(), "Plus[Times[x1,x1],Times[x1,1.0]]");
  EXPECT_EQ(a->GetRoot()->GetDepth(), 3);
  EXPECT_EQ(a->GetRoot()->GetChild(0)->GetParent(), a->GetRoot());
  // The emptied code object goes without its tree, which now belongs to a.
  EXPECT_EQ(static_cast<HeadLispCode*>(grown)->GetRoot(), nullptr);
  grown->DeleteTree();  // harmless now
  delete grown;
  EXPECT_TRUE(SelectsAnew(ca, *a));

  // At the root the grafted tree becomes the whole program.
  Select(ca, *a, 0);
  grown = new HeadLispCode(Node(&one));
  Head* graft = static_cast<HeadLispCode*>(grown)->GetRoot();
  ca.Compose(grown);
  delete grown;
  EXPECT_EQ(a->GetRoot(), graft);
  EXPECT_EQ(a->ToString(), "1.0");
  EXPECT_EQ(graft->GetParent(), nullptr);
  Destroy(a);
}

class OtherCode : public LispCode {
 public:
  LispCodeComposer* CreateComposer() override { return nullptr; }
  void Evaluate(LispInterpreter*) override {}
  std::string ToString() override { return ""; }
  std::string ToSaveString() override { return ""; }
  void DeleteTree() override {}
  LispCode* Clone() override { return nullptr; }
  LispCodeIterator* CreateIterator() override { return nullptr; }
};

class OtherComposer : public LispCodeComposer {
 public:
  LispCode* GetCode() override { return nullptr; }
  Head* SelectRandom() override { return nullptr; }
  void Nop() override {}
  void Compose(LispCode*) override {}
  void Compose(LispCodeComposer*, int) override {}
  int GetSelectedDepth() override { return 0; }
  int GetSelectedPosition() override { return 0; }
};

TEST_F(ComposerFixture, ComposeRefusesOtherKinds) {
  std::unique_ptr<HeadLispCode> a(MakeA());
  HeadLispCodeComposer ca(a.get());
  OtherCode code;
  OtherComposer composer;
  EXPECT_EXIT(ca.Compose(&code), ExitedWithCode(1),
              "^" + ExactLine("Cast from LispCode to HeadLispCode failed at HeadLispCodeComposer::Compose\n") + "$");
  EXPECT_EXIT(ca.Compose(&composer, 1), ExitedWithCode(1),
              "^" +
                  ExactLine(
                      "Cast from LispCodeComposer to HeadLispCodeComposer failed at HeadLispCodeComposer::Compose\n") +
                  "$");
  a->DeleteTree();
}

}  // namespace
