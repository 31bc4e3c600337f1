#include "problems/Regression.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "foundation/Exception.h"
#include "foundation/NumericArrays.h"
#include "problems/ProblemFileReader.h"
#include "programs/CaseVectorEvaluator.h"
#include "programs/CompiledProgram.h"
#include "programs/LispCode.h"
#include "programs/LispInterpreter.h"

Regression::Regression(std::istream& in)
    : interpreter(std::make_unique<LispInterpreter>()),
      functions(std::make_unique<ObjectiveFunctionRegister>(5)),
      target(nullptr),
      firstReal(0.0),
      secondReal(0.0),
      count(0),
      program(std::make_unique<CompiledProgram>()),
      caseVectors(std::make_unique<CaseVectorEvaluator>()) {
  ProblemFileReader reader(in, "Regression");
  target = functions->Create(1, in);
  firstReal = reader.ReadDouble("first real");
  secondReal = reader.ReadDouble("second real");
  count = reader.ReadInt("count");
  // The sample grid is fixed; a file that asks for another is told so.
  if (firstReal != 0.0 || secondReal != 10.0 || count != 101) {
    char fields[160];
    std::snprintf(fields, sizeof fields, "%g to %g with %d points", firstReal, secondReal, count);
    GetException()->Warning(std::string("The problem file asks for ") + fields +
                                "; regression always samples x = 0, 0.1, ..., 10 (101 points)",
                            "Regression", "Regression");
  }
}

Regression::Regression(const Regression& other)
    : Problem(other),
      interpreter(std::make_unique<LispInterpreter>()),
      functions(std::make_unique<ObjectiveFunctionRegister>(5)),
      target(nullptr),
      firstReal(other.firstReal),
      secondReal(other.secondReal),
      count(other.count),
      program(std::make_unique<CompiledProgram>()),
      caseVectors(std::make_unique<CaseVectorEvaluator>()) {
  // The target is kept under the name it was made from.
  std::istringstream name(other.functions->KeyAt(0));
  target = functions->Create(1, name);
  interpreter->CopyVariables(*other.interpreter);
}

Regression::~Regression() = default;

Problem* Regression::Clone() { return new Regression(*this); }

void Regression::MakeSamples() {
  if (!samples.empty()) return;
  DoubleArray point(1);
  point.Add(0.0);
  // Repeated addition of 0.1 below 10.05 gives 101 points, 10.0 included.
  for (double x = 0.0; x < 10.05; x += 0.1) {
    point.Set(0, x);
    samples.push_back(x);
    targetValues.push_back(target->Evaluate(point));
  }
}

void Regression::FitnessFunction(Individual* individual) {
  DoubleTypeFitnessIndividual* scored = CastIndividual(individual);
  LispCode* code = CastGPChromosome(scored)->GetCode();
  MakeSamples();
  bool compiled = GetPaths() != Paths::Tree && program->CompileCode(code);
  double total = 0.0;
  if (!compiled || GetPaths() != Paths::All || !TotalAtOnce(total)) total = TotalPointByPoint(code, compiled);
  scored->SetFitness(total);
}

double Regression::TotalPointByPoint(LispCode* code, bool compiled) {
  double total = 0.0;
  for (std::size_t c = 0; c < samples.size(); ++c) {
    interpreter->Clear();
    interpreter->SetDoubleVariable(0, samples[c]);
    if (compiled) {
      interpreter->EvaluateCompiled(*program);
    } else {
      code->Evaluate(interpreter.get());
    }
    double value = 0.0;
    switch (interpreter->PopType()) {
      case ValueType::Int: value = interpreter->PopInt(); break;
      case ValueType::Double: value = interpreter->PopDouble(); break;
      default: break;
    }
    total += std::fabs(value - targetValues[c]);
  }
  return total;
}

bool Regression::TotalAtOnce(double& total) {
  if (!program->IsTyped()) return false;
  // Each point starts from empty stacks: the program must fit them.
  if (program->GetValueBound() > LispInterpreter::ValueCapacity ||
      program->GetPendingBound() > LispInterpreter::PendingCapacity) {
    return false;
  }
  constexpr int kLanes = CaseVectorEvaluator::kMaxLanes;
  constexpr int kVariables = LispInterpreter::VariableCount;
  constantLanes.resize(static_cast<std::size_t>(kVariables) * kLanes);
  intLanes.resize(static_cast<std::size_t>(kVariables) * kLanes);
  const double* doubles[kVariables] = {};
  const int* ints[kVariables] = {};
  int type = program->GetResultType();
  int points = static_cast<int>(samples.size());
  total = 0.0;
  int lastBool = 0;
  for (int start = 0; start < points; start += kLanes) {
    int lanes = points - start < kLanes ? points - start : kLanes;
    // Variable 0 is x; every other variable keeps its value at all points.
    for (int i = 0; i < kVariables; ++i) {
      if ((program->GetDoubleVariablesUsed() >> i & 1u) != 0) {
        if (i == 0) {
          doubles[i] = samples.data() + start;
        } else {
          double* lane = constantLanes.data() + static_cast<std::size_t>(i) * kLanes;
          for (int c = 0; c < lanes; ++c) lane[c] = interpreter->GetDoubleVariable(i);
          doubles[i] = lane;
        }
      }
      if ((program->GetIntVariablesUsed() >> i & 1u) != 0) {
        int* lane = intLanes.data() + static_cast<std::size_t>(i) * kLanes;
        for (int c = 0; c < lanes; ++c) lane[c] = interpreter->GetIntVariable(i);
        ints[i] = lane;
      }
    }
    // Every variable but x holds one value at all points.
    caseVectors->Evaluate(*program, lanes, ints, doubles, ~0u, ~1u);
    for (int c = 0; c < lanes; ++c) {
      double value = 0.0;
      if (type == ValueType::Int) value = caseVectors->IntResult()[c];
      if (type == ValueType::Double) value = caseVectors->DoubleResult()[c];
      total += std::fabs(value - targetValues[static_cast<std::size_t>(start + c)]);
    }
    if (type == ValueType::Bool) lastBool = caseVectors->IntResult()[lanes - 1];
  }
  // What the point-by-point loop leaves behind: x at the last point, and a
  // boolean result of the last point left on its stack.
  interpreter->SetDoubleVariable(0, samples.back());
  interpreter->Clear();
  if (type == ValueType::Bool) {
    interpreter->PushBool(lastBool);
    interpreter->PopType();
  }
  return true;
}
