// Functions without arguments behind the terminal operators: a value read
// from nowhere else, such as the constants of the node set.
#pragma once

class IntNonArgFunction {
 public:
  IntNonArgFunction() = default;
  IntNonArgFunction(const IntNonArgFunction&) = delete;
  IntNonArgFunction& operator=(const IntNonArgFunction&) = delete;
  virtual ~IntNonArgFunction();
  virtual int GetValue();
};

class DoubleNonArgFunction {
 public:
  DoubleNonArgFunction() = default;
  DoubleNonArgFunction(const DoubleNonArgFunction&) = delete;
  DoubleNonArgFunction& operator=(const DoubleNonArgFunction&) = delete;
  virtual ~DoubleNonArgFunction();
  virtual double GetValue();
};

class IntConst final : public IntNonArgFunction {
 public:
  explicit IntConst(int value) : value(value) {}
  int GetValue() override { return value; }

 private:
  int value;
};

class DoubleConst final : public DoubleNonArgFunction {
 public:
  explicit DoubleConst(double value) : value(value) {}
  double GetValue() override { return value; }

 private:
  double value;
};
