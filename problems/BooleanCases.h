// The fitness cases of a boolean problem (parity, multiplexer), evaluated
// many at a time: case c sets input variable i to bit i of c, and a target
// function of the bits gives the right answer. A program whose every node is
// a bool is run on 64 cases per machine word; any other typed program on all
// cases of a node at once. Either way the count of wrong answers is exactly
// the count the case-by-case loop finds; programs that the loop would run
// into a report are left to the loop.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "problems/CaseLanes.h"
#include "programs/BitSliceEvaluator.h"

class CompiledProgram;
class Head;
struct FlatNode;
class IntArray;
class LispInterpreter;

class BooleanCases {
 public:
  // How a program's value becomes an answer.
  enum class Answer {
    Bool,  // the value must be a bool; the answer is the value
    Real,  // the value must be an int or a double; the answer is 1 when it is >= 0.0
  };

  // inputs input bits (the cases number 2^inputs); target gives the right
  // answer (0 or 1) of a case's bits.
  BooleanCases(int inputs, std::function<int(const IntArray&)> target);

  // Counts the cases whose answer differs from the target into errors and
  // returns true, leaving the interpreter's variables as the last case sets
  // them and its stacks empty, as the case-by-case loop does. Returns false,
  // with nothing changed, when the program has to be run case by case.
  bool CountErrors(const CompiledProgram& program, LispInterpreter* interpreter, Answer answer, int& errors);
  // The same for a boolean answer, evaluating the tree (or flat program) at
  // root directly,
  // without compiling it, when every node is a bool and the cases fit 64
  // machine words; false when that does not apply (the program is then to
  // be compiled and given to CountErrors).
  bool CountBoolErrors(Head* root, LispInterpreter* interpreter, int& errors);
  bool CountBoolErrors(const FlatNode* root, LispInterpreter* interpreter, int& errors);

  // Most input bits this evaluation takes: the interpreter's variables.
  static constexpr int kMaxInputs = 20;

 private:
  template <class Node>
  bool CountBoolErrorsOf(Node* root, LispInterpreter* interpreter, int& errors);

  void MakeTargets();
  int CountBitSlices(const CompiledProgram& program, LispInterpreter* interpreter);
  int CountCaseVectors(const CompiledProgram& program, LispInterpreter* interpreter, Answer answer);
  // The wrong answers among the 64 cases of word number word.
  int WrongInWord(long long word, std::uint64_t answers) const;

  int inputs;
  long long cases;
  std::function<int(const IntArray&)> target;
  // Made on first use.
  std::vector<int> targets;
  std::vector<std::uint64_t> targetWords;
  bool targetsAreBits = true;  // every target 0 or 1

  BitSliceEvaluator bitSlices;
  CaseLanes lanes;
  std::vector<std::uint64_t> variableWords;
  std::vector<std::uint64_t> resultWords;
  // The words of every input when all cases fit kMaxWords words.
  std::vector<std::uint64_t> inputWords;
  void LeaveLastCase(LispInterpreter* interpreter, Answer answer) const;
};
