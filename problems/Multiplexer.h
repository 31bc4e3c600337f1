// The multiplexer problem: k address bits select one of 2^k data bits; a
// program reads all k + 2^k bits from the interpreter's variables and must
// answer the selected data bit. Every input case is tried; the fitness is the
// number of wrong answers.
#pragma once

#include <istream>
#include <memory>

#include "engine/Problem.h"

class BooleanCases;
class CompiledProgram;
class GPChromosome;
class IntArray;
class LispInterpreter;

class Multiplexer : public Problem {
 public:
  // Reads the mode word ("bool") and the number of address bits.
  explicit Multiplexer(std::istream& in);
  ~Multiplexer() override;
  // Every case is evaluated; programs whose nodes all have one type are
  // evaluated for many cases at once (64 per machine word when every node is
  // a bool), with the same count of errors as case by case.
  void FitnessFunction(Individual* individual) override;
  Problem* Clone() override;

  // The data bit that the address bits of the case select.
  int MultiplexerOf(const IntArray& bits) const;
  int GetAddressBits() const { return k; }
  int GetInputs() const { return inputs; }
  int GetCases() const { return cases; }
  LispInterpreter* GetInterpreter() { return interpreter.get(); }

 private:
  // The copy made by Clone.
  Multiplexer(const Multiplexer& other);
  int FitnessIntMultiplexer(GPChromosome* chromosome, const IntArray& bits);

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
  int inputs;
  int cases;
  int k;
};
