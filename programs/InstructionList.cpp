#include "programs/InstructionList.h"

#include "programs/FlatProgram.h"
#include "programs/Head.h"

void InstructionList::Make(Head* root) { MakeFrom(root); }

void InstructionList::Make(const FlatNode* root) { MakeFrom(root); }

template <class Node>
void InstructionList::MakeFrom(Node* root) {
  instructions.clear();
  Emit(root);
  instructions.push_back({OpCode::End, 0, 0, 0, 0.0, nullptr});
}

template <class Node>
void InstructionList::Emit(Node* node) {
  node->PrefetchChildren();
  Operator* op = node->GetOperator();
  int n = node->GetArity();
  const Operand& operand = op->GetOperand();
  Instruction instruction{op->GetOperation(), n, operand.index, operand.intValue, operand.doubleValue, op};
  if (OperationOf(instruction.code).typing != Typing::Branch) {
    for (int i = 0; i < n; ++i) Emit(node->GetChild(i));
    instructions.push_back(instruction);
    return;
  }
  // The comparands (if's condition, iflte's a and b; ifFoodAhead reads the
  // sensor in its test), the test, the first branch, the jump over the
  // second branch, the second branch.
  int comparands = n - 2;
  for (int i = 0; i < comparands; ++i) Emit(node->GetChild(i));
  std::size_t test = instructions.size();
  instructions.push_back(instruction);
  Emit(node->GetChild(comparands));
  std::size_t jump = instructions.size();
  instructions.push_back({OpCode::Jump, 0, 0, 0, 0.0, op});
  instructions[test].target = static_cast<int>(instructions.size());
  Emit(node->GetChild(comparands + 1));
  instructions[jump].target = static_cast<int>(instructions.size());
}
