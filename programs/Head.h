// A node of a program tree: it points to a shared operator, owns its children
// and caches the size and depth of the subtree rooted at it.
//
// Trees are copied and destroyed wholesale every generation, so a node takes
// 48 bytes (no virtual table, small counts), keeps the pointers to up to two
// children inside itself, and nodes (and the children arrays of nodes with
// three or four children) come from pools of fixed-size blocks rather than
// the general heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/Array.h"
#include "programs/Operator.h"

class Head;
class LispInterpreter;
class ListingCodes;

// A list of nodes that it never deletes (the interpreter's pending nodes).
class HeadArray : public PointerArray<Head> {
 public:
  explicit HeadArray(int capacity) : PointerArray<Head>(capacity) {}
};

class Head final {
 public:
  // A fresh node taking as many children as the operator has arguments.
  // Variable-arity operators cannot make nodes.
  explicit Head(Operator* op);
  // The copy made by Clone: given caches and index, no parent, no children yet.
  Head(Operator* op, int arity, int size, int depth, int index);
  Head(const Head&) = delete;
  Head& operator=(const Head&) = delete;
  // Frees the children array, not the children (see DeleteChildren).
  ~Head();

  // Nodes are made from and returned to the node pool.
  static void* operator new(std::size_t size);
  static void operator delete(void* block, std::size_t size);
  // Hands the nodes the calling thread has destroyed to the other threads
  // (a thread that only destroys trees calls it after each batch).
  static void ReturnFreeNodes();
  // For a thread that makes trees as well as destroying them: hands the
  // other threads only what it keeps beyond its own needs.
  static void TrimFreeNodes();

  // Runs the node's operator with this node's arity.
  void Operate(LispInterpreter* interpreter);

  // The i-th child; an index outside the children is reported as the
  // children array's ("HeadArray", "Get").
  Head* GetChild(int i) const {
    if (i < 0 || i >= childCount) ReportChildIndex(i, "Get");
    return Children()[i];
  }
  // Appends a child; the caches are not touched (for building fresh trees).
  void AddChild(Head* child);
  // Replaces (without freeing) the i-th child and clears the caches on the
  // path from this node to the root.
  void SetChild(Head* child, int i);
  // Hangs child under parent at i, or makes it a root when parent is null.
  static void Attach(Head* child, Head* parent, int i);

  int GetArity() const { return arity; }
  // The children hung so far (the arity, once the tree is whole).
  int GetChildCount() const { return childCount; }
  // Asks the processor to fetch the children ahead of a walk that will visit
  // them (trees are walked node by node, and each visit would otherwise wait
  // for memory).
  // Both slots inside the node always hold a child, a node's own children
  // array or null (fetching a null address does nothing). A loop or branch
  // here would let the compiler drop the fetches.
  void PrefetchChildren() const {
    __builtin_prefetch(inlineChildren[0]);
    __builtin_prefetch(inlineChildren[1]);
    // Trees are mostly laid out in preorder, one node after the other: the
    // nodes a few places further on are most likely visited soon.
    __builtin_prefetch(reinterpret_cast<const char*>(this) + kPrefetchAhead);
  }
  Operator* GetOperator() const { return op; }
  Head* GetParent() const { return parent; }
  int GetIndex() const { return index; }
  std::string GetName() const { return op->GetName(); }

  // Number of nodes of this subtree (cached).
  int GetSize() {
    if (size < 0) size = ComputeSize();
    return size;
  }
  // Depth of this subtree, a lone node having depth 1 (cached).
  int GetDepth() {
    if (depth < 0) depth = ComputeDepth();
    return depth;
  }
  // The cached values as stored, -1 when not computed yet.
  int GetCachedSize() const { return size; }
  int GetCachedDepth() const { return depth; }

  // The k-th node of this subtree in preorder; 0 is this node.
  Head* Part(int k);
  // Level of this node under root: 1 for root itself, 2 for its children.
  int Position(Head* root);
  // Deep copy of this subtree, caches included.
  Head* Clone();
  // A copy of the tree at root (a root) in which the subtree at cut, a node of
  // that tree, is replaced: by a copy of replacement when copyReplacement, by
  // replacement itself (then part of the copy) otherwise. The copy is what
  // copying root and then splicing at cut gives, made in one pass in
  // preorder; its caches are all computed.
  static Head* CloneSplicing(Head* root, Head* cut, Head* replacement, bool copyReplacement);
  // Destroys every descendant, deepest first, and empties the children array.
  void DeleteChildren();

  // Bracket form: Plus[x0,Times[x1,1.0]].
  std::string ToString() const;
  // Listing form: one "name\tarity\n" line per node, in preorder.
  std::string ToSaveString() const;
  // The listing form appended to text; returns the number of nodes listed.
  // It reads no cache, so that it may list a program while another thread
  // computes them.
  int AppendListingForm(std::string& text) const;
  // The same held compactly, appended to codes; false when the program holds
  // too many different nodes for them (codes then hold part of it). Reads no
  // cache either.
  bool AppendListingCodes(ListingCodes& codes) const;

  // The most children a node holds (a node of more arity is reported).
  static constexpr int kMaxChildren = 65535;

 private:
  // Children arrays this long or shorter live inside the node.
  static constexpr int kInlineChildren = 2;
  // How far ahead in memory PrefetchChildren reaches: eight cache lines.
  static constexpr int kPrefetchAhead = 8 * 64;

  // Room for the children: inside the node, or an array of its own.
  Head** Children() { return arity <= kInlineChildren ? inlineChildren : outsideChildren; }
  Head* const* Children() const { return arity <= kInlineChildren ? inlineChildren : outsideChildren; }
  void MakeChildArray();

  int ComputeSize();
  int ComputeDepth();
  void AppendBracketForm(std::string& text) const;
  // Writes the listing form into text from at on, growing text as needed;
  // returns where it ends.
  std::size_t PutListing(std::string& text, std::size_t at, int& nodes) const;
  [[noreturn]] void ReportChildIndex(int i, const char* method) const;
  // Destroys node with its whole subtree.
  static void Destroy(Head* node);
  // CloneSplicing below node, which lies on the path to the cut: path holds
  // that path from the root's child down to the cut, and at is the place of
  // node's child on it (the path's length when node is the cut itself).
  static Head* CopyAlong(Head* node, const std::vector<Head*>& path, std::size_t at, Head* replacement,
                         bool copyReplacement);

  Operator* op;
  Head* parent;
  // Room for arity children (none below zero).
  union {
    Head* inlineChildren[kInlineChildren];
    Head** outsideChildren;
  };
  int size;
  int depth;
  int arity;
  // The place under the parent, and the children hung so far: at most
  // kMaxChildren, which keeps a node in 48 bytes.
  std::uint16_t index;
  std::uint16_t childCount = 0;
};
