// The instructions of a program tree for the interpreter's instruction loop:
// each node's instruction after those of its arguments, a conditional as its
// comparands, a test that jumps to its second branch, the first branch and a
// jump over the second; End closes the list. Run one after the other they do
// exactly what the tree walk does: the same stack operations in the same
// order, the same reports, the same robot actions.
#pragma once

#include <vector>

#include "programs/OperatorTable.h"

class Head;
struct FlatNode;
class Operator;

struct Instruction {
  OpCode code;
  int arity;   // the node's number of arguments
  int target;  // a jump's or a test's target, or a variable's index
  int intValue;
  double doubleValue;
  Operator* op;  // the node's operator (reports name its class)
};

class InstructionList {
 public:
  // Replaces the instructions with those of the tree at root, which must be
  // one the instructions may run (ProgramAnalysis::IsRunnable).
  void Make(Head* root);
  void Make(const FlatNode* root);
  void Clear() { instructions.clear(); }
  const Instruction* Data() const { return instructions.data(); }
  int Size() const { return static_cast<int>(instructions.size()); }

 private:
  template <class Node>
  void MakeFrom(Node* root);
  template <class Node>
  void Emit(Node* node);

  std::vector<Instruction> instructions;
};
