// The even-parity problem: a program reads n input bits from the interpreter's
// variables and must answer 1 exactly when the number of ones is even. Every
// input case is tried; the fitness is the number of wrong answers.
#pragma once

#include <istream>
#include <memory>

#include "engine/Problem.h"

class BooleanCases;
class CompiledProgram;
class GPChromosome;
class IntArray;
class LispInterpreter;

class Parity : public Problem {
 public:
  // Reads the mode word ("double" or "bool") and the number of input bits.
  explicit Parity(std::istream& in);
  ~Parity() override;
  // Every case is evaluated; programs whose nodes all have one type are
  // evaluated for many cases at once (64 per machine word when every node is
  // a bool), with the same count of errors as case by case.
  void FitnessFunction(Individual* individual) override;
  Problem* Clone() override;

  // 1 when the number of ones in the case is even, else 0.
  static int ParityOf(const IntArray& bits);
  int GetMode() const { return mode; }
  int GetInputs() const { return n; }
  int GetCases() const { return cases; }
  LispInterpreter* GetInterpreter() { return interpreter.get(); }

 private:
  // The copy made by Clone.
  Parity(const Parity& other);
  // The program's answer: its real result read as 1 when >= 0.0.
  int FitnessDoubleParity(GPChromosome* chromosome, const IntArray& bits);
  // The program's answer: its boolean result.
  int FitnessIntParity(GPChromosome* chromosome, const IntArray& bits);

  // Runs the program of one case: compiled when the chromosome's code could
  // be compiled, else through the code itself.
  void EvaluateCase(GPChromosome* chromosome);

  std::unique_ptr<LispInterpreter> interpreter;
  // The program being evaluated in compiled form, and whether it has one.
  std::unique_ptr<CompiledProgram> program;
  bool compiled = false;
  // All cases at once, for programs that allow it.
  std::unique_ptr<BooleanCases> allCases;
  int mode;
  int n;
  int cases;
};
