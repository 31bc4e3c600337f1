#include "problems/Regression.h"

#include <cmath>
#include <sstream>

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
  target = functions->Create(1, in);
  ProblemFileReader reader(in, "Regression");
  firstReal = reader.ReadDouble("first real");
  secondReal = reader.ReadDouble("second real");
  count = reader.ReadInt("count");
}

Regression::Regression(const Regression& other)
    : Problem(),
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
