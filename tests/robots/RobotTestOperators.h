// Operators and builders for the robot-problem tests: robot calls that count
// their runs, a sequence that runs its arguments in order, and program
// individuals made from such trees.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "programs/Head.h"
#include "programs/HeadLispCode.h"
#include "programs/LispInterpreter.h"
#include "programs/Operator.h"
#include "programs/Robot.h"

// Calls one operation of the interpreter's robot, counts its runs and
// leaves the int 0.
class RobotCall : public Operator {
 public:
  RobotCall(const std::string& name, std::function<void(Robot*)> action)
      : Operator(name, 0, EvaluationKind::Evaluating), action(std::move(action)) {}
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int) override {
    ++runs;
    action(interpreter->GetRobot());
    interpreter->PushInt(0);
  }
  int runs = 0;

 private:
  std::function<void(Robot*)> action;
};

// Its arguments run left to right before it; it drops their values and
// leaves the int 0.
class Sequence : public Operator {
 public:
  explicit Sequence(int arity) : Operator("seq", arity, EvaluationKind::Evaluating) {}
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override {
    for (int i = 0; i < n; ++i) {
      switch (interpreter->PopType()) {
        case ValueType::Int: interpreter->PopInt(); break;
        case ValueType::Double: interpreter->PopDouble(); break;
        default: interpreter->PopBool(); break;
      }
    }
    interpreter->PushInt(0);
  }
};

inline Head* Node(Operator* op, std::initializer_list<Head*> children = {}) {
  Head* node = new Head(op);
  for (Head* child : children) node->AddChild(child);
  return node;
}

// An individual owning the tree at root.
inline std::unique_ptr<DoubleTypeFitnessIndividual> Program(Head* root) {
  return std::make_unique<DoubleTypeFitnessIndividual>(new GPChromosome(new HeadLispCode(root)));
}

// The problem built from the text after its name.
template <class ConcreteProblem>
std::unique_ptr<ConcreteProblem> Read(const std::string& text) {
  std::istringstream in(text);
  return std::make_unique<ConcreteProblem>(in);
}

// The fitness of one evaluation of the individual.
template <class ConcreteProblem>
double FitnessOf(ConcreteProblem& problem, DoubleTypeFitnessIndividual* individual) {
  individual->SetFitness(12345.0);
  problem.FitnessFunction(individual);
  return individual->GetFitness();
}
