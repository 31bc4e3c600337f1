// A node of a program tree: it points to a shared operator, owns its children
// and caches the size and depth of the subtree rooted at it.
#pragma once

#include <string>

#include "foundation/Array.h"
#include "programs/Operator.h"

class Head;
class LispInterpreter;

// The children of a node, left to right; the capacity is the node's arity.
// It never deletes the nodes it points to.
class HeadArray : public PointerArray<Head> {
 public:
  explicit HeadArray(int capacity) : PointerArray<Head>(capacity) {}
};

class Head {
 public:
  // A fresh node taking as many children as the operator has arguments.
  // Variable-arity operators cannot make nodes.
  explicit Head(Operator* op);
  // The copy made by Clone: given caches and index, no parent, no children yet.
  Head(Operator* op, int arity, int size, int depth, int index);
  Head(const Head&) = delete;
  Head& operator=(const Head&) = delete;
  // Frees the children array, not the children (see DeleteChildren).
  virtual ~Head();

  // Runs the node's operator with this node's arity.
  virtual void Operate(LispInterpreter* interpreter);

  Head* GetChild(int i) const { return children.Get(i); }
  // Appends a child; the caches are not touched (for building fresh trees).
  void AddChild(Head* child);
  // Replaces (without freeing) the i-th child and clears the caches on the
  // path from this node to the root.
  void SetChild(Head* child, int i);
  // Hangs child under parent at i, or makes it a root when parent is null.
  static void Attach(Head* child, Head* parent, int i);

  int GetArity() const { return arity; }
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
  // Destroys every descendant, deepest first, and empties the children array.
  void DeleteChildren();

  // Bracket form: Plus[x0,Times[x1,1.0]].
  std::string ToString() const;
  // Listing form: one "name\tarity\n" line per node, in preorder.
  std::string ToSaveString() const;

 private:
  int ComputeSize();
  int ComputeDepth();
  void AppendBracketForm(std::string& text) const;
  void AppendListingForm(std::string& text) const;

  Operator* op;
  HeadArray children;
  Head* parent;
  int size;
  int depth;
  int index;
  int arity;
};
