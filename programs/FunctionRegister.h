// The eight function registers, one per function family. Each makes the
// function object of a key on first request and keeps it, so one key yields
// one shared object for the life of the register. The keys of the four
// families over the library's functions are those the words of the operator
// table name, each making the kernel class of its word's operation.
#pragma once

#include <string>

#include "config/Register.h"
#include "programs/BasicFunction.h"
#include "programs/BoolFunction.h"
#include "programs/DoubleFunction.h"
#include "programs/NonArgFunction.h"
#include "programs/RobotFunction.h"

// The arithmetic: "Plus", "Subtract", "Times" and "Prog" (the product, for
// sequencing actions).
class BasicFunctionRegister : public Register<std::string, BasicFunction> {
 public:
  explicit BasicFunctionRegister(int capacity) : Register(capacity) {}
  BasicFunction* Create(const std::string& key) override;
};

// The protected real functions: "divide", "Sin", "Cos", "ln", "Exp", "log"
// and "pow".
class DoubleFunctionRegister : public Register<std::string, DoubleFunction> {
 public:
  explicit DoubleFunctionRegister(int capacity) : Register(capacity) {}
  DoubleFunction* Create(const std::string& key) override;
};

// The logic: "and", "or", "nand", "nor" and "not" (nor over one argument).
class BoolFunctionRegister : public Register<std::string, BoolFunction> {
 public:
  explicit BoolFunctionRegister(int capacity) : Register(capacity) {}
  BoolFunction* Create(const std::string& key) override;
};

// The robot actions: "moveForward", "moveBackward", "moveLeft", "moveRight",
// "sensor", "turnLeft" and "turnRight".
class RobotFunctionRegister : public Register<std::string, RobotFunction> {
 public:
  explicit RobotFunctionRegister(int capacity) : Register(capacity) {}
  RobotFunction* Create(const std::string& key) override;
};

// Has no keys: every Create fails.
class IntNonArgFunctionRegister : public Register<std::string, IntNonArgFunction> {
 public:
  explicit IntNonArgFunctionRegister(int capacity) : Register(capacity) {}
  IntNonArgFunction* Create(const std::string& key) override;
};

// Has no keys: every Create fails.
class DoubleNonArgFunctionRegister : public Register<std::string, DoubleNonArgFunction> {
 public:
  explicit DoubleNonArgFunctionRegister(int capacity) : Register(capacity) {}
  DoubleNonArgFunction* Create(const std::string& key) override;
};

// One IntConst per value.
class IntConstRegister : public Register<int, IntConst> {
 public:
  explicit IntConstRegister(int capacity) : Register(capacity) {}
  IntConst* Create(const int& key) override;
};

// One DoubleConst per value; values match only when exactly equal.
class DoubleConstRegister : public Register<double, DoubleConst> {
 public:
  explicit DoubleConstRegister(int capacity) : Register(capacity) {}
  DoubleConst* Create(const double& key) override;
};
