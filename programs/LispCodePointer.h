// A cursor that builds a program top-down, operator first, then each child's
// subtree through a child pointer; the tree generator builds every program so.
#pragma once

class LispCode;
class Operator;

class LispCodePointer {
 public:
  virtual ~LispCodePointer() = default;
  // Makes a node for the operator and hangs it as the next child of the
  // pointer's node, if it has one.
  virtual void Append(Operator* op) = 0;
  // A new pointer (owned by the caller) under the node appended last.
  virtual LispCodePointer* CreateChildPointer() = 0;
  // A new code (owned by the caller) whose root is the node appended last.
  virtual LispCode* CreateCode() = 0;
};
