// Evaluates a typed program (every node's value of one type in every case,
// no robot, no operator's own Operate) for many fitness cases at once, node
// by node: each node computes its value for all cases before the next node
// runs. Every case gets exactly the value the interpreter gives it: the same
// function kernels on the same operands in the same order, ints widened to
// doubles where an operator widens them, wrapping int arithmetic, and the
// conditionals choosing per case between branches that were both computed
// (which a typed program can do without any effect or report).
#pragma once

#include <vector>

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
  void Evaluate(const CompiledProgram& program, int lanes, const int* const* intLanes,
                const double* const* doubleLanes);
  const int* IntResult() const { return intResult; }
  const double* DoubleResult() const { return doubleResult; }

 private:
  struct Slot {
    int type;
    const int* ints;
    const double* doubles;
  };
  // The double values of a numeric slot, widened into the position's own
  // double buffer when they are ints.
  const double* Widened(const Slot& slot, std::size_t position, int lanes);
  int* IntBuffer(std::size_t position) { return intSlots.data() + position * kMaxLanes; }
  double* DoubleBuffer(std::size_t position) { return doubleSlots.data() + position * kMaxLanes; }

  std::vector<int> intSlots;
  std::vector<double> doubleSlots;
  std::vector<Slot> stack;
  std::vector<double> accumulator;
  const int* intResult = nullptr;
  const double* doubleResult = nullptr;
};
