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
// computed from them) is computed once and copied to every case; and the real
// functions of one argument remember the values they computed for recent
// arguments, reused when an argument's values are bit for bit the same (the
// same subtree in many places of a program, or of many programs).
#pragma once

#include <cstdint>
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
  // The values of a real function of one argument for one argument's values.
  struct Remembered {
    int code = -1;
    int lanes = 0;
    std::uint64_t hash = 0;
    std::vector<double> input;
    std::vector<double> output;
  };
  static constexpr std::size_t kRemembered = 512;
  static std::uint64_t HashOf(int code, const double* input, int lanes);
  // The remembered values of code for input, or null.
  const double* Recall(int code, const double* input, int lanes, std::uint64_t hash) const;
  void Remember(int code, const double* input, int lanes, std::uint64_t hash, const double* output);
  // The double values of a numeric slot, widened into the position's own
  // double buffer when they are ints.
  const double* Widened(const Slot& slot, std::size_t position, int lanes);
  int* IntBuffer(std::size_t position) { return intSlots.data() + position * kMaxLanes; }
  double* DoubleBuffer(std::size_t position) { return doubleSlots.data() + position * kMaxLanes; }

  std::vector<int> intSlots;
  std::vector<double> doubleSlots;
  std::vector<Slot> stack;
  std::vector<Remembered> remembered;  // by hash, one per slot
  const int* intResult = nullptr;
  const double* doubleResult = nullptr;
};
