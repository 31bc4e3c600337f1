#include "programs/FunctionRegister.h"

#include <type_traits>

#include "foundation/Exception.h"
#include "programs/Kernels.h"

namespace {
[[noreturn]] void ReportUnknown(const std::string& cls) {
  GetException()->FatalError("Function can not be created", cls, "Create");
}

template <class Base, class Kernel>
Base* New() {
  if constexpr (std::is_base_of_v<Base, Kernel> && std::is_default_constructible_v<Kernel>) {
    return new Kernel();
  } else {
    return nullptr;
  }
}

// A new object of the kernel class of code, when that class is a Base.
template <class Base>
Base* NewKernel(OpCode code) {
  switch (code) {
#define MORVANE2_NEW_KERNEL(code, family, kernel, ...) \
  case OpCode::code:                                   \
    return New<Base, kernel>();
    MORVANE2_OPERATIONS(MORVANE2_NEW_KERNEL)
#undef MORVANE2_NEW_KERNEL
    case OpCode::Jump:
    case OpCode::End:
      break;
  }
  return nullptr;
}

// Makes the function object of a key of the family's register, as the words
// of the operator table name it, and pushes it under the key; reported when
// no word of the family names the key.
template <class Base>
Base* MakeAndPush(Register<std::string, Base>& functions, Family family, const std::string& key) {
  for (const OperatorWord& word : kWords) {
    if (word.function != key || OperationOf(word.operation).family != family) continue;
    if (Base* function = NewKernel<Base>(word.operation)) {
      functions.Push(key, function);
      return function;
    }
  }
  ReportUnknown(ClassNameOf(functions));
}
}  // namespace

BasicFunction* BasicFunctionRegister::Create(const std::string& key) {
  return MakeAndPush(*this, Family::Basic, key);
}

DoubleFunction* DoubleFunctionRegister::Create(const std::string& key) {
  return MakeAndPush(*this, Family::Double, key);
}

BoolFunction* BoolFunctionRegister::Create(const std::string& key) {
  return MakeAndPush(*this, Family::Bool, key);
}

RobotFunction* RobotFunctionRegister::Create(const std::string& key) {
  return MakeAndPush(*this, Family::Robot, key);
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
