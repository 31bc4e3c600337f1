// The arithmetic behind the numeric operators: each function has an int form,
// used when every argument is an int, and a double form for mixed arguments.
#pragma once

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
};

// a[0] - a[1]; the int form wraps around on overflow.
class FunctionSubtract : public BasicFunction {
 public:
  int Calculate(const IntArray& a) override;
  double Calculate(const DoubleArray& a) override;
};

// Product of all entries (1 for none); the int form wraps around on overflow.
class FunctionTimes : public BasicFunction {
 public:
  int Calculate(const IntArray& a) override;
  double Calculate(const DoubleArray& a) override;
};
