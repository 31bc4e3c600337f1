// A batch of fitness cases for the case-vector evaluator: the lanes of the
// variables a program reads, one value per case. Input variables vary from
// case to case and are filled by the problem; every other variable holds the
// interpreter's value in every lane, as it does in every case of the
// case-by-case loop.
#pragma once

#include <cstdint>
#include <vector>

#include "programs/CaseVectorEvaluator.h"
#include "programs/CompiledProgram.h"
#include "programs/LispInterpreter.h"

class CaseLanes {
 public:
  // Cases of one batch at most.
  static constexpr int kMaxLanes = CaseVectorEvaluator::kMaxLanes;

  // Evaluates program (IsTyped) for count cases, 1 .. kMaxLanes. Bit i of
  // intInputs (doubleInputs) marks int (double) variable i as an input:
  // fillInt (i, lane) and fillDouble (i, lane) give its count values, written
  // into lane and returning it, or returning values of their own.
  template <class FillInt, class FillDouble>
  void Evaluate(const CompiledProgram& program, const LispInterpreter& interpreter, int count,
                std::uint32_t intInputs, std::uint32_t doubleInputs, FillInt&& fillInt,
                FillDouble&& fillDouble) {
    constexpr int kVariables = LispInterpreter::VariableCount;
    intLanes.resize(static_cast<std::size_t>(kVariables) * kMaxLanes);
    doubleLanes.resize(static_cast<std::size_t>(kVariables) * kMaxLanes);
    const int* ints[kVariables] = {};
    const double* doubles[kVariables] = {};
    std::uint32_t usedInts = program.GetIntVariablesUsed();
    std::uint32_t usedDoubles = program.GetDoubleVariablesUsed();
    for (int i = 0; i < kVariables; ++i) {
      if ((usedInts >> i & 1u) != 0) {
        int* lane = intLanes.data() + static_cast<std::size_t>(i) * kMaxLanes;
        if ((intInputs >> i & 1u) != 0) {
          ints[i] = fillInt(i, lane);
        } else {
          int value = interpreter.GetIntVariable(i);
          for (int c = 0; c < count; ++c) lane[c] = value;
          ints[i] = lane;
        }
      }
      if ((usedDoubles >> i & 1u) != 0) {
        double* lane = doubleLanes.data() + static_cast<std::size_t>(i) * kMaxLanes;
        if ((doubleInputs >> i & 1u) != 0) {
          doubles[i] = fillDouble(i, lane);
        } else {
          double value = interpreter.GetDoubleVariable(i);
          for (int c = 0; c < count; ++c) lane[c] = value;
          doubles[i] = lane;
        }
      }
    }
    evaluator.Evaluate(program, count, ints, doubles, ~intInputs, ~doubleInputs);
  }

  // The batch's results: for an int or bool program IntResult, for a double
  // program DoubleResult, count values each.
  const int* IntResult() const { return evaluator.IntResult(); }
  const double* DoubleResult() const { return evaluator.DoubleResult(); }

 private:
  CaseVectorEvaluator evaluator;
  std::vector<int> intLanes;
  std::vector<double> doubleLanes;
};

// For a batch without inputs of one kind.
struct NoInputs {
  template <class Lane>
  Lane* operator()(int, Lane* lane) const {
    return lane;
  }
};
