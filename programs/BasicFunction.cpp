#include "programs/BasicFunction.h"

#include <cstdint>

// The int forms compute in unsigned arithmetic, which gives the two's
// complement wrap-around on overflow without undefined behaviour.

BasicFunction::~BasicFunction() = default;

int BasicFunction::Calculate(const IntArray&) { return 0; }

double BasicFunction::Calculate(const DoubleArray&) { return 0.0; }

int FunctionPlus::Calculate(const IntArray& a) {
  const int* d = a.Data();
  std::uint32_t sum = 0;
  for (int i = 0; i < a.Size(); ++i) sum += static_cast<std::uint32_t>(d[i]);
  return static_cast<int>(sum);
}

double FunctionPlus::Calculate(const DoubleArray& a) {
  const double* d = a.Data();
  double sum = 0.0;
  for (int i = 0; i < a.Size(); ++i) sum += d[i];
  return sum;
}

int FunctionSubtract::Calculate(const IntArray& a) {
  return static_cast<int>(static_cast<std::uint32_t>(a.Get(0)) - static_cast<std::uint32_t>(a.Get(1)));
}

double FunctionSubtract::Calculate(const DoubleArray& a) { return a.Get(0) - a.Get(1); }

int FunctionTimes::Calculate(const IntArray& a) {
  const int* d = a.Data();
  std::uint32_t product = 1;
  for (int i = 0; i < a.Size(); ++i) product *= static_cast<std::uint32_t>(d[i]);
  return static_cast<int>(product);
}

double FunctionTimes::Calculate(const DoubleArray& a) {
  const double* d = a.Data();
  double product = 1.0;
  for (int i = 0; i < a.Size(); ++i) product *= d[i];
  return product;
}
