// The factory of operators: maps a name (a word such as "Plus2" or "x3", or a
// numeric literal such as "2.0") to the one shared operator of that name,
// creating it on first request. It owns the operators it creates and the
// function registers their function objects come from.
#pragma once

#include <string>

#include "config/Register.h"
#include "programs/FunctionRegister.h"
#include "programs/Operator.h"

class OperatorRegister : public Register<std::string, Operator> {
 public:
  // The function registers get the same capacity as the operator register.
  explicit OperatorRegister(int capacity);
  ~OperatorRegister() override;

  // Makes the operator of a name not yet in the register and pushes it under
  // that name: an int literal ("7", "-3") gives an int constant, a real
  // literal ("7.5", "-2.5") a double constant, any other name must be one of
  // the words of the operator table (OperatorTable.h).
  Operator* Create(const std::string& name) override;

  // How a name is read: an int literal, a real literal or a word.
  static constexpr int IntLiteral = 1;
  static constexpr int RealLiteral = 2;
  static constexpr int Word = 3;
  static int Classify(const std::string& name);

  BasicFunctionRegister* GetBasicFunctions() { return &basicFunctions; }
  DoubleFunctionRegister* GetDoubleFunctions() { return &doubleFunctions; }
  BoolFunctionRegister* GetBoolFunctions() { return &boolFunctions; }
  IntConstRegister* GetIntConsts() { return &intConsts; }
  DoubleConstRegister* GetDoubleConsts() { return &doubleConsts; }
  IntNonArgFunctionRegister* GetIntNonArgFunctions() { return &intNonArgFunctions; }
  DoubleNonArgFunctionRegister* GetDoubleNonArgFunctions() { return &doubleNonArgFunctions; }
  RobotFunctionRegister* GetRobotFunctions() { return &robotFunctions; }

 private:
  Operator* CreateWord(const std::string& name);

  BasicFunctionRegister basicFunctions;
  DoubleFunctionRegister doubleFunctions;
  BoolFunctionRegister boolFunctions;
  IntConstRegister intConsts;
  DoubleConstRegister doubleConsts;
  IntNonArgFunctionRegister intNonArgFunctions;
  DoubleNonArgFunctionRegister doubleNonArgFunctions;
  RobotFunctionRegister robotFunctions;
};
