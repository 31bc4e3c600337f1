// The one definition of the operators: the operations that programs are made
// of (the instruction code of each, the operator class that performs it, the
// kernels that compute it, its arity and value types, and the evaluation
// paths that run it), and the words of the node-set table that make
// operators of them. Operators, function registers, the compiled forms and
// every evaluator take what they know of an operator from here.
#pragma once

#include <climits>
#include <cstdint>
#include <string_view>

// The operator class that performs an operation; for the classes over a
// function object also the function register the object comes from.
enum class Family : std::uint8_t {
  IntNonArg,     // IntNonArgOperator
  DoubleNonArg,  // DoubleNonArgOperator
  Variable,      // VariableOperator
  Basic,         // BasicOperator over the BasicFunctionRegister's functions
  Double,        // DoubleOperator over the DoubleFunctionRegister's
  Bool,          // BoolOperator over the BoolFunctionRegister's
  Robot,         // RobotOperator over the RobotFunctionRegister's
  If,            // IfOperator
  Iflte,         // IflteOperator
  IfFoodAhead,   // IfFoodAheadOperator
  Other,         // any operator class
};

// How an operation's value type follows from its arguments' types.
enum class Typing : std::uint8_t {
  Int,     // a leaf: an int
  Double,  // a leaf: a double
  Bool,    // a leaf: a bool
  Widest,  // numeric arguments: an int when every one is an int, else a double
  Real,    // numeric arguments, ints widened: a double
  Logic,   // bool arguments: a bool
  Action,  // numeric arguments, ints widened: the robot acts, then a double
  Branch,  // the value of the branch taken (the last two arguments are the branches)
  Any,     // whatever the operator's own Operate leaves
};

// The evaluation paths an operation takes besides the tree walk, as bits.
namespace FastPath {
inline constexpr unsigned Compiled = 1;     // the interpreter's instruction loop, case by case
inline constexpr unsigned CaseVectors = 2;  // CaseVectorEvaluator: every case of a node at once
inline constexpr unsigned BitSlices = 4;    // BitSliceEvaluator: 64 bool cases per machine word
inline constexpr unsigned Numeric = Compiled | CaseVectors;
inline constexpr unsigned Boolean = Compiled | CaseVectors | BitSlices;
}  // namespace FastPath

// Most arguments a node may have for the compiled forms to compute it
// themselves; calls with more go through the operator's own Operate.
inline constexpr int kMostInlineArguments = 8;

