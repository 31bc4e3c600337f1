#include "programs/BasicFunction.h"

BasicFunction::~BasicFunction() = default;

int BasicFunction::Calculate(const IntArray&) { return 0; }

double BasicFunction::Calculate(const DoubleArray&) { return 0.0; }

int FunctionPlus::Calculate(const IntArray& a) { return Of(a.Data(), a.Size()); }

double FunctionPlus::Calculate(const DoubleArray& a) { return Of(a.Data(), a.Size()); }

int FunctionSubtract::Calculate(const IntArray& a) {
  // The first argument is read (and checked) first.
  auto x = a.Get(0);
  auto y = a.Get(1);
  return Of(x, y);
}

double FunctionSubtract::Calculate(const DoubleArray& a) {
  // The first argument is read (and checked) first.
  auto x = a.Get(0);
  auto y = a.Get(1);
  return Of(x, y);
}

int FunctionTimes::Calculate(const IntArray& a) { return Of(a.Data(), a.Size()); }

double FunctionTimes::Calculate(const DoubleArray& a) { return Of(a.Data(), a.Size()); }
