#include "problems/Regression.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "foundation/Exception.h"
#include "foundation/NumericArrays.h"
#include "problems/ProblemFileReader.h"
#include "problems/RegressionPicture.h"
#include "programs/LispCode.h"
#include "programs/LispInterpreter.h"
#include "programs/Operator.h"

Regression::Regression(std::istream& in)
    : interpreter(std::make_unique<LispInterpreter>()),
      functions(std::make_unique<ObjectiveFunctionRegister>(5)),
      target(nullptr),
      firstReal(0.0),
      secondReal(0.0),
      count(0) {
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
      count(other.count) {
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
  double total = 0.0;
  paths.Evaluate(
      code, GetPaths(), NoAllCases{},
      [&](const CompiledProgram& program) { return TotalAtOnce(program, total); },
      [&](const auto& run) { total = TotalPointByPoint(run, nullptr); });
  scored->SetFitness(total);
}

std::unique_ptr<Recording> Regression::Record(Individual* individual) {
  DoubleTypeFitnessIndividual* scored = CastIndividual(individual);
  LispCode* code = CastGPChromosome(scored)->GetCode();
  MakeSamples();
  std::vector<double> values;
  paths.Evaluate(code, GetPaths(), [&](const auto& run) { TotalPointByPoint(run, &values); });
  // Evaluated in full last, so that the problem is left as every evaluation
  // leaves it.
  FitnessFunction(individual);
  return std::make_unique<RegressionRecording>(functions->KeyAt(0), samples, targetValues, values,
                                               scored->GetFitness());
}

template <class Run>
double Regression::TotalPointByPoint(const Run& run, std::vector<double>* values) {
  double total = 0.0;
  for (std::size_t c = 0; c < samples.size(); ++c) {
    interpreter->Clear();
    interpreter->SetDoubleVariable(0, samples[c]);
    run(interpreter.get());
    double value = 0.0;
    switch (interpreter->PopType()) {
      case ValueType::Int: value = interpreter->PopInt(); break;
      case ValueType::Double: value = interpreter->PopDouble(); break;
      default: break;
    }
    if (values != nullptr) values->push_back(value);
    total += std::fabs(value - targetValues[c]);
  }
  return total;
}

bool Regression::TotalAtOnce(const CompiledProgram& program, double& total) {
  if (!program.IsTyped()) return false;
  // Each point starts from empty stacks: the program must fit them.
  if (program.GetValueBound() > LispInterpreter::ValueCapacity ||
      program.GetPendingBound() > LispInterpreter::PendingCapacity) {
    return false;
  }
  int type = program.GetResultType();
  int points = static_cast<int>(samples.size());
  total = 0.0;
  int lastBool = 0;
  for (int start = 0; start < points; start += CaseLanes::kMaxLanes) {
    int count = points - start < CaseLanes::kMaxLanes ? points - start : CaseLanes::kMaxLanes;
    // Variable 0 is x; every other variable keeps its value at all points.
    auto x = [&](int, double*) -> const double* { return samples.data() + start; };
    lanes.Evaluate(program, *interpreter, count, 0u, 1u, NoInputs{}, x);
    for (int c = 0; c < count; ++c) {
      double value = 0.0;
      if (type == ValueType::Int) value = lanes.IntResult()[c];
      if (type == ValueType::Double) value = lanes.DoubleResult()[c];
      total += std::fabs(value - targetValues[static_cast<std::size_t>(start + c)]);
    }
    if (type == ValueType::Bool) lastBool = lanes.IntResult()[count - 1];
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
