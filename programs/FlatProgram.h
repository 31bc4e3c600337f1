// A program stored flat: its nodes in one array, in preorder, each holding
// its operator, its number of arguments and the size and depth of the
// subtree rooted at it. Every subtree is a contiguous range of the array, so a copy is one
// memcpy, a splice three, and a program is freed in one piece. Random
// programs are grown in this form (from their operators in preorder); the
// tree of Head nodes stays the form programs are edited in, and a flat
// program is made from one and can make one again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "programs/Operator.h"

class Head;
class ListingCodes;

// A node of a flat program. Its children follow it: the first right after
// it, each next one after the whole subtree of the one before.
struct FlatNode {
  // A depth this large or larger is not held (kUnknownDepth is stored).
  static constexpr int kUnknownDepth = 0xFF;
  // Nodes with more children have no flat form.
  static constexpr int kMostArity = 0xFF;

  std::uint16_t op;     // the operator's number (Operator::GetId)
  std::uint8_t arity;
  std::uint8_t depth;   // of the subtree rooted here (1 for a leaf), or kUnknownDepth
  std::int32_t size;    // nodes of the subtree rooted here, this one included

  Operator* GetOperator() const { return Operator::ById(op); }
  int GetArity() const { return arity; }
  int GetSize() const { return size; }
  // The i-th child, for i below the arity.
  const FlatNode* GetChild(int i) const {
    const FlatNode* child = this + 1;
    for (; i > 0; --i) child += child->size;
    return child;
  }
  // Flat nodes lie in the order they are walked in: nothing to fetch ahead.
  void PrefetchChildren() const {}
};
static_assert(sizeof(FlatNode) == 8, "a flat node is an operator's number and three counts");

// Programs are made and freed in great numbers, on several threads: their
// arrays come from pools of fixed-size blocks (NodePool), one for each of a
// range of sizes, four sizes for every doubling; larger ones from the heap.
class FlatProgram {
 public:
  FlatProgram() = default;
  FlatProgram(FlatProgram&& other) noexcept : nodes(other.nodes), count(other.count) {
    other.nodes = nullptr;
    other.count = 0;
  }
  FlatProgram& operator=(FlatProgram&& other) noexcept {
    if (this != &other) {
      FreeNodes(nodes, count);
      nodes = other.nodes;
      count = other.count;
      other.nodes = nullptr;
      other.count = 0;
    }
    return *this;
  }
  FlatProgram(const FlatProgram&) = delete;
  FlatProgram& operator=(const FlatProgram&) = delete;
  ~FlatProgram() { FreeNodes(nodes, count); }

  // The tree at root, whose every node holds as many children as its arity
  // says; an empty program for a null root. Returns false (and leaves out
  // empty) for a tree with a node still missing children, with more than
  // FlatNode::kMostArity, or of an operator without a number.
  static bool FromTree(const Head* root, FlatProgram& out);
  // The program whose nodes are given in preorder with their operators and
  // arities, forming one whole tree; their sizes and depths are filled in
  // here (nodes is reused as room).
  static FlatProgram FromPreorder(std::vector<FlatNode>& nodes);
  // A copy of the subtree at root (of any flat program).
  static FlatProgram Copy(const FlatNode* root);
  // A copy of the program at root in which the subtree at cut, one of its
  // nodes, is replaced by a copy of the subtree at replacement.
  static FlatProgram Splice(const FlatNode* root, const FlatNode* cut, const FlatNode* replacement);

  bool IsEmpty() const { return count == 0; }
  int Size() const { return count; }
  const FlatNode* Root() const { return nodes; }
  // The k-th node in preorder, 0 being the root (k below Size).
  const FlatNode* Part(int k) const { return nodes + k; }

  // Gives up the nodes (to be freed with FreeProgram), leaving the program
  // empty.
  FlatNode* Release() {
    FlatNode* released = nodes;
    nodes = nullptr;
    count = 0;
    return released;
  }
  // Frees the nodes of a program given up by Release.
  static void FreeProgram(FlatNode* root) {
    if (root != nullptr) FreeNodes(root, root->size);
  }

  // A new tree of Head nodes holding the program, its caches computed; null
  // for an empty program.
  Head* ToTree() const { return count == 0 ? nullptr : TreeOf(Root()); }
  // The same for the subtree at root (of any flat program).
  static Head* TreeOf(const FlatNode* root);

  // Depth of the subtree at node (a node of any flat program), a lone node
  // having depth 1.
  static int DepthOf(const FlatNode* node) { return node->depth != FlatNode::kUnknownDepth ? node->depth : CountDepth(node); }
  // Level of node under root, one of the nodes of root's subtree: 1 for root
  // itself, 2 for its children.
  static int PositionOf(const FlatNode* root, const FlatNode* node);

  // The two text forms, as a tree of Head nodes prints them.
  std::string ToString() const;
  std::string ToSaveString() const;
  // The listing form appended to text; returns the number of nodes listed.
  int AppendListingForm(std::string& text) const;
  // The same held compactly, appended to codes; false when the program
  // holds too many different nodes for them.
  bool AppendListingCodes(ListingCodes& codes) const;

 private:
  // Room for size nodes, not yet written.
  static FlatProgram Allocate(int size);
  static FlatNode* AllocateNodes(int size);
  static void FreeNodes(FlatNode* nodes, int size);
  // The depth of the subtree at node, found by walking it.
  static int CountDepth(const FlatNode* node);
  // The depth to store for node, whose children's are stored already.
  static std::uint8_t DepthFromChildren(const FlatNode* node);

  FlatNode* nodes = nullptr;
  int count = 0;
};
