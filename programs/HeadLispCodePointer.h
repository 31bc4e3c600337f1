// The tree-building cursor over Head trees. A pointer made without a node
// builds a root; CreateChildPointer gives the cursor for the last node's children.
#pragma once

#include "programs/LispCodePointer.h"

class Head;

class HeadLispCodePointer : public LispCodePointer {
 public:
  HeadLispCodePointer();
  explicit HeadLispCodePointer(Head* current);

  void Append(Operator* op) override;
  LispCodePointer* CreateChildPointer() override;
  LispCode* CreateCode() override;

 private:
  Head* current;  // the node new nodes are hung under; null for a root
  Head* made;     // the node appended last
};
