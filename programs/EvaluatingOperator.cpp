#include "programs/EvaluatingOperator.h"

#include "foundation/Exception.h"
#include "programs/LispInterpreter.h"

namespace {

[[noreturn, gnu::cold, gnu::noinline]] void ReportTypeError(const Operator& op) {
  GetException()->LispInterpretationError("type error", ClassNameOf(op), "Operate");
}

[[noreturn, gnu::cold, gnu::noinline]] void ReportNoRobot(const Operator& op) {
  GetException()->FatalError("no robot is set", ClassNameOf(op), "Operate");
}

bool IsNumeric(int type) { return type == ValueType::Int || type == ValueType::Double; }

bool IsBool(int type) { return type == ValueType::Bool; }

// Argument storage of one call: the interpreter's scratch arrays.
class ScratchArguments {
 public:
  ScratchArguments(LispInterpreter* interpreter, int n) : interpreter(interpreter), n(n) {}
  int* Types() { return interpreter->ArgumentTypes(); }
  IntArray& Ints() { return interpreter->IntArguments(n); }
  DoubleArray& Doubles() { return interpreter->DoubleArguments(n); }

 private:
  LispInterpreter* interpreter;
  int n;
};

// Argument storage of its own, for a call with more arguments than the
// scratch arrays hold (possible only through the explicit-arity Operate of a
// variable-arity operator).
class OwnArguments {
 public:
  explicit OwnArguments(int n) : types(n), ints(n), doubles(n) {
    types.Fill(0);
    ints.Fill(0);
    doubles.Fill(0.0);
  }
  int* Types() { return types.Data(); }
  IntArray& Ints() { return ints; }
  DoubleArray& Doubles() { return doubles; }

 private:
  IntArray types;
  IntArray ints;
  DoubleArray doubles;
};

// Pops the type codes of n numeric arguments, last first, into types and
// returns whether every one is an int.
bool PopNumericTypes(const Operator& op, LispInterpreter* interpreter, int n, int* types) {
  int seen = 0;
  for (int i = n - 1; i >= 0; --i) {
    int type = interpreter->PopType();
    if (!IsNumeric(type)) ReportTypeError(op);
    types[i] = type;
    seen |= type;
  }
  return (seen & ValueType::Double) == 0;
}

void PopBoolTypes(const Operator& op, LispInterpreter* interpreter, int n) {
  for (int i = n - 1; i >= 0; --i) {
    if (!IsBool(interpreter->PopType())) ReportTypeError(op);
  }
}

// The value pops fill the array from its last entry down, since the last
// argument is on top.
void PopInts(LispInterpreter* interpreter, IntArray& a) {
  int* d = a.Data();
  for (int i = a.Size() - 1; i >= 0; --i) d[i] = interpreter->PopInt();
}

void PopBools(LispInterpreter* interpreter, IntArray& a) {
  int* d = a.Data();
  for (int i = a.Size() - 1; i >= 0; --i) d[i] = interpreter->PopBool();
}

void PopWidened(LispInterpreter* interpreter, const int* types, DoubleArray& a) {
  double* d = a.Data();
  for (int i = a.Size() - 1; i >= 0; --i) {
    d[i] = types[i] == ValueType::Int ? static_cast<double>(interpreter->PopInt()) : interpreter->PopDouble();
  }
}

// Runs body with argument storage of its own for n arguments. With more
// arguments than values on the stacks the call cannot succeed: the type codes
// are popped and checked as the call would, up to the report that must come
// (a bad type or the empty type stack), without storing anything.
template <class Body>
[[gnu::cold, gnu::noinline]] void WithOwnArguments(const Operator& op, LispInterpreter* interpreter, int n,
                                                   bool (*allowed)(int), Body body) {
  if (n > interpreter->GetValueCount()) {
    for (;;) {
      if (!allowed(interpreter->PopType())) ReportTypeError(op);
    }
  }
  OwnArguments arguments(n);
  body(arguments);
}

template <class Arguments>
void ApplyBasic(const Operator& op, BasicFunction* function, LispInterpreter* interpreter, int n,
                Arguments& arguments) {
  int* types = arguments.Types();
  if (PopNumericTypes(op, interpreter, n, types)) {
    IntArray& a = arguments.Ints();
    PopInts(interpreter, a);
    interpreter->PushInt(function->Calculate(a));
  } else {
    DoubleArray& a = arguments.Doubles();
    PopWidened(interpreter, types, a);
    interpreter->PushDouble(function->Calculate(a));
  }
}

template <class Arguments>
void ApplyDouble(const Operator& op, DoubleFunction* function, LispInterpreter* interpreter, int n,
                 Arguments& arguments) {
  int* types = arguments.Types();
  PopNumericTypes(op, interpreter, n, types);
  DoubleArray& a = arguments.Doubles();
  PopWidened(interpreter, types, a);
  interpreter->PushDouble(function->Calculate(a));
}

template <class Arguments>
void ApplyBool(const Operator& op, BoolFunction* function, LispInterpreter* interpreter, int n,
               Arguments& arguments) {
  PopBoolTypes(op, interpreter, n);
  IntArray& a = arguments.Ints();
  PopBools(interpreter, a);
  interpreter->PushBool(function->Calculate(a));
}

template <class Arguments>
void ApplyRobot(const Operator& op, RobotFunction* function, LispInterpreter* interpreter, int n,
                Arguments& arguments) {
  int* types = arguments.Types();
  PopNumericTypes(op, interpreter, n, types);
  DoubleArray& a = arguments.Doubles();
  PopWidened(interpreter, types, a);
  Robot* robot = interpreter->GetRobot();
  if (robot == nullptr) ReportNoRobot(op);
  interpreter->PushDouble(function->Calculate(a, robot));
}

// A constant's instruction and value; a function that is not one of the
// constants is left to the operator's own Operate.
OpCode ConstantOperation(IntNonArgFunction* function) {
  return dynamic_cast<IntConst*>(function) != nullptr ? OpCode::IntConst : OpCode::Operate;
}

OpCode ConstantOperation(DoubleNonArgFunction* function) {
  return dynamic_cast<DoubleConst*>(function) != nullptr ? OpCode::DoubleConst : OpCode::Operate;
}

Operand ConstantOperand(IntNonArgFunction* function) {
  auto* constant = dynamic_cast<IntConst*>(function);
  return Operand{0, constant != nullptr ? constant->GetValue() : 0, 0.0};
}

Operand ConstantOperand(DoubleNonArgFunction* function) {
  auto* constant = dynamic_cast<DoubleConst*>(function);
  return Operand{0, 0, constant != nullptr ? constant->GetValue() : 0.0};
}

// A variable's instruction; other value types and indices outside the
// interpreter's variables are reported by the operator itself.
OpCode VariableOperation(int valueType, int index) {
  if (index < 0 || index >= LispInterpreter::VariableCount) return OpCode::Operate;
  switch (valueType) {
    case ValueType::Int:
      return OpCode::IntVariable;
    case ValueType::Double:
      return OpCode::DoubleVariable;
    case ValueType::Bool:
      return OpCode::BoolVariable;
    default:
      return OpCode::Operate;
  }
}

}  // namespace

