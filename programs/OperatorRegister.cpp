#include "programs/OperatorRegister.h"

#include <cstdlib>

#include "foundation/Exception.h"
#include "foundation/Utility.h"
#include "programs/ConditionalOperator.h"
#include "programs/EvaluatingOperator.h"

namespace {
constexpr int Evaluating = EvaluationKind::Evaluating;
}  // namespace

OperatorRegister::OperatorRegister(int capacity)
    : Register(capacity),
      basicFunctions(capacity),
      doubleFunctions(capacity),
      boolFunctions(capacity),
      intConsts(capacity),
      doubleConsts(capacity),
      intNonArgFunctions(capacity),
      doubleNonArgFunctions(capacity),
      robotFunctions(capacity) {}

OperatorRegister::~OperatorRegister() = default;

int OperatorRegister::Classify(const std::string& name) {
  // A leading '-' is passed over, the first '.' after position 0 makes an int
  // literal a real one, and any other character that is not a digit makes a
  // word for good. So the empty name and "-" are int literals (of value 0),
  // while ".5", "+5" and "1e3" are words.
  return Utility::IsNumber(name);
}

Operator* OperatorRegister::Create(const std::string& name) {
  Operator* op = nullptr;
  switch (Classify(name)) {
    case IntLiteral: {
      // The value as the C library's atoi reads it: strtol's value reduced to
      // an int (modulo 2^32), without atoi's undefined overflow.
      int value = static_cast<int>(std::strtoll(name.c_str(), nullptr, 10));
      op = new IntNonArgOperator(name, intConsts.Get(value));
      break;
    }
    case RealLiteral:
      op = new DoubleNonArgOperator(name, doubleConsts.Get(std::strtod(name.c_str(), nullptr)));
      break;
    default:
      op = CreateWord(name);
      break;
  }
  Push(name, op);
  return op;
}

Operator* OperatorRegister::CreateWord(const std::string& name) {
  if (const OperatorWord* word = FindWord(name)) {
    std::string printed(word->printed);
    std::string function(word->function);
    OpCode operation = word->treeOnly ? OpCode::TreeOnly : word->operation;
    switch (OperationOf(word->operation).family) {
      case Family::Basic:
        return new BasicOperator(printed, word->arity, Evaluating, basicFunctions.Get(function), operation);
      case Family::Double:
        return new DoubleOperator(printed, word->arity, Evaluating, doubleFunctions.Get(function), operation);
      case Family::Bool:
        return new BoolOperator(printed, word->arity, Evaluating, boolFunctions.Get(function), operation);
      case Family::Robot:
        return new RobotOperator(printed, word->arity, Evaluating, robotFunctions.Get(function), operation);
      case Family::Variable:
        return new VariableOperator(printed, LeafTypeOf(word->operation), word->index);
      case Family::If:
        return new IfOperator(printed);
      case Family::Iflte:
        return new IflteOperator(printed);
      case Family::IfFoodAhead:
        return new IfFoodAheadOperator(printed);
      case Family::IntNonArg:  // literals, made before any word is looked up
      case Family::DoubleNonArg:
      case Family::Other:
        break;
    }
  }
  GetException()->FatalError("Operator can not be created", ClassNameOf(*this), "Create");
}
