// The arithmetic behind the numeric operators: each function has an int form,
// used when every argument is an int, and a double form for mixed arguments.
//
// The arithmetic of each function is also given as static inline kernels
// (Of), which the fast evaluation paths call so that every path computes the
// same operations in the same order. The int forms compute in unsigned
// arithmetic, which gives the two's complement wrap-around on overflow
// without undefined behaviour.
#pragma once

#include <cstdint>

#include "foundation/NumericArrays.h"

class BasicFunction {
 public:
  BasicFunction() = default;
  BasicFunction(const BasicFunction&) = delete;
  BasicFunction& operator=(const BasicFunction&) = delete;
  virtual ~BasicFunction();
  virtual int Calculate(const IntArray& a);
  virtual double Calculate(const DoubleArray& a);
};

// Sum of all entries (0 for none); the int form wraps around on overflow.
class FunctionPlus : public BasicFunction {
 public:
  int Calculate(const IntArray& a) override;
  double Calculate(const DoubleArray& a) override;

  static int Of(const int* v, int n) {
    std::uint32_t sum = 0;
    for (int i = 0; i < n; ++i) sum += static_cast<std::uint32_t>(v[i]);
    return static_cast<int>(sum);
  }
  static double Of(const double* v, int n) {
    double sum = 0.0;
    for (int i = 0; i < n; ++i) sum += v[i];
    return sum;
  }
  // The two-argument forms, as the loops above compute them.
  static int Of(int x, int y) {
    return static_cast<int>(static_cast<std::uint32_t>(x) + static_cast<std::uint32_t>(y));
  }
  static double Of(double x, double y) {
    double sum = 0.0;
    sum += x;
    sum += y;
    return sum;
  }
};

// a[0] - a[1]; the int form wraps around on overflow.
class FunctionSubtract : public BasicFunction {
 public:
  int Calculate(const IntArray& a) override;
  double Calculate(const DoubleArray& a) override;

  static int Of(int x, int y) {
    return static_cast<int>(static_cast<std::uint32_t>(x) - static_cast<std::uint32_t>(y));
  }
  static double Of(double x, double y) { return x - y; }
  // The list forms read the first two entries (a compiled Subtract has two).
  static int Of(const int* v, int) { return Of(v[0], v[1]); }
  static double Of(const double* v, int) { return Of(v[0], v[1]); }
};

// Product of all entries (1 for none); the int form wraps around on overflow.
class FunctionTimes : public BasicFunction {
 public:
  int Calculate(const IntArray& a) override;
  double Calculate(const DoubleArray& a) override;

  static int Of(const int* v, int n) {
    std::uint32_t product = 1;
    for (int i = 0; i < n; ++i) product *= static_cast<std::uint32_t>(v[i]);
    return static_cast<int>(product);
  }
  static double Of(const double* v, int n) {
    double product = 1.0;
    for (int i = 0; i < n; ++i) product *= v[i];
    return product;
  }
  static int Of(int x, int y) {
    return static_cast<int>(static_cast<std::uint32_t>(x) * static_cast<std::uint32_t>(y));
  }
  static double Of(double x, double y) {
    double product = 1.0;
    product *= x;
    product *= y;
    return product;
  }
};
