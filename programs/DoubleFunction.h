// The real functions behind the double operators. They are protected: no
// division by zero, no logarithm of zero or of a negative number, and the
// inputs of the exponential and the power are clamped, so that every program
// yields a number. Each function's arithmetic is also a static inline kernel
// (Of) shared with the fast evaluation paths.
#pragma once

#include <cmath>

#include "foundation/Numeric.h"
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
  static double Clamped(double x) {
    if (x > Clamp) return Clamp;
    if (x < -Clamp) return -Clamp;
    if (std::isnan(x)) return -Clamp;
    return x;
  }
};

// a[0] / a[1], or 1.0 when the divisor is below the threshold.
class FunctionDivide : public DoubleFunction {
 public:
  double Calculate(const DoubleArray& a) override;
  static double Of(double x, double y) {
    if (std::fabs(y) < Threshold) return 1.0;
    return x / y;
  }
};

class FunctionSin : public DoubleFunction {
 public:
  double Calculate(const DoubleArray& a) override;
  static double Of(double x) { return std::sin(x); }
};

class FunctionCos : public DoubleFunction {
 public:
  double Calculate(const DoubleArray& a) override;
  static double Of(double x) { return std::cos(x); }
};

// ln |a[0]|, or 0.0 when |a[0]| is below the threshold.
class FunctionLn : public DoubleFunction {
 public:
  double Calculate(const DoubleArray& a) override;
  static double Of(double v) {
    double x = std::fabs(v);
    if (x < Threshold) return 0.0;
    return std::log(x);
  }
};

// Base to the clamped power a[0].
class FunctionExp : public DoubleFunction {
 public:
  double Calculate(const DoubleArray& a) override;
  static double Of(double x) { return std::pow(Base, Clamped(x)); }
};

// Logarithm of |a[1]| to the base |a[0]|.
class FunctionLog : public DoubleFunction {
 public:
  double Calculate(const DoubleArray& a) override;
  static double Of(double base, double x) {
    double p = std::fabs(base);
    double q = std::fabs(x);
    if (p < Threshold) return 0.0;
    if (q < Threshold) return 0.0;
    double lnP = std::log(p);
    if (std::fabs(lnP) < Threshold) return 1.0;
    return std::log(q) / lnP;
  }
};

// a[0] to the power a[1], both clamped; a negative base takes the exponent
// truncated to an integer.
class FunctionPow : public DoubleFunction {
 public:
  double Calculate(const DoubleArray& a) override;
  static double Of(double base, double exponent) {
    double x = Clamped(base);
    double y = Clamped(exponent);
    if (x == 0.0 && y <= 0.0) return 0.0;
    // A negative base has a real power only for an integer exponent. The
    // truncation is the system's one conversion; whatever int it gives, the
    // power itself is an ordinary call on doubles.
    if (x < 0.0) return std::pow(x, static_cast<double>(TruncToInt(y)));
    return std::pow(x, y);
  }
};
