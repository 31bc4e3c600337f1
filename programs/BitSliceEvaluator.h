// Evaluates a program whose every node is a bool (bool variables, the bool
// operators and if over bools) for 64 fitness cases per machine word: bit b
// of word w is case 64 w + b. Since such a program can neither fail nor act
// on anything, evaluating both branches of every if and choosing per bit
// gives exactly the per-case values, as long as every variable holds 0 or 1.
// It runs the typed nodes of a compiled program, or a tree straight away
// without compiling it; either way every node is computed by the same
// kernels.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "programs/OperatorTable.h"

class CompiledProgram;
class Head;
struct FlatNode;

class BitSliceEvaluator {
 public:
  // Words evaluated in one call at most.
  static constexpr int kMaxWords = 64;

  // Whether Evaluate accepts program (IsAllBool).
  static bool Accepts(const CompiledProgram& program);

  // Evaluates program over words words (1 .. kMaxWords). variables[i] points
  // to the words of bool variable i for every variable the program reads
  // (GetIntVariablesUsed). The value's words go to result; bits of cases
  // beyond those wanted are unspecified.
  void Evaluate(const CompiledProgram& program, const std::uint64_t* const* variables, int words,
                std::uint64_t* result);

  // The same for the tree at root, when every node is a bool node of the
  // bit-slice evaluation and the tree walk's stacks could hold the program
  // (at most valueCapacity values and pendingCapacity pending arguments at
  // once); variables[i] is null for a variable that may not be read here.
  // Returns false when the tree is not such a program; result then means
  // nothing.
  // Root is a tree's (Head) or a flat program's (const FlatNode).
  template <class Node>
  bool EvaluateTree(Node* root, const std::uint64_t* const* variables, int words, std::uint64_t* result,
                    int valueCapacity, int pendingCapacity);

  // The same for a flat program, in one pass from its last node to its
  // first, each node's value in the buffer of the stack position it takes.
  bool EvaluateFlat(const FlatNode* root, const std::uint64_t* const* variables, int words, std::uint64_t* result,
                    int valueCapacity, int pendingCapacity);

 private:
  // The words of the value of the subtree at node: a variable's own words or
  // the buffer of slot (each argument of a node gets the slot after the one
  // before it); null when the subtree is not a bool program. base and pending
  // are the values and pending arguments the tree walk holds when it reaches
  // the node.
  template <class Node>
  const std::uint64_t* TreeWords(Node* node, std::size_t slot, int base, int pending);
  std::uint64_t* SlotWords(std::size_t slot);

  // Evaluate's state: one buffer of words words per stack position.
  std::vector<std::uint64_t> slots;
  std::vector<const std::uint64_t*> stack;

  // EvaluateTree's state: words per value, the variables, the bounds found
  // so far, the slots (each at a fixed address).
  int treeWords = 0;
  const std::uint64_t* const* treeVariables = nullptr;
  int valueBound = 0;
  int pendingBound = 0;
  std::vector<std::unique_ptr<std::array<std::uint64_t, kMaxWords>>> treeSlots;

  // EvaluateFlat for one word of cases, the values held on the stack itself.
  bool EvaluateFlatWord(const FlatNode* root, const std::uint64_t* const* variables, std::uint64_t* result,
                        int valueCapacity, int pendingCapacity);
  // EvaluateFlat's state: the values on the stack, and their buffers (or,
  // for one word, the values).
  std::vector<std::uint64_t> flatWords;
  std::vector<const std::uint64_t*> flatStack;
  std::vector<std::uint64_t> flatSlots;
};
