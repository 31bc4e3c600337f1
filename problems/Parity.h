// The even-parity problem: a program reads n input bits from the interpreter's
// variables and must answer 1 exactly when the number of ones is even. Every
// input case is tried; the fitness is the number of wrong answers.
#pragma once

#include <istream>
#include <memory>

#include "engine/Problem.h"
#include "problems/EvaluationPaths.h"

class BooleanCases;
class IntArray;
class LispInterpreter;

class Parity : public Problem {
 public:
  // The modes the mode word selects.
  static constexpr int kDoubleMode = 2;  // "double": a real result, read as 1 when >= 0.0
  static constexpr int kBoolMode = 3;    // "bool": a boolean result

  // Reads the mode word ("double" or "bool") and the number of input bits.
  explicit Parity(std::istream& in);
  ~Parity() override;
  // Every case is evaluated; programs whose nodes all have one type are
  // evaluated for many cases at once (64 per machine word when every node is
  // a bool), with the same count of errors as case by case.
  void FitnessFunction(Individual* individual) override;
  Problem* Clone() override;
  // The program's answer in every case (up to TruthTableRecording's limit)
  // against the right one.
  std::unique_ptr<Recording> Record(Individual* individual) override;

  // 1 when the number of ones in the case is even, else 0.
  static int ParityOf(const IntArray& bits);
  int GetMode() const { return mode; }
  int GetInputs() const { return n; }
  int GetCases() const { return cases; }
  LispInterpreter* GetInterpreter() { return interpreter.get(); }

 private:
  // The copy made by Clone.
  Parity(const Parity& other);
  // The program's answer in the case bits, run by run (a TreeRun or a
  // CompiledRun): its real result read as 1 when >= 0.0.
  template <class Run>
  int FitnessDoubleParity(const Run& run, const IntArray& bits);
  // The same with the boolean result.
  template <class Run>
  int FitnessIntParity(const Run& run, const IntArray& bits);
  // Cases 0 .. count - 1 one by one: each (answer, right answer).
  template <class Run, class Each>
  void ForEachCase(const Run& run, int count, Each&& each);

  std::unique_ptr<LispInterpreter> interpreter;
  EvaluationPaths paths;
  // All cases at once, for programs that allow it.
  std::unique_ptr<BooleanCases> allCases;
  int mode;
  int n;
  int cases;
};
