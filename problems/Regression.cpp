#include "problems/Regression.h"

#include <cmath>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "foundation/NumericArrays.h"
#include "problems/ProblemFileReader.h"
#include "programs/LispCode.h"
#include "programs/LispInterpreter.h"

Regression::Regression(std::istream& in)
    : interpreter(std::make_unique<LispInterpreter>()),
      functions(std::make_unique<ObjectiveFunctionRegister>(5)),
      target(nullptr),
      firstReal(0.0),
      secondReal(0.0),
      count(0) {
  ProblemFileReader reader(in, "Regression");
  reader.RequireWord("objective function");
  target = functions->Create(1, in);
  firstReal = reader.ReadDouble("first real");
  secondReal = reader.ReadDouble("second real");
  count = reader.ReadInt("count");
  reader.EndData();
}

Regression::~Regression() = default;

void Regression::FitnessFunction(Individual* individual) {
  DoubleTypeFitnessIndividual* scored = CastIndividual(individual);
  LispCode* code = CastGPChromosome(scored)->GetCode();
  DoubleArray point(1);
  point.Add(0.0);
  double total = 0.0;
  // Repeated addition of 0.1 below 10.05 gives 101 points, 10.0 included.
  for (double x = 0.0; x < 10.05; x += 0.1) {
    interpreter->Clear();
    interpreter->SetDoubleVariable(0, x);
    code->Evaluate(interpreter.get());
    double value = 0.0;
    switch (interpreter->PopType()) {
      case ValueType::Int: value = interpreter->PopInt(); break;
      case ValueType::Double: value = interpreter->PopDouble(); break;
      default: break;
    }
    point.Set(0, x);
    total += std::fabs(value - target->Evaluate(point));
  }
  scored->SetFitness(total);
}
