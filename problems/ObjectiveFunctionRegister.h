// Makes objective functions by name: Create reads the name from a stream and
// builds the matching function with the given dimension. Keeps every function
// it made.
#pragma once

#include <istream>
#include <string>

#include "config/Register.h"
#include "problems/ObjectiveFunction.h"

class ObjectiveFunctionRegister : public Register<std::string, ObjectiveFunction> {
 public:
  explicit ObjectiveFunctionRegister(int capacity) : Register<std::string, ObjectiveFunction>(capacity) {}

  using Register<std::string, ObjectiveFunction>::Create;
  // Reads one word and builds the function of that name with the dimension,
  // keeps it under the name and returns it. Names, compared whole:
  // "Rosenbrock", "Rastrigin", "Ackley", F1's formula
  // "x^3Cos[x]Sin[x]E^-x(Sin[x]^2Cos[x]-1)" and F2's formula
  // "(2-0.3x)Sin[2x]Cos[3x]+0.01x^2". Any other word ends the process:
  // "Objective function can not be created : " + word.
  virtual ObjectiveFunction* Create(int dimension, std::istream& in);
};
