// A read-only walk over a program, from a node to its children.
#pragma once

class Operator;

class LispCodeIterator {
 public:
  virtual ~LispCodeIterator() = default;
  // A new iterator (owned by the caller) on the index-th child.
  virtual LispCodeIterator* CreateChildIterator(int index) = 0;
  virtual Operator* GetOperator() = 0;
};
