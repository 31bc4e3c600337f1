// Real functions of n variables to be minimised: the standard test functions
// Rosenbrock, Rastrigin and Ackley, and two functions of one variable, F1 and
// F2, which also serve as regression targets.
#pragma once

#include <limits>

class DoubleArray;

class ObjectiveFunction {
 public:
  explicit ObjectiveFunction(int dimension) : dimension(dimension) {}
  ObjectiveFunction(const ObjectiveFunction&) = delete;
  ObjectiveFunction& operator=(const ObjectiveFunction&) = delete;
  virtual ~ObjectiveFunction() = default;

  // The value at x[0] .. x[dimension - 1]; a shorter x is an index report.
  virtual double Evaluate(const DoubleArray& x) = 0;
  // The value every variable takes at the function's lowest point; NaN when
  // it has none in closed form.
  virtual double OptimumCoordinate() const { return std::numeric_limits<double>::quiet_NaN(); }
  int GetDimension() const { return dimension; }

 protected:
  int dimension;
};

// Sum over i < n - 1 of (1 - x_i)^2 + 100 (x_i^2 - x_{i+1})^2; 0 for n = 1.
class Rosenbrock : public ObjectiveFunction {
 public:
  explicit Rosenbrock(int dimension) : ObjectiveFunction(dimension) {}
  double Evaluate(const DoubleArray& x) override;
  double OptimumCoordinate() const override { return 1.0; }
};

// 10 n + sum of x_i^2 - 10 cos(6.283 x_i); 0 at the origin.
class Rastrigin : public ObjectiveFunction {
 public:
  explicit Rastrigin(int dimension) : ObjectiveFunction(dimension) {}
  double Evaluate(const DoubleArray& x) override;
  double OptimumCoordinate() const override { return 0.0; }
};

// 22.7182 - 20 exp(-2.0 sqrt(sum x_i^2 / n)) - exp(sum cos(6.283 x_i) / n),
// with these constants as they stand (about -0.0000818 at the origin).
class Ackley : public ObjectiveFunction {
 public:
  explicit Ackley(int dimension) : ObjectiveFunction(dimension) {}
  double Evaluate(const DoubleArray& x) override;
  double OptimumCoordinate() const override { return 0.0; }
};

// x^3 cos(x) sin(x) 2.7^-x (sin(x) sin(x) cos(x) - 1) of x = x_0.
class F1 : public ObjectiveFunction {
 public:
  explicit F1(int dimension) : ObjectiveFunction(dimension) {}
  double Evaluate(const DoubleArray& x) override;
};

// (2 - 0.3 x) sin(2 x) cos(3 x) + 0.01 x^2 of x = x_0.
class F2 : public ObjectiveFunction {
 public:
  explicit F2(int dimension) : ObjectiveFunction(dimension) {}
  double Evaluate(const DoubleArray& x) override;
};