// The operations, one row each:
//   X(code, family, kernel, fewest arguments, most arguments, typing, paths)
// code names the instruction (OpCode::code). kernel is the class whose
// static functions compute the operation on every path, the tree walk's
// Operate included; void where the instruction is all there is. A node whose
// argument count lies outside the bounds runs its operator's own Operate.
// Operate is that call; TreeOnly marks operators that only the tree walk may
// run (classes the compiled forms do not know, and the words so marked).
#define MORVANE2_OPERATIONS(X)                                                             \
  X(IntConst, IntNonArg, void, 0, 0, Int, FastPath::Numeric)                               \
  X(DoubleConst, DoubleNonArg, void, 0, 0, Double, FastPath::Numeric)                      \
  X(IntVariable, Variable, void, 0, 0, Int, FastPath::Numeric)                             \
  X(DoubleVariable, Variable, void, 0, 0, Double, FastPath::Numeric)                       \
  X(BoolVariable, Variable, void, 0, 0, Bool, FastPath::Boolean)                           \
  X(Plus, Basic, FunctionPlus, 0, kMostInlineArguments, Widest, FastPath::Numeric)         \
  X(Subtract, Basic, FunctionSubtract, 2, 2, Widest, FastPath::Numeric)                    \
  X(Times, Basic, FunctionTimes, 0, kMostInlineArguments, Widest, FastPath::Numeric)       \
  X(Divide, Double, FunctionDivide, 2, 2, Real, FastPath::Numeric)                         \
  X(Sin, Double, FunctionSin, 1, 1, Real, FastPath::Numeric)                               \
  X(Cos, Double, FunctionCos, 1, 1, Real, FastPath::Numeric)                               \
  X(Ln, Double, FunctionLn, 1, 1, Real, FastPath::Numeric)                                 \
  X(Exp, Double, FunctionExp, 1, 1, Real, FastPath::Numeric)                               \
  X(Log, Double, FunctionLog, 2, 2, Real, FastPath::Numeric)                               \
  X(Pow, Double, FunctionPow, 2, 2, Real, FastPath::Numeric)                               \
  X(And, Bool, FunctionAnd, 0, kMostInlineArguments, Logic, FastPath::Boolean)             \
  X(Or, Bool, FunctionOr, 0, kMostInlineArguments, Logic, FastPath::Boolean)               \
  X(Nand, Bool, FunctionNand, 0, kMostInlineArguments, Logic, FastPath::Boolean)           \
  X(Nor, Bool, FunctionNor, 0, kMostInlineArguments, Logic, FastPath::Boolean)             \
  X(MoveForward, Robot, FunctionMoveForward, 0, 1, Action, FastPath::Compiled)             \
  X(MoveBackward, Robot, FunctionMoveBackward, 0, 1, Action, FastPath::Compiled)           \
  X(MoveLeft, Robot, FunctionMoveLeft, 0, 2, Action, FastPath::Compiled)                   \
  X(MoveRight, Robot, FunctionMoveRight, 0, 2, Action, FastPath::Compiled)                 \
  X(TurnLeft, Robot, FunctionTurnLeft, 0, 1, Action, FastPath::Compiled)                   \
  X(TurnRight, Robot, FunctionTurnRight, 0, 1, Action, FastPath::Compiled)                 \
  X(Sensor, Robot, FunctionSensor, 1, 2, Action, FastPath::Compiled)                       \
  X(If, If, IfOperator, 3, 3, Branch, FastPath::Boolean)                                   \
  X(Iflte, Iflte, IflteOperator, 4, 4, Branch, FastPath::Numeric)                          \
  X(IfFoodAhead, IfFoodAhead, IfFoodAheadOperator, 2, 2, Branch, FastPath::Compiled)       \
  X(Operate, Other, void, 0, INT_MAX, Any, FastPath::Compiled)                             \
  X(TreeOnly, Other, void, -1, INT_MAX, Any, 0u)

// Instructions that are no operation: the jump over a conditional's second
// branch, and the end of the list.
#define MORVANE2_FLOW(X) X(Jump) X(End)

// The instruction codes: the operations, then the flow instructions.
enum class OpCode : std::uint8_t {
#define MORVANE2_OPCODE(code, ...) code,
  MORVANE2_OPERATIONS(MORVANE2_OPCODE) MORVANE2_FLOW(MORVANE2_OPCODE)
#undef MORVANE2_OPCODE
};

// An operation's row of the table.
struct Operation {
  std::string_view name;
  Family family;
  int fewest;
  int most;
  Typing typing;
  unsigned paths;

  bool Takes(unsigned path) const { return (paths & path) != 0; }
};

