#include "problems/ObjectiveFunction.h"

#include <cmath>

#include "foundation/NumericArrays.h"

// Every formula is evaluated left to right as written, so that values repeat
// bit for bit on every machine.

double Rosenbrock::Evaluate(const DoubleArray& x) {
  double sum = 0.0;
  for (int i = 0; i < dimension - 1; ++i) {
    double xi = x.Get(i);
    double a = 1.0 - xi;
    double b = xi * xi - x.Get(i + 1);
    sum += a * a + 100.0 * (b * b);
  }
  return sum;
}

double Rastrigin::Evaluate(const DoubleArray& x) {
  double sum = 0.0;
  for (int i = 0; i < dimension; ++i) {
    double xi = x.Get(i);
    sum += xi * xi - 10.0 * std::cos(6.283 * xi);
  }
  return 10.0 * dimension + sum;
}

double Ackley::Evaluate(const DoubleArray& x) {
  double squares = 0.0;
  double cosines = 0.0;
  for (int i = 0; i < dimension; ++i) {
    double xi = x.Get(i);
    squares += xi * xi;
    cosines += std::cos(6.283 * xi);
  }
  double n = dimension;
  return 22.7182 - 20.0 * std::exp(-2.0 * std::sqrt(squares / n)) - std::exp(cosines / n);
}

double F1::Evaluate(const DoubleArray& x) {
  double v = x.Get(0);
  return v * v * v * std::cos(v) * std::sin(v) * std::pow(2.7, -v) *
         (std::sin(v) * std::sin(v) * std::cos(v) - 1.0);
}

double F2::Evaluate(const DoubleArray& x) {
  double v = x.Get(0);
  return (2.0 - 0.3 * v) * std::sin(2.0 * v) * std::cos(3.0 * v) + 0.01 * (v * v);
}
