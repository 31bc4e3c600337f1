// Evaluates a typed program (every node's value of one type in every case,
// no robot, no operator's own Operate) for many fitness cases at once, node
// by node: each node computes its value for all cases before the next node
// runs. Every case gets exactly the value the interpreter gives it: the same
// function kernels on the same operands in the same order, ints widened to
// doubles where an operator widens them, wrapping int arithmetic, and the
// conditionals choosing per case between branches that were both computed
// (which a typed program can do without any effect or report).
//
// Two shortcuts keep the values exact: a node whose arguments hold one value
// in every case (constants, variables the caller marks uniform, and what is
// computed from them) is computed once and copied to every case; and the
// values of whole subtrees computed lately for the same cases, in this
// program or in earlier ones, are copied rather than computed again
// (SubtreeValues).
#pragma once

#include <cstdint>
#include <vector>

#include "programs/SubtreeValues.h"

class CompiledProgram;

class CaseVectorEvaluator {
 public:
  // Cases computed in one call at most.
  static constexpr int kMaxLanes = 256;

  // Whether Evaluate accepts program (IsTyped).
  static bool Accepts(const CompiledProgram& program);

  // Evaluates program for lanes cases (1 .. kMaxLanes). intLanes[i] and
  // doubleLanes[i] point to the values, case by case, of int variable i
  // (read as an int or a bool) and of double variable i, for every variable
  // the program reads (GetIntVariablesUsed, GetDoubleVariablesUsed). The
  // values come out of IntResult (program's result type int or bool) or
  // DoubleResult (double).
  // Bit i of uniformInts (uniformDoubles) says that int (double) variable
  // i holds one value in every case.
  void Evaluate(const CompiledProgram& program, int lanes, const int* const* intLanes,
                const double* const* doubleLanes, std::uint32_t uniformInts = 0, std::uint32_t uniformDoubles = 0);
  const int* IntResult() const { return intResult; }
  const double* DoubleResult() const { return doubleResult; }

 private:
  struct Slot {
    int type;
    const int* ints;
    const double* doubles;
    bool uniform;  // the same value in every case
  };
  // Finds the shape of every node's subtree and marks the largest subtrees
  // whose values are kept (cutTo); returns whether any is.
  bool FindKnownSubtrees(const CompiledProgram& program);
  // Whether the values of a subtree of so much work are worth keeping.
  static bool WorthKeeping(int work) { return work >= kWorthKeeping; }
  static constexpr int kWorthKeeping = 4;
  // The double values of a numeric slot, widened into the position's own
  // double buffer when they are ints.
  const double* Widened(const Slot& slot, std::size_t position, int lanes);
  int* IntBuffer(std::size_t position) { return intSlots.data() + position * kMaxLanes; }
  double* DoubleBuffer(std::size_t position) { return doubleSlots.data() + position * kMaxLanes; }

  std::vector<int> intSlots;
  std::vector<double> doubleSlots;
  std::vector<Slot> stack;
  SubtreeValues subtrees;
  // By node: the shape, the size and the work of its subtree, and for the
  // first node of a subtree whose values are kept, the subtree's root (-1
  // for others).
  std::vector<SubtreeValues::Shape> shapes;
  std::vector<int> sizes;
  std::vector<int> works;
  std::vector<int> cutTo;
  std::vector<int> rootStack;
  const int* intResult = nullptr;
  const double* doubleResult = nullptr;
};
