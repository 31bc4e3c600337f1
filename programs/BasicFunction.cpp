#include "programs/BasicFunction.h"

BasicFunction::~BasicFunction() = default;

int BasicFunction::Calculate(const IntArray&) { return 0; }

double BasicFunction::Calculate(const DoubleArray&) { return 0.0; }

int FunctionPlus::Calculate(const IntArray& a) { return Of(a.Data(), a.Size()); }

double FunctionPlus::Calculate(const DoubleArray& a) { return Of(a.Data(), a.Size()); }

int FunctionSubtract::Calculate(const IntArray& a) {
  return OfTwo(a, [](auto x, auto y) { return Of(x, y); });
}

double FunctionSubtract::Calculate(const DoubleArray& a) {
  return OfTwo(a, [](auto x, auto y) { return Of(x, y); });
}

int FunctionTimes::Calculate(const IntArray& a) { return Of(a.Data(), a.Size()); }

double FunctionTimes::Calculate(const DoubleArray& a) { return Of(a.Data(), a.Size()); }
