#include "programs/OperatorRegister.h"

#include <cstdlib>

#include "foundation/Exception.h"
#include "foundation/Utility.h"
#include "programs/ConditionalOperator.h"
#include "programs/EvaluatingOperator.h"

namespace {

// What a word makes.
enum class Family { Basic, Double, Bool, Robot, Variable, If, Iflte, IfFoodAhead };

struct WordRow {
  const char* key;
  Family family;
  const char* printedName;
  int arity;             // for the function families
  const char* function;  // the key in the family's function register
  int valueType;         // for variables
  int index;             // for variables
};

constexpr int Evaluating = EvaluationKind::Evaluating;

// The known words. The printed name may differ from the key: "Plus2" prints
// as "Plus", "i2" as "x2".
const WordRow Words[] = {
    {"+", Family::Basic, "+", -1, "Plus", 0, 0},
    {"Plus", Family::Basic, "Plus", -1, "Plus", 0, 0},
    {"Plus2", Family::Basic, "Plus", 2, "Plus", 0, 0},
    {"Subtract", Family::Basic, "Subtract", 2, "Subtract", 0, 0},
    {"*", Family::Basic, "Times", -1, "Times", 0, 0},
    {"Times", Family::Basic, "Times", -1, "Times", 0, 0},
    {"Times2", Family::Basic, "Times", 2, "Times", 0, 0},
    {"Prog", Family::Basic, "Prog", -1, "Prog", 0, 0},
    {"Prog2", Family::Basic, "Prog2", 2, "Prog", 0, 0},
    {"divide", Family::Double, "divide", 2, "divide", 0, 0},
    {"Sin", Family::Double, "Sin", 1, "Sin", 0, 0},
    {"Cos", Family::Double, "Cos", 1, "Cos", 0, 0},
    {"ln", Family::Double, "ln", 1, "ln", 0, 0},
    {"Exp", Family::Double, "Exp", 1, "Exp", 0, 0},
    {"log", Family::Double, "log", 2, "log", 0, 0},
    {"pow", Family::Double, "pow", 2, "pow", 0, 0},
    {"x0", Family::Variable, "x0", 0, nullptr, ValueType::Double, 0},
    {"x1", Family::Variable, "x1", 0, nullptr, ValueType::Double, 1},
    {"x2", Family::Variable, "x2", 0, nullptr, ValueType::Double, 2},
    {"x3", Family::Variable, "x3", 0, nullptr, ValueType::Double, 3},
    {"x4", Family::Variable, "x4", 0, nullptr, ValueType::Double, 4},
    {"x5", Family::Variable, "x5", 0, nullptr, ValueType::Double, 5},
    {"x6", Family::Variable, "x6", 0, nullptr, ValueType::Double, 6},
    {"i0", Family::Variable, "x0", 0, nullptr, ValueType::Int, 0},
    {"i1", Family::Variable, "x1", 0, nullptr, ValueType::Int, 1},
    {"i2", Family::Variable, "x2", 0, nullptr, ValueType::Int, 2},
    {"i3", Family::Variable, "x3", 0, nullptr, ValueType::Int, 3},
    {"i4", Family::Variable, "x4", 0, nullptr, ValueType::Int, 4},
    {"i5", Family::Variable, "x5", 0, nullptr, ValueType::Int, 5},
    {"b0", Family::Variable, "b0", 0, nullptr, ValueType::Bool, 0},
    {"b1", Family::Variable, "b1", 0, nullptr, ValueType::Bool, 1},
    {"b2", Family::Variable, "b2", 0, nullptr, ValueType::Bool, 2},
    {"b3", Family::Variable, "b3", 0, nullptr, ValueType::Bool, 3},
    {"b4", Family::Variable, "b4", 0, nullptr, ValueType::Bool, 4},
    {"b5", Family::Variable, "b5", 0, nullptr, ValueType::Bool, 5},
    {"b6", Family::Variable, "b6", 0, nullptr, ValueType::Bool, 6},
    {"b7", Family::Variable, "b7", 0, nullptr, ValueType::Bool, 7},
    {"b8", Family::Variable, "b8", 0, nullptr, ValueType::Bool, 8},
    {"b9", Family::Variable, "b9", 0, nullptr, ValueType::Bool, 9},
    {"b10", Family::Variable, "b10", 0, nullptr, ValueType::Bool, 10},
    {"b11", Family::Variable, "b11", 0, nullptr, ValueType::Bool, 11},
    {"and2", Family::Bool, "and", 2, "and", 0, 0},
    {"or2", Family::Bool, "or", 2, "or", 0, 0},
    {"nand2", Family::Bool, "nand", 2, "nand", 0, 0},
    {"nor2", Family::Bool, "nor", 2, "nor", 0, 0},
    {"not", Family::Bool, "not", 1, "not", 0, 0},
    {"if", Family::If, "if", 3, nullptr, 0, 0},
    {"iflte", Family::Iflte, "iflte", 4, nullptr, 0, 0},
    {"ifFoodAhead", Family::IfFoodAhead, "ifFoodAhead", 2, nullptr, 0, 0},
    {"moveForward0", Family::Robot, "moveForward", 0, "moveForward", 0, 0},
    {"moveForward1", Family::Robot, "moveForward", 1, "moveForward", 0, 0},
    {"moveBackward0", Family::Robot, "moveBackward", 0, "moveBackward", 0, 0},
    {"moveBackward1", Family::Robot, "moveBackward", 1, "moveBackward", 0, 0},
    {"moveLeft0", Family::Robot, "moveLeft", 0, "moveLeft", 0, 0},
    {"moveLeft1", Family::Robot, "moveLeft", 1, "moveLeft", 0, 0},
    {"moveLeft2", Family::Robot, "moveLeft", 2, "moveLeft", 0, 0},
    {"moveRight0", Family::Robot, "moveRight", 0, "moveRight", 0, 0},
    {"moveRight1", Family::Robot, "moveRight", 1, "moveRight", 0, 0},
    {"moveRight2", Family::Robot, "moveRight", 2, "moveRight", 0, 0},
    {"sensor", Family::Robot, "sensor", 1, "sensor", 0, 0},
    {"turnLeft0", Family::Robot, "turnLeft", 0, "turnLeft", 0, 0},
    {"turnLeft1", Family::Robot, "turnLeft", 1, "turnLeft", 0, 0},
    {"turnRight0", Family::Robot, "turnRight", 0, "turnRight", 0, 0},
    {"turnRight1", Family::Robot, "turnRight", 1, "turnRight", 0, 0},
};

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
  for (const WordRow& row : Words) {
    if (name != row.key) continue;
    switch (row.family) {
      case Family::Basic:
        return new BasicOperator(row.printedName, row.arity, Evaluating, basicFunctions.Get(row.function));
      case Family::Double:
        return new DoubleOperator(row.printedName, row.arity, Evaluating, doubleFunctions.Get(row.function));
      case Family::Bool:
        return new BoolOperator(row.printedName, row.arity, Evaluating, boolFunctions.Get(row.function));
      case Family::Robot:
        return new RobotOperator(row.printedName, row.arity, Evaluating, robotFunctions.Get(row.function));
      case Family::Variable:
        return new VariableOperator(row.printedName, row.valueType, row.index);
      case Family::If:
        return new IfOperator(row.printedName);
      case Family::Iflte:
        return new IflteOperator(row.printedName);
      case Family::IfFoodAhead:
        return new IfFoodAheadOperator(row.printedName);
    }
  }
  GetException()->FatalError("Operator can not be created", ClassNameOf(*this), "Create");
}
