// Symbolic regression of a function of one variable: a program reads x from
// variable 0 and should return the target objective function's value at x.
// Fitness is the sum of absolute errors at x = 0.0, 0.1, ..., 10.0.
#pragma once

#include <istream>
#include <memory>
#include <vector>

#include "engine/Problem.h"
#include "problems/CaseLanes.h"
#include "problems/EvaluationPaths.h"
#include "problems/ObjectiveFunctionRegister.h"

class LispCode;
class LispInterpreter;

class Regression : public Problem {
 public:
  // Reads, after the name: the target function's name, two reals and an
  // integer. The three numbers are kept but play no part in the fitness.
  explicit Regression(std::istream& in);
  ~Regression() override;

  // Runs the program of a GPChromosome at the 101 sample points. An int
  // result counts as that number; a boolean (or any other) result counts as
  // 0.0 and is left where it is. A program whose nodes all have one type is
  // evaluated at all points at once, with bit-identical values.
  void FitnessFunction(Individual* individual) override;
  // A copy with a target function of its own, made from the same name.
  Problem* Clone() override;
  // The same points, the same target, no solved flag.
  bool CanReuseFitness() override { return true; }
  // The program's value and the target's at every sample point.
  std::unique_ptr<Recording> Record(Individual* individual) override;

  ObjectiveFunction* GetTarget() const { return target; }
  LispInterpreter* GetInterpreter() const { return interpreter.get(); }
  double GetFirstReal() const { return firstReal; }
  double GetSecondReal() const { return secondReal; }
  int GetCount() const { return count; }
  // The number of sample points (101).
  int GetPointCount() {
    MakeSamples();
    return static_cast<int>(samples.size());
  }

 private:
  Regression(const Regression& other);
  // The sample points and the target's values there, made once.
  void MakeSamples();
  // The total error of program over all points at once, or false when it
  // has to be evaluated point by point.
  bool TotalAtOnce(const CompiledProgram& program, double& total);
  // The total error point by point, each point run by run (a TreeRun or a
  // CompiledRun); values, when given, receives the program's value at each.
  template <class Run>
  double TotalPointByPoint(const Run& run, std::vector<double>* values);

  std::unique_ptr<LispInterpreter> interpreter;
  std::unique_ptr<ObjectiveFunctionRegister> functions;
  ObjectiveFunction* target;  // owned by functions
  double firstReal;
  double secondReal;
  int count;
  EvaluationPaths paths;
  CaseLanes lanes;
  std::vector<double> samples;
  std::vector<double> targetValues;
};
