#include "programs/CompiledProgram.h"

#include <typeinfo>

#include "programs/ConditionalOperator.h"
#include "programs/EvaluatingOperator.h"
#include "programs/Head.h"
#include "programs/HeadLispCode.h"
#include "programs/LispInterpreter.h"

namespace {
// Most arguments of an operator that the instructions compute themselves;
// larger calls go through the operator's own Operate.
constexpr int kMaxInlineArity = 8;

bool IsNumeric(int type) { return type == ValueType::Int || type == ValueType::Double; }

// The instruction code of an evaluating operator of the library with n
// arguments: a code the interpreter computes itself when the operator's
// function is one it knows exactly and n suits it, kOperate otherwise.
int BasicCode(BasicOperator* op, int n) {
  const std::type_info& f = typeid(*op->GetFunction());
  if (n > kMaxInlineArity) return CompiledProgram::kOperate;
  if (f == typeid(FunctionPlus)) return CompiledProgram::kPlus;
  if (f == typeid(FunctionSubtract) && n == 2) return CompiledProgram::kSubtract;
  if (f == typeid(FunctionTimes)) return CompiledProgram::kTimes;
  return CompiledProgram::kOperate;
}

int DoubleCode(DoubleOperator* op, int n) {
  const std::type_info& f = typeid(*op->GetFunction());
  if (n == 2) {
    if (f == typeid(FunctionDivide)) return CompiledProgram::kDivide;
    if (f == typeid(FunctionLog)) return CompiledProgram::kLog;
    if (f == typeid(FunctionPow)) return CompiledProgram::kPow;
  } else if (n == 1) {
    if (f == typeid(FunctionSin)) return CompiledProgram::kSin;
    if (f == typeid(FunctionCos)) return CompiledProgram::kCos;
    if (f == typeid(FunctionLn)) return CompiledProgram::kLn;
    if (f == typeid(FunctionExp)) return CompiledProgram::kExp;
  }
  return CompiledProgram::kOperate;
}

int BoolCode(BoolOperator* op, int n) {
  const std::type_info& f = typeid(*op->GetFunction());
  if (n > kMaxInlineArity) return CompiledProgram::kOperate;
  if (f == typeid(FunctionAnd)) return CompiledProgram::kAnd;
  if (f == typeid(FunctionOr)) return CompiledProgram::kOr;
  if (f == typeid(FunctionNand)) return CompiledProgram::kNand;
  if (f == typeid(FunctionNor)) return CompiledProgram::kNor;
  return CompiledProgram::kOperate;
}
}  // namespace

bool CompiledProgram::CompileCode(LispCode* code) {
  auto* tree = dynamic_cast<HeadLispCode*>(code);
  if (tree == nullptr || tree->GetRoot() == nullptr) return false;
  Compile(tree->GetRoot());
  return true;
}

void CompiledProgram::Compile(Head* r) {
  root = r;
  instructions.clear();
  nodes.clear();
  nodeCount = 0;
  nodeDepth = 0;
  valueBound = 0;
  pendingBound = 0;
  runnable = true;
  typed = true;
  allBool = true;
  hasConditional = false;
  intVariablesUsed = 0;
  doubleVariablesUsed = 0;
  resultType = Emit(root, 0, 0);
  instructions.push_back({kEnd, 0, 0, 0, 0.0, nullptr});
  if (resultType == 0) typed = false;
  nodeDepth = 0;
  if (IsTyped()) {
    int depth = 0;
    for (const Node& node : nodes) {
      depth += 1 - node.arity;
      if (depth > nodeDepth) nodeDepth = depth;
    }
  }
}

void CompiledProgram::AddNode(int code, int arity, int type, int index, int intValue, double doubleValue) {
  if (type == 0) typed = false;
  if (type != ValueType::Bool) allBool = false;
  if (typed) nodes.push_back({code, arity, type, index, intValue, doubleValue});
}

