// What one walk over a program tree finds out for its compiled forms: the
// most values and pending arguments the tree walk holds at once (so that the
// interpreter can skip per-push capacity checks), whether the instructions
// may run the program at all (not when it holds an operator only the tree
// walk may run, or a node whose arity is not its operator's), and, when every
// node's value has one type in every case, the typed postfix nodes from
// which the case-batch evaluators compute many fitness cases at once.
#pragma once

#include <cstdint>
#include <vector>

#include "programs/OperatorTable.h"

class Head;
struct FlatNode;
struct Operand;

// A node of the typed postfix form: its arguments come right before it.
struct TypedNode {
  OpCode code;
  int arity;
  int type;   // value type of the node's result (1, 2 or 4)
  int index;  // variable index
  int intValue;
  double doubleValue;
};

class ProgramAnalysis {
 public:
  // Whether the instructions may run in place of the tree walk.
  bool IsRunnable() const { return runnable; }
  int GetNodeCount() const { return nodeCount; }
  // Most values the tree walk holds on the stacks at once (all types
  // together), beyond those there before it started.
  int GetValueBound() const { return valueBound; }
  // Most pending arguments the tree walk holds at once, beyond those there
  // before it started.
  int GetPendingBound() const { return pendingBound; }
  // Whether the program contains a conditional.
  bool HasConditional() const { return hasConditional; }

  // Whether every node's value has one type in every case, so that no type
  // report can ever be made, and every node is one the case-batch evaluators
  // compute (no robot is read or driven, no operator's own Operate is
  // called): then the typed nodes describe the program completely.
  bool IsTyped() const { return runnable && typed; }
  // The type of the program's value when IsTyped.
  int GetResultType() const { return resultType; }
  // Whether IsTyped and every node is a bool that the bit-slice evaluator
  // computes (bool variables, the bool operators and if over bools).
  bool IsAllBool() const { return IsTyped() && allBool; }
  const std::vector<TypedNode>& GetNodes() const { return nodes; }
  // Most values the typed nodes hold at once when every argument of a
  // conditional is computed (the case-batch evaluators do so).
  int GetNodeDepth() const { return nodeDepth; }
  // Bit i is set when variable i (0 .. 31) is read as an int or bool, or as
  // a double.
  std::uint32_t GetIntVariablesUsed() const { return intVariablesUsed; }
  std::uint32_t GetDoubleVariablesUsed() const { return doubleVariablesUsed; }

 protected:
  // Analyzes the tree at root, forgetting what was found before. The
  // storage is reused: only a program with more typed nodes than every one
  // before it allocates.
  void Analyze(Head* root);
  void Analyze(const FlatNode* root);

 private:
  template <class Node>
  void AnalyzeRoot(Node* root);
  // Finds the bounds, runnability and types of node's subtree and makes its
  // typed nodes; base is the number of values and pending the number of
  // pending arguments the tree walk holds when it reaches the node. Returns
  // the node's static type, 0 when it has none.
  template <class Node>
  int Analyze(Node* node, int base, int pending);
  template <class Node>
  int AnalyzeConditional(Node* node, OpCode code, int base, int pending);
  void AddNode(OpCode code, int arity, int type, const Operand* operand = nullptr);

  std::vector<TypedNode> nodes;
  int nodeCount = 0;
  int valueBound = 0;
  int pendingBound = 0;
  int resultType = 0;
  int nodeDepth = 0;
  bool runnable = false;
  bool typed = false;
  bool allBool = false;
  bool hasConditional = false;
  std::uint32_t intVariablesUsed = 0;
  std::uint32_t doubleVariablesUsed = 0;
};
