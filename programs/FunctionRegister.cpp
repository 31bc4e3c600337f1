#include "programs/FunctionRegister.h"

#include "foundation/Exception.h"

namespace {
[[noreturn]] void ReportUnknown(const std::string& cls) {
  GetException()->FatalError("Function can not be created", cls, "Create");
}
}  // namespace

BasicFunction* BasicFunctionRegister::Create(const std::string& key) {
  BasicFunction* f = nullptr;
  if (key == "Plus") {
    f = new FunctionPlus();
  } else if (key == "Subtract") {
    f = new FunctionSubtract();
  } else if (key == "Times" || key == "Prog") {
    f = new FunctionTimes();
  } else {
    ReportUnknown(ClassNameOf(*this));
  }
  Push(key, f);
  return f;
}

DoubleFunction* DoubleFunctionRegister::Create(const std::string& key) {
  DoubleFunction* f = nullptr;
  if (key == "divide") {
    f = new FunctionDivide();
  } else if (key == "Sin") {
    f = new FunctionSin();
  } else if (key == "Cos") {
    f = new FunctionCos();
  } else if (key == "ln") {
    f = new FunctionLn();
  } else if (key == "Exp") {
    f = new FunctionExp();
  } else if (key == "log") {
    f = new FunctionLog();
  } else if (key == "pow") {
    f = new FunctionPow();
  } else {
    ReportUnknown(ClassNameOf(*this));
  }
  Push(key, f);
  return f;
}

BoolFunction* BoolFunctionRegister::Create(const std::string& key) {
  BoolFunction* f = nullptr;
  if (key == "and") {
    f = new FunctionAnd();
  } else if (key == "or") {
    f = new FunctionOr();
  } else if (key == "nand") {
    f = new FunctionNand();
  } else if (key == "nor" || key == "not") {
    f = new FunctionNor();
  } else {
    ReportUnknown(ClassNameOf(*this));
  }
  Push(key, f);
  return f;
}

RobotFunction* RobotFunctionRegister::Create(const std::string& key) {
  RobotFunction* f = nullptr;
  if (key == "moveForward") {
    f = new FunctionMoveForward();
  } else if (key == "moveBackward") {
    f = new FunctionMoveBackward();
  } else if (key == "moveLeft") {
    f = new FunctionMoveLeft();
  } else if (key == "moveRight") {
    f = new FunctionMoveRight();
  } else if (key == "sensor") {
    f = new FunctionSensor();
  } else if (key == "turnLeft") {
    f = new FunctionTurnLeft();
  } else if (key == "turnRight") {
    f = new FunctionTurnRight();
  } else {
    ReportUnknown(ClassNameOf(*this));
  }
  Push(key, f);
  return f;
}

IntNonArgFunction* IntNonArgFunctionRegister::Create(const std::string&) {
  ReportUnknown(ClassNameOf(*this));
}

DoubleNonArgFunction* DoubleNonArgFunctionRegister::Create(const std::string&) {
  ReportUnknown(ClassNameOf(*this));
}

IntConst* IntConstRegister::Create(const int& key) {
  IntConst* f = new IntConst(key);
  Push(key, f);
  return f;
}

DoubleConst* DoubleConstRegister::Create(const double& key) {
  DoubleConst* f = new DoubleConst(key);
  Push(key, f);
  return f;
}
