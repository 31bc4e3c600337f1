// The multiplexer problem: k address bits select one of 2^k data bits; a
// program reads all k + 2^k bits from the interpreter's variables and must
// answer the selected data bit. Every input case is tried; the fitness is the
// number of wrong answers.
#pragma once

#include <istream>
#include <memory>

#include "engine/Problem.h"
#include "problems/EvaluationPaths.h"

class BooleanCases;
class IntArray;
class LispInterpreter;

class Multiplexer : public Problem {
 public:
  // The one mode, "bool": a boolean result.
  static constexpr int kBoolMode = 4;

  // Reads the mode word ("bool") and the number of address bits.
  explicit Multiplexer(std::istream& in);
  ~Multiplexer() override;
  // Every case is evaluated; programs whose nodes all have one type are
  // evaluated for many cases at once (64 per machine word when every node is
  // a bool), with the same count of errors as case by case.
  void FitnessFunction(Individual* individual) override;
  Problem* Clone() override;
  // The program's answer in every case (up to TruthTableRecording's limit)
  // against the right one.
  std::unique_ptr<Recording> Record(Individual* individual) override;

  // The data bit that the address bits of the case select.
  int MultiplexerOf(const IntArray& bits) const;
  int GetAddressBits() const { return k; }
  int GetInputs() const { return inputs; }
  int GetCases() const { return cases; }
  LispInterpreter* GetInterpreter() { return interpreter.get(); }

 private:
  // The copy made by Clone.
  Multiplexer(const Multiplexer& other);
  // The program's answer in the case bits, run by run (a TreeRun or a
  // CompiledRun): its boolean result.
  template <class Run>
  int FitnessIntMultiplexer(const Run& run, const IntArray& bits);
  // Cases 0 .. count - 1 one by one: each (answer, right answer).
  template <class Run, class Each>
  void ForEachCase(const Run& run, int count, Each&& each);

  std::unique_ptr<LispInterpreter> interpreter;
  EvaluationPaths paths;
  // All cases at once, for programs that allow it.
  std::unique_ptr<BooleanCases> allCases;
  int mode;
  int inputs;
  int cases;
  int k;
};
