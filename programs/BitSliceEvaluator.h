// Evaluates a program whose every node is a bool (bool variables, the bool
// operators and if over bools) for 64 fitness cases per machine word: bit b
// of word w is case 64 w + b. Since such a program can neither fail nor act
// on anything, evaluating both branches of every if and choosing per bit
// gives exactly the per-case values, as long as every variable holds 0 or 1.
#pragma once

#include <cstdint>
#include <vector>

class CompiledProgram;

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

 private:
  std::vector<std::uint64_t> slots;  // one buffer of kMaxWords per stack position
  std::vector<const std::uint64_t*> stack;
};