BasicOperator::~BasicOperator() = default;

void BasicOperator::Operate(LispInterpreter* interpreter, int n) {
  if (n <= LispInterpreter::ArgumentCapacity) {
    ScratchArguments arguments(interpreter, n);
    ApplyBasic(*this, function, interpreter, n, arguments);
  } else {
    WithOwnArguments(*this, interpreter, n, IsNumeric,
                     [&](OwnArguments& arguments) { ApplyBasic(*this, function, interpreter, n, arguments); });
  }
}

DoubleOperator::~DoubleOperator() = default;

void DoubleOperator::Operate(LispInterpreter* interpreter, int n) {
  if (n <= LispInterpreter::ArgumentCapacity) {
    ScratchArguments arguments(interpreter, n);
    ApplyDouble(*this, function, interpreter, n, arguments);
  } else {
    WithOwnArguments(*this, interpreter, n, IsNumeric,
                     [&](OwnArguments& arguments) { ApplyDouble(*this, function, interpreter, n, arguments); });
  }
}

BoolOperator::~BoolOperator() = default;

void BoolOperator::Operate(LispInterpreter* interpreter, int n) {
  if (n <= LispInterpreter::ArgumentCapacity) {
    ScratchArguments arguments(interpreter, n);
    ApplyBool(*this, function, interpreter, n, arguments);
  } else {
    WithOwnArguments(*this, interpreter, n, IsBool,
                     [&](OwnArguments& arguments) { ApplyBool(*this, function, interpreter, n, arguments); });
  }
}

RobotOperator::~RobotOperator() = default;

void RobotOperator::Operate(LispInterpreter* interpreter, int n) {
  if (n <= LispInterpreter::ArgumentCapacity) {
    ScratchArguments arguments(interpreter, n);
    ApplyRobot(*this, function, interpreter, n, arguments);
  } else {
    WithOwnArguments(*this, interpreter, n, IsNumeric,
                     [&](OwnArguments& arguments) { ApplyRobot(*this, function, interpreter, n, arguments); });
  }
}

IntNonArgOperator::IntNonArgOperator(const std::string& name, IntNonArgFunction* function)
    : Operator(name, 0, EvaluationKind::Evaluating, ConstantOperation(function), ConstantOperand(function)),
      function(function),
      constant(dynamic_cast<IntConst*>(function)) {}

IntNonArgOperator::~IntNonArgOperator() = default;

void IntNonArgOperator::Operate(LispInterpreter* interpreter, int) {
  interpreter->PushInt(constant != nullptr ? constant->GetValue() : function->GetValue());
}

DoubleNonArgOperator::DoubleNonArgOperator(const std::string& name, DoubleNonArgFunction* function)
    : Operator(name, 0, EvaluationKind::Evaluating, ConstantOperation(function), ConstantOperand(function)),
      function(function),
      constant(dynamic_cast<DoubleConst*>(function)) {}

DoubleNonArgOperator::~DoubleNonArgOperator() = default;

void DoubleNonArgOperator::Operate(LispInterpreter* interpreter, int) {
  interpreter->PushDouble(constant != nullptr ? constant->GetValue() : function->GetValue());
}

VariableOperator::VariableOperator(const std::string& name, int valueType, int index)
    : Operator(name, 0, EvaluationKind::Evaluating, VariableOperation(valueType, index),
               Operand{index, 0, 0.0}),
      valueType(valueType),
      index(index) {}

VariableOperator::~VariableOperator() = default;

void VariableOperator::Operate(LispInterpreter* interpreter, int) {
  switch (valueType) {
    case ValueType::Int:
      interpreter->PushInt(interpreter->GetIntVariable(index));
      break;
    case ValueType::Double:
      interpreter->PushDouble(interpreter->GetDoubleVariable(index));
      break;
    // Bool variables live in the int variable table.
    case ValueType::Bool:
      interpreter->PushBool(interpreter->GetIntVariable(index));
      break;
    default:
      GetException()->FatalError("type error", ClassNameOf(*this), "Operate");
  }
}