int CompiledProgram::Emit(Head* node, int base, int pending) {
  if (!runnable) return 0;
  ++nodeCount;
  Operator* op = node->GetOperator();
  int n = node->GetArity();
  // A node whose arity is not its operator's can only come from hand-made
  // trees; the tree walk shows what becomes of it.
  if (n != op->GetArity() || n < 0) {
    Refuse();
    return 0;
  }
  if (base + 1 > valueBound) valueBound = base + 1;
  const std::type_info& cls = typeid(*op);
  int kind = op->GetEvaluationKind();
  if (kind == EvaluationKind::NonEvaluating) {
    if (cls == typeid(IfOperator) && n == 3) return EmitConditional(node, kIf, base, pending);
    if (cls == typeid(IflteOperator) && n == 4) return EmitConditional(node, kIflte, base, pending);
    if (cls == typeid(IfFoodAheadOperator) && n == 2) return EmitConditional(node, kIfFoodAhead, base, pending);
    Refuse();
    return 0;
  }
  if (kind != EvaluationKind::Evaluating) {
    Refuse();
    return 0;
  }

  Instruction in{kOperate, n, 0, 0, 0.0, op};
  int type = 0;
  if (cls == typeid(IntNonArgOperator)) {
    if (auto* constant = dynamic_cast<IntConst*>(static_cast<IntNonArgOperator*>(op)->GetFunction())) {
      in.code = kIntConst;
      in.intValue = constant->GetValue();
      type = ValueType::Int;
    }
  } else if (cls == typeid(DoubleNonArgOperator)) {
    if (auto* constant = dynamic_cast<DoubleConst*>(static_cast<DoubleNonArgOperator*>(op)->GetFunction())) {
      in.code = kDoubleConst;
      in.doubleValue = constant->GetValue();
      type = ValueType::Double;
    }
  } else if (cls == typeid(VariableOperator)) {
    auto* variable = static_cast<VariableOperator*>(op);
    int index = variable->GetIndex();
    // Other indices and value types are reported by the operator itself.
    if (index >= 0 && index < LispInterpreter::VariableCount) {
      in.target = index;
      switch (variable->GetValueType()) {
        case ValueType::Int:
          in.code = kIntVariable;
          intVariablesUsed |= 1u << index;
          break;
        case ValueType::Double:
          in.code = kDoubleVariable;
          doubleVariablesUsed |= 1u << index;
          break;
        case ValueType::Bool:
          in.code = kBoolVariable;
          intVariablesUsed |= 1u << index;
          break;
        default:
          break;
      }
      if (in.code != kOperate) type = variable->GetValueType();
    }
  } else if (cls == typeid(BasicOperator)) {
    in.code = BasicCode(static_cast<BasicOperator*>(op), n);
  } else if (cls == typeid(DoubleOperator)) {
    in.code = DoubleCode(static_cast<DoubleOperator*>(op), n);
  } else if (cls == typeid(BoolOperator)) {
    in.code = BoolCode(static_cast<BoolOperator*>(op), n);
  } else if (cls != typeid(RobotOperator)) {
    // An operator class of its own: only the tree walk knows what it does.
    Refuse();
    return 0;
  }

  // The arguments, each evaluated with the values of those before it on the
  // stacks.
  bool allNumeric = true;
  bool allInt = true;
  bool allBoolArguments = true;
  for (int i = 0; i < n; ++i) {
    int argument = Emit(node->GetChild(i), base + i, pending);
    if (!IsNumeric(argument)) allNumeric = false;
    if (argument != ValueType::Int) allInt = false;
    if (argument != ValueType::Bool) allBoolArguments = false;
  }
  if (!runnable) return 0;

  switch (in.code) {
    case kPlus:
    case kSubtract:
    case kTimes:
      type = !allNumeric ? 0 : allInt ? ValueType::Int : ValueType::Double;
      break;
    case kDivide:
    case kSin:
    case kCos:
    case kLn:
    case kExp:
    case kLog:
    case kPow:
      type = allNumeric ? ValueType::Double : 0;
      break;
    case kAnd:
    case kOr:
    case kNand:
    case kNor:
      type = allBoolArguments ? ValueType::Bool : 0;
      break;
    case kOperate:
      // Its own Operate may do anything a robot can: never typed.
      type = 0;
      break;
    default:
      break;
  }
  instructions.push_back(in);
  AddNode(in.code, n, type, in.target, in.intValue, in.doubleValue);
  return type;
}

int CompiledProgram::EmitConditional(Head* node, int code, int base, int pending) {
  hasConditional = true;
  Operator* op = node->GetOperator();
  int n = node->GetArity();
  // The tree walk pushes every argument as pending before the operator
  // takes them one by one, first argument first; while argument i runs,
  // those after it are still pending.
  if (pending + n > pendingBound) pendingBound = pending + n;
  int type = 0;
  std::size_t test = 0;
  if (code == kIf) {
    int condition = Emit(node->GetChild(0), base, pending + 2);
    test = instructions.size();
    instructions.push_back({kIf, n, 0, 0, 0.0, op});
    int first = Emit(node->GetChild(1), base, pending + 1);
    std::size_t jump = instructions.size();
    instructions.push_back({kJump, 0, 0, 0, 0.0, op});
    instructions[test].target = static_cast<int>(instructions.size());
    int second = Emit(node->GetChild(2), base, pending);
    instructions[jump].target = static_cast<int>(instructions.size());
    bool conditionTyped = IsNumeric(condition) || condition == ValueType::Bool;
    type = conditionTyped && first != 0 && first == second ? first : 0;
  } else if (code == kIflte) {
    int a = Emit(node->GetChild(0), base, pending + 3);
    int b = Emit(node->GetChild(1), base + 1, pending + 2);
    test = instructions.size();
    instructions.push_back({kIflte, n, 0, 0, 0.0, op});
    int first = Emit(node->GetChild(2), base, pending + 1);
    std::size_t jump = instructions.size();
    instructions.push_back({kJump, 0, 0, 0, 0.0, op});
    instructions[test].target = static_cast<int>(instructions.size());
    int second = Emit(node->GetChild(3), base, pending);
    instructions[jump].target = static_cast<int>(instructions.size());
    type = IsNumeric(a) && IsNumeric(b) && first != 0 && first == second ? first : 0;
  } else {
    // The sensor is read before either branch runs.
    test = instructions.size();
    instructions.push_back({kIfFoodAhead, n, 0, 0, 0.0, op});
    Emit(node->GetChild(0), base, pending + 1);
    std::size_t jump = instructions.size();
    instructions.push_back({kJump, 0, 0, 0, 0.0, op});
    instructions[test].target = static_cast<int>(instructions.size());
    Emit(node->GetChild(1), base, pending);
    instructions[jump].target = static_cast<int>(instructions.size());
    type = 0;  // it reads a robot
  }
  if (!runnable) return 0;
  AddNode(code, n, type);
  return type;
}
