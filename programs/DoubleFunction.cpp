#include "programs/DoubleFunction.h"

DoubleFunction::~DoubleFunction() = default;

double DoubleFunction::Calculate(const DoubleArray&) { return 0.0; }

double FunctionDivide::Calculate(const DoubleArray& a) {
  return OfTwo(a, [](auto x, auto y) { return Of(x, y); });
}

double FunctionSin::Calculate(const DoubleArray& a) { return Of(a.Get(0)); }

double FunctionCos::Calculate(const DoubleArray& a) { return Of(a.Get(0)); }

double FunctionLn::Calculate(const DoubleArray& a) { return Of(a.Get(0)); }

double FunctionExp::Calculate(const DoubleArray& a) { return Of(a.Get(0)); }

double FunctionLog::Calculate(const DoubleArray& a) {
  return OfTwo(a, [](auto x, auto y) { return Of(x, y); });
}

double FunctionPow::Calculate(const DoubleArray& a) {
  return OfTwo(a, [](auto x, auto y) { return Of(x, y); });
}
