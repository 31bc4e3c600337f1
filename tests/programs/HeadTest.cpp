#include <gtest/gtest.h>

#include <memory>

#include "TestOperators.h"
#include "TestSupport.h"
#include "programs/HeadLispCode.h"
#include "programs/HeadLispCodeIterator.h"
#include "programs/HeadLispCodePointer.h"
#include "programs/ListingCodes.h"

namespace {
using ::testing::ExitedWithCode;

// The operators of the example program Plus[x0,Times[x1,1.0]].
struct ExampleOperators {
  Adder plus{"Plus", 2};
  Adder times{"Times", 2};  // only the name and arity matter here
  DoubleVariable x0{"x0", 0};
  DoubleVariable x1{"x1", 1};
  DoubleConstant one{"1.0", 1.0};
  Recorder unary{"Neg", 1, nullptr};
  Head* Example() { return Node(&plus, {Node(&x0), Node(&times, {Node(&x1), Node(&one)})}); }
};

TEST(HeadTest, LoneTerminal) {
  ExampleOperators ops;
  Head leaf(&ops.x0);
  EXPECT_EQ(leaf.GetArity(), 0);
  EXPECT_EQ(leaf.GetOperator(), &ops.x0);
  EXPECT_EQ(leaf.GetParent(), nullptr);
  EXPECT_EQ(leaf.GetIndex(), 0);
  EXPECT_EQ(leaf.GetCachedSize(), -1);
  EXPECT_EQ(leaf.GetCachedDepth(), -1);
  EXPECT_EQ(leaf.GetSize(), 1);
  EXPECT_EQ(leaf.GetDepth(), 1);
  EXPECT_EQ(leaf.Part(0), &leaf);
  EXPECT_EQ(leaf.Position(&leaf), 1);
  EXPECT_EQ(leaf.ToString(), "x0");
  EXPECT_EQ(leaf.ToSaveString(), "x0\t0\n");
}

// A tree's listing codes stand for its listing form; a tree of more
// different nodes than the codes hold is refused, one of exactly as many is
// not.
TEST(HeadTest, ListingCodesMakeTheListingForm) {
  ExampleOperators ops;
  Head* root = ops.Example();
  ListingCodes codes;
  ASSERT_TRUE(root->AppendListingCodes(codes));
  EXPECT_EQ(codes.Nodes(), 5);
  std::string text = "kept ";
  codes.AppendText(text);
  EXPECT_EQ(text, "kept " + root->ToSaveString());
  DeleteTree(root);

  for (int leaves : {ListingCodes::kMaxPairs - 1, ListingCodes::kMaxPairs}) {
    Adder sum{"Sum", leaves};
    std::vector<std::unique_ptr<DoubleConstant>> constants;
    Head* wide = new Head(&sum);
    for (int i = 0; i < leaves; ++i) {
      constants.push_back(std::make_unique<DoubleConstant>("c" + std::to_string(i), i));
      wide->AddChild(new Head(constants.back().get()));
    }
    ListingCodes many;
    bool held = wide->AppendListingCodes(many);
    EXPECT_EQ(held, leaves + 1 <= ListingCodes::kMaxPairs) << leaves;
    if (held) {
      std::string listing;
      many.AppendText(listing);
      EXPECT_EQ(listing, wide->ToSaveString());
    }
    DeleteTree(wide);
  }
}

TEST(HeadTest, SizeDepthPartPositionAndLinks) {
  ExampleOperators ops;
  Head* root = ops.Example();
  EXPECT_EQ(root->GetSize(), 5);
  EXPECT_EQ(root->GetDepth(), 3);
  const char* preorder[] = {"Plus", "x0", "Times", "x1", "1.0"};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(root->Part(k)->GetName(), preorder[k]) << k;
  Head* times = root->GetChild(1);
  EXPECT_EQ(times->GetParent(), root);
  EXPECT_EQ(times->GetIndex(), 1);
  EXPECT_EQ(times->GetChild(1)->GetIndex(), 1);
  EXPECT_EQ(times->Part(2), times->GetChild(1));
  EXPECT_EQ(times->GetSize(), 3);
  EXPECT_EQ(times->GetDepth(), 2);
  EXPECT_EQ(root->Position(root), 1);
  EXPECT_EQ(times->Position(root), 2);
  EXPECT_EQ(times->GetChild(0)->Position(root), 3);
  EXPECT_EQ(times->GetChild(0)->Position(times), 2);
  DeleteTree(root);
}

TEST(HeadTest, TextForms) {
  ExampleOperators ops;
  HeadLispCode code(ops.Example());
  EXPECT_EQ(code.ToString(), "Plus[x0,Times[x1,1.0]]");
  EXPECT_EQ(code.ToSaveString(), "Plus\t2\nx0\t0\nTimes\t2\nx1\t0\n1.0\t0\n");
  code.DeleteTree();
  EXPECT_EQ(code.GetRoot(), nullptr);
  EXPECT_EQ(code.ToString(), "");
}

TEST(HeadTest, SetChildClearsOnlyThePathToTheRoot) {
  ExampleOperators ops;
  // Plus[Plus[x0,x1],Times[x1,Neg[x0]]]
  Head* left = Node(&ops.plus, {Node(&ops.x0), Node(&ops.x1)});
  Head* neg = Node(&ops.unary, {Node(&ops.x0)});
  Head* right = Node(&ops.times, {Node(&ops.x1), neg});
  Head* root = Node(&ops.plus, {left, right});
  EXPECT_EQ(root->GetSize(), 8);
  EXPECT_EQ(root->GetDepth(), 4);

  // Replace Neg[x0] by the lone 1.0: Times and the root lose their caches.
  Head* old = right->GetChild(1);
  right->SetChild(Node(&ops.one), 1);
  EXPECT_EQ(right->GetCachedSize(), -1);
  EXPECT_EQ(right->GetCachedDepth(), -1);
  EXPECT_EQ(root->GetCachedSize(), -1);
  EXPECT_EQ(left->GetCachedSize(), 3);
  EXPECT_EQ(left->GetCachedDepth(), 2);
  EXPECT_EQ(right->GetChild(0)->GetCachedSize(), 1);
  EXPECT_EQ(right->GetChild(1)->GetParent(), right);
  EXPECT_EQ(right->GetChild(1)->GetIndex(), 1);
  EXPECT_EQ(root->GetSize(), 7);
  EXPECT_EQ(root->GetDepth(), 3);
  EXPECT_EQ(root->ToString(), "Plus[Plus[x0,x1],Times[x1,1.0]]");
  DeleteTree(old);

  // Attach without a parent makes a root.
  Head* detached = root->GetChild(0);
  Head::Attach(detached, nullptr, 5);
  EXPECT_EQ(detached->GetParent(), nullptr);
  EXPECT_EQ(detached->GetIndex(), 0);
  Head::Attach(detached, root, 0);
  EXPECT_EQ(detached->GetParent(), root);
  DeleteTree(root);
}

TEST(HeadTest, CloneIsDeepAndIndependent) {
  ExampleOperators ops;
  HeadLispCode source(ops.Example());
  EXPECT_EQ(source.GetRoot()->GetSize(), 5);
  std::unique_ptr<LispCode> copy(source.Clone());
  Head* copyRoot = static_cast<HeadLispCode*>(copy.get())->GetRoot();
  EXPECT_NE(copyRoot, source.GetRoot());
  EXPECT_EQ(copyRoot->GetCachedSize(), 5);  // caches travel with the copy
  EXPECT_EQ(copyRoot->GetChild(1)->GetParent(), copyRoot);
  EXPECT_EQ(copyRoot->GetChild(1)->GetIndex(), 1);
  EXPECT_EQ(copyRoot->GetChild(1)->GetOperator(), &ops.times);  // operators are shared
  source.DeleteTree();
  EXPECT_EQ(copy->ToString(), "Plus[x0,Times[x1,1.0]]");
  EXPECT_EQ(copyRoot->GetDepth(), 3);
  copy->DeleteTree();
}

TEST(HeadTest, PointerBuildsTopDownAndIteratorWalksDown) {
  ExampleOperators ops;
  HeadLispCodePointer top;
  top.Append(&ops.plus);
  {
    std::unique_ptr<LispCodePointer> first(top.CreateChildPointer());
    first->Append(&ops.x0);
    std::unique_ptr<LispCodePointer> second(top.CreateChildPointer());
    second->Append(&ops.times);
    std::unique_ptr<LispCodePointer> a(second->CreateChildPointer());
    a->Append(&ops.x1);
    std::unique_ptr<LispCodePointer> b(second->CreateChildPointer());
    b->Append(&ops.one);
  }
  std::unique_ptr<LispCode> code(top.CreateCode());
  EXPECT_EQ(code->ToString(), "Plus[x0,Times[x1,1.0]]");
  Head* root = static_cast<HeadLispCode*>(code.get())->GetRoot();
  EXPECT_EQ(root->GetChild(1)->GetChild(1)->GetIndex(), 1);
  EXPECT_EQ(root->GetSize(), 5);

  std::unique_ptr<LispCodeIterator> at(code->CreateIterator());
  EXPECT_EQ(at->GetOperator(), &ops.plus);
  std::unique_ptr<LispCodeIterator> child(at->CreateChildIterator(1));
  EXPECT_EQ(child->GetOperator(), &ops.times);
  std::unique_ptr<LispCodeIterator> grandchild(child->CreateChildIterator(0));
  EXPECT_EQ(grandchild->GetOperator(), &ops.x1);
  code->DeleteTree();
}

TEST(HeadDeathTest, FailureReports) {
  ExampleOperators ops;
  Adder variadic("Plus", -1);
  EXPECT_EXIT(Head node(&variadic), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: arity = 0 at Head::Head\n") + "$");

  Head leaf(&ops.x0);
  EXPECT_EXIT(leaf.Part(1), ExitedWithCode(1),
              "^" + ExactLine("1, 1\nx0\nFatal error: Index is over length at Head::Part\n") + "$");

  Head* root = ops.Example();
  EXPECT_EXIT(root->Part(5), ExitedWithCode(1),
              "^" + ExactLine("5, 5\nPlus[x0,Times[x1,1.0]]\nFatal error: Index is over length at Head::Part\n") +
                  "$");
  Head* times = root->GetChild(1);
  EXPECT_EXIT(root->Position(times), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: Head can not be found at Head::Position\n") + "$");
  EXPECT_EXIT(times->AddChild(new Head(&ops.x0)), ExitedWithCode(1),
              "^" + ExactLine("Capacity 2 is full  at HeadArray::Add\n") + "$");
  EXPECT_EXIT(times->GetChild(2), ExitedWithCode(1),
              "^" + ExactLine("Array index 2 is over size 2 at HeadArray::Get\n") + "$");
  EXPECT_EXIT(times->SetChild(&leaf, 2), ExitedWithCode(1),
              "^" + ExactLine("Array index 2 is over size 2 at HeadArray::Set\n") + "$");
  DeleteTree(root);
}

}  // namespace
