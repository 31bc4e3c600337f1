// A problem for engine tests whose fitness is the fake program's value, and a
// problem register that knows it under the name "Test".
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/FakeLispCode.h"
#include "engine/Problem.h"
#include "problems/ProblemFileReader.h"
#include "run/ProblemRegister.h"

// Problem file: "Test" and the fitness at or below which an individual
// solves the problem.
class TestProblem : public Problem {
 public:
  explicit TestProblem(std::istream& in) {
    ProblemFileReader reader(in, "TestProblem");
    solvedAt = reader.ReadDouble("solved fitness");
  }
  void FitnessFunction(Individual* individual) override {
    DoubleTypeFitnessIndividual* scored = CastIndividual(individual);
    auto* code = dynamic_cast<FakeLispCode*>(CastGPChromosome(scored)->GetCode());
    scored->SetFitness(code->Value());
    evaluated.push_back(code->ToString());
    if (code->Value() <= solvedAt) SetSolved();
    onEvaluate(code->ToString());
  }
  double solvedAt = 0.0;
  std::vector<std::string> evaluated;  // program texts in evaluation order
  // Called after each evaluation with the program's text.
  std::function<void(const std::string&)> onEvaluate = [](const std::string&) {};
};

class TestProblemRegister : public ProblemRegister {
 public:
  TestProblemRegister() : ProblemRegister(20) {}

 protected:
  Problem* Build(const std::string& name, std::istream& in) override {
    if (name == "Test") return new TestProblem(in);
    return ProblemRegister::Build(name, in);
  }
};
