#include "problems/ObjectiveFunctionRegister.h"

ObjectiveFunction* ObjectiveFunctionRegister::Create(int dimension, std::istream& in) {
  std::string name;
  in >> name;
  ObjectiveFunction* function = nullptr;
  if (name == "Rosenbrock") {
    function = new Rosenbrock(dimension);
  } else if (name == "Rastrigin") {
    function = new Rastrigin(dimension);
  } else if (name == "Ackley") {
    function = new Ackley(dimension);
  } else if (name == "x^3Cos[x]Sin[x]E^-x(Sin[x]^2Cos[x]-1)") {
    function = new F1(dimension);
  } else if (name == "(2-0.3x)Sin[2x]Cos[3x]+0.01x^2") {
    function = new F2(dimension);
  } else {
    GetException()->FatalError("Objective function can not be created : " + name, "ObjectiveFunctionRegister",
                               "Create");
  }
  Push(name, function);
  return function;
}
