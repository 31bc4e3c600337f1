// The even-parity problem: a program reads n input bits from the interpreter's
// variables and must answer 1 exactly when the number of ones is even. Every
// input case is tried; the fitness is the number of wrong answers.
#pragma once

#include <istream>
#include <memory>

#include "problems/Problem.h"

class IntArray;
class LispInterpreter;

class Parity : public Problem {
 public:
  // Reads the mode word ("double" or "bool") and the number of input bits.
  explicit Parity(std::istream& in);
  ~Parity() override;
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

  std::unique_ptr<LispInterpreter> interpreter;
  int mode;
  int n;
  int cases;
};
