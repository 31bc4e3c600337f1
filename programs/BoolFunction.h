// The logic behind the bool operators; arguments and results are 0 or 1.
#pragma once

#include "foundation/NumericArrays.h"

class BoolFunction {
 public:
  BoolFunction() = default;
  BoolFunction(const BoolFunction&) = delete;
  BoolFunction& operator=(const BoolFunction&) = delete;
  virtual ~BoolFunction();
  virtual int Calculate(const IntArray& a);
};

// 1 when every entry is 1 (also for no entries).
class FunctionAnd : public BoolFunction {
 public:
  int Calculate(const IntArray& a) override;
};

// 1 when some entry is 1.
class FunctionOr : public BoolFunction {
 public:
  int Calculate(const IntArray& a) override;
};

// 1 when some entry is 0.
class FunctionNand : public BoolFunction {
 public:
  int Calculate(const IntArray& a) override;
};

// 1 when no entry is 1; over one entry it is the negation.
class FunctionNor : public BoolFunction {
 public:
  int Calculate(const IntArray& a) override;
};
