#include "programs/DoubleFunction.h"

#include <cmath>

#include "foundation/Numeric.h"

DoubleFunction::~DoubleFunction() = default;

double DoubleFunction::Calculate(const DoubleArray&) { return 0.0; }

double DoubleFunction::Clamped(double x) {
  if (x > Clamp) return Clamp;
  if (x < -Clamp) return -Clamp;
  if (std::isnan(x)) return -Clamp;
  return x;
}

double FunctionDivide::Calculate(const DoubleArray& a) {
  double x = a.Get(0);
  double y = a.Get(1);
  if (std::fabs(y) < Threshold) return 1.0;
  return x / y;
}

double FunctionSin::Calculate(const DoubleArray& a) { return std::sin(a.Get(0)); }

double FunctionCos::Calculate(const DoubleArray& a) { return std::cos(a.Get(0)); }

double FunctionLn::Calculate(const DoubleArray& a) {
  double x = std::fabs(a.Get(0));
  if (x < Threshold) return 0.0;
  return std::log(x);
}

double FunctionExp::Calculate(const DoubleArray& a) { return std::pow(Base, Clamped(a.Get(0))); }

double FunctionLog::Calculate(const DoubleArray& a) {
  double p = std::fabs(a.Get(0));
  double q = std::fabs(a.Get(1));
  if (p < Threshold) return 0.0;
  if (q < Threshold) return 0.0;
  double lnP = std::log(p);
  if (std::fabs(lnP) < Threshold) return 1.0;
  return std::log(q) / lnP;
}

double FunctionPow::Calculate(const DoubleArray& a) {
  double x = Clamped(a.Get(0));
  double y = Clamped(a.Get(1));
  if (x == 0.0 && y <= 0.0) return 0.0;
  // A negative base has a real power only for an integer exponent. The
  // truncation is the system's one conversion; whatever int it gives, the
  // power itself is an ordinary call on doubles.
  if (x < 0.0) return std::pow(x, static_cast<double>(TruncToInt(y)));
  return std::pow(x, y);
}