inline constexpr Operation kOperations[] = {
#define MORVANE2_OPERATION_ROW(code, family, kernel, fewest, most, typing, paths) \
  {#code, Family::family, fewest, most, Typing::typing, paths},
#define MORVANE2_FLOW_ROW(code) {#code, Family::Other, 0, 0, Typing::Any, 0u},
    MORVANE2_OPERATIONS(MORVANE2_OPERATION_ROW) MORVANE2_FLOW(MORVANE2_FLOW_ROW)
#undef MORVANE2_OPERATION_ROW
#undef MORVANE2_FLOW_ROW
};

constexpr const Operation& OperationOf(OpCode code) { return kOperations[static_cast<int>(code)]; }

// The value type code (1 int, 2 double, 4 bool) of a leaf operation, 0 for
// any other.
constexpr int LeafTypeOf(OpCode code) {
  switch (OperationOf(code).typing) {
    case Typing::Int:
      return 1;
    case Typing::Double:
      return 2;
    case Typing::Bool:
      return 4;
    case Typing::Widest:
    case Typing::Real:
    case Typing::Logic:
    case Typing::Action:
    case Typing::Branch:
    case Typing::Any:
      break;
  }
  return 0;
}

// A word of the node-set table and the operator it makes.
struct OperatorWord {
  std::string_view key;      // as written in the table file
  std::string_view printed;  // the operator's name in printed programs
  int arity;                 // -1: any number of arguments
  OpCode operation;
  std::string_view function;  // the key of its function object in its family's register
  int index;                  // a variable's index
  // Never compiled: the operator runs its own Operate, on the tree walk
  // only. Variable-arity operators make no tree nodes; they run in flat
  // programs alone.
  bool treeOnly;
};

namespace word_rows {
constexpr OperatorWord Function(std::string_view key, std::string_view printed, int arity, OpCode operation,
                        std::string_view function) {
  return {key, printed, arity, operation, function, 0, false};
}
constexpr OperatorWord AnyArity(std::string_view key, std::string_view printed, OpCode operation,
                        std::string_view function) {
  return {key, printed, -1, operation, function, 0, true};
}
constexpr OperatorWord Variable(std::string_view key, std::string_view printed, OpCode operation, int index) {
  return {key, printed, 0, operation, {}, index, false};
}
constexpr OperatorWord Conditional(std::string_view key, OpCode operation) {
  return {key, key, OperationOf(operation).fewest, operation, {}, 0, false};
}
}  // namespace word_rows

// The words. Names made only of digits, with at most one '.' after the
// first character and an optional leading '-', are literals and never
// looked up here: they make int and double constants. The printed name may
// differ from the key: "Plus2" prints as "Plus", "i2" as "x2".
inline constexpr OperatorWord kWords[] = {
    word_rows::AnyArity("+", "+", OpCode::Plus, "Plus"),
    word_rows::AnyArity("Plus", "Plus", OpCode::Plus, "Plus"),
    word_rows::Function("Plus2", "Plus", 2, OpCode::Plus, "Plus"),
    word_rows::Function("Subtract", "Subtract", 2, OpCode::Subtract, "Subtract"),
    word_rows::AnyArity("*", "Times", OpCode::Times, "Times"),
    word_rows::AnyArity("Times", "Times", OpCode::Times, "Times"),
    word_rows::Function("Times2", "Times", 2, OpCode::Times, "Times"),
    // Prog sequences actions: the product of what they return.
    word_rows::AnyArity("Prog", "Prog", OpCode::Times, "Prog"),
    word_rows::Function("Prog2", "Prog2", 2, OpCode::Times, "Prog"),
    word_rows::Function("divide", "divide", 2, OpCode::Divide, "divide"),
    word_rows::Function("Sin", "Sin", 1, OpCode::Sin, "Sin"),
    word_rows::Function("Cos", "Cos", 1, OpCode::Cos, "Cos"),
    word_rows::Function("ln", "ln", 1, OpCode::Ln, "ln"),
    word_rows::Function("Exp", "Exp", 1, OpCode::Exp, "Exp"),
    word_rows::Function("log", "log", 2, OpCode::Log, "log"),
    word_rows::Function("pow", "pow", 2, OpCode::Pow, "pow"),
    word_rows::Variable("x0", "x0", OpCode::DoubleVariable, 0),
    word_rows::Variable("x1", "x1", OpCode::DoubleVariable, 1),
    word_rows::Variable("x2", "x2", OpCode::DoubleVariable, 2),
    word_rows::Variable("x3", "x3", OpCode::DoubleVariable, 3),
    word_rows::Variable("x4", "x4", OpCode::DoubleVariable, 4),
    word_rows::Variable("x5", "x5", OpCode::DoubleVariable, 5),
    word_rows::Variable("x6", "x6", OpCode::DoubleVariable, 6),
    word_rows::Variable("i0", "x0", OpCode::IntVariable, 0),
    word_rows::Variable("i1", "x1", OpCode::IntVariable, 1),
    word_rows::Variable("i2", "x2", OpCode::IntVariable, 2),
    word_rows::Variable("i3", "x3", OpCode::IntVariable, 3),
    word_rows::Variable("i4", "x4", OpCode::IntVariable, 4),
    word_rows::Variable("i5", "x5", OpCode::IntVariable, 5),
    word_rows::Variable("b0", "b0", OpCode::BoolVariable, 0),
    word_rows::Variable("b1", "b1", OpCode::BoolVariable, 1),
    word_rows::Variable("b2", "b2", OpCode::BoolVariable, 2),
    word_rows::Variable("b3", "b3", OpCode::BoolVariable, 3),
    word_rows::Variable("b4", "b4", OpCode::BoolVariable, 4),
    word_rows::Variable("b5", "b5", OpCode::BoolVariable, 5),
    word_rows::Variable("b6", "b6", OpCode::BoolVariable, 6),
    word_rows::Variable("b7", "b7", OpCode::BoolVariable, 7),
    word_rows::Variable("b8", "b8", OpCode::BoolVariable, 8),
    word_rows::Variable("b9", "b9", OpCode::BoolVariable, 9),
    word_rows::Variable("b10", "b10", OpCode::BoolVariable, 10),
    word_rows::Variable("b11", "b11", OpCode::BoolVariable, 11),
    word_rows::Function("and2", "and", 2, OpCode::And, "and"),
    word_rows::Function("or2", "or", 2, OpCode::Or, "or"),
    word_rows::Function("nand2", "nand", 2, OpCode::Nand, "nand"),
    word_rows::Function("nor2", "nor", 2, OpCode::Nor, "nor"),
    // nor over one argument is the negation.
    word_rows::Function("not", "not", 1, OpCode::Nor, "not"),
    word_rows::Conditional("if", OpCode::If),
    word_rows::Conditional("iflte", OpCode::Iflte),
    word_rows::Conditional("ifFoodAhead", OpCode::IfFoodAhead),
    word_rows::Function("moveForward0", "moveForward", 0, OpCode::MoveForward, "moveForward"),
    word_rows::Function("moveForward1", "moveForward", 1, OpCode::MoveForward, "moveForward"),
    word_rows::Function("moveBackward0", "moveBackward", 0, OpCode::MoveBackward, "moveBackward"),
    word_rows::Function("moveBackward1", "moveBackward", 1, OpCode::MoveBackward, "moveBackward"),
    word_rows::Function("moveLeft0", "moveLeft", 0, OpCode::MoveLeft, "moveLeft"),
    word_rows::Function("moveLeft1", "moveLeft", 1, OpCode::MoveLeft, "moveLeft"),
    word_rows::Function("moveLeft2", "moveLeft", 2, OpCode::MoveLeft, "moveLeft"),
    word_rows::Function("moveRight0", "moveRight", 0, OpCode::MoveRight, "moveRight"),
    word_rows::Function("moveRight1", "moveRight", 1, OpCode::MoveRight, "moveRight"),
    word_rows::Function("moveRight2", "moveRight", 2, OpCode::MoveRight, "moveRight"),
    word_rows::Function("sensor", "sensor", 1, OpCode::Sensor, "sensor"),
    word_rows::Function("turnLeft0", "turnLeft", 0, OpCode::TurnLeft, "turnLeft"),
    word_rows::Function("turnLeft1", "turnLeft", 1, OpCode::TurnLeft, "turnLeft"),
    word_rows::Function("turnRight0", "turnRight", 0, OpCode::TurnRight, "turnRight"),
    word_rows::Function("turnRight1", "turnRight", 1, OpCode::TurnRight, "turnRight"),
};

// The row of a word, or null.
constexpr const OperatorWord* FindWord(std::string_view key) {
  for (const OperatorWord& word : kWords) {
    if (word.key == key) return &word;
  }
  return nullptr;
}
