// The real functions behind the double operators. They are protected: no
// division by zero, no logarithm of zero or of a negative number, and the
// inputs of the exponential and the power are clamped, so that every program
// yields a number.
#pragma once

#include "foundation/NumericArrays.h"

class DoubleFunction {
 public:
  DoubleFunction() = default;
  DoubleFunction(const DoubleFunction&) = delete;
  DoubleFunction& operator=(const DoubleFunction&) = delete;
  virtual ~DoubleFunction();
  virtual double Calculate(const DoubleArray& a);

  // Below this magnitude a divisor, a logarithm's argument or base counts as 0.
  static constexpr double Threshold = 1e-10;
  // Inputs of the exponential and the power are kept within +-Clamp.
  static constexpr double Clamp = 50.0;
  // The base of the exponential (deliberately not the exact e).
  static constexpr double Base = 2.71828;
  // x limited to [-Clamp, Clamp]; not a number becomes -Clamp.
  static double Clamped(double x);
};

// a[0] / a[1], or 1.0 when the divisor is below the threshold.
class FunctionDivide : public DoubleFunction {
 public:
  double Calculate(const DoubleArray& a) override;
};

class FunctionSin : public DoubleFunction {
 public:
  double Calculate(const DoubleArray& a) override;
};

class FunctionCos : public DoubleFunction {
 public:
  double Calculate(const DoubleArray& a) override;
};

// ln |a[0]|, or 0.0 when |a[0]| is below the threshold.
class FunctionLn : public DoubleFunction {
 public:
  double Calculate(const DoubleArray& a) override;
};

// Base to the clamped power a[0].
class FunctionExp : public DoubleFunction {
 public:
  double Calculate(const DoubleArray& a) override;
};

// Logarithm of |a[1]| to the base |a[0]|.
class FunctionLog : public DoubleFunction {
 public:
  double Calculate(const DoubleArray& a) override;
};

// a[0] to the power a[1], both clamped; a negative base takes the exponent
// truncated to an integer.
class FunctionPow : public DoubleFunction {
 public:
  double Calculate(const DoubleArray& a) override;
};
