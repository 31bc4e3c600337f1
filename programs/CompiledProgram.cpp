#include "programs/CompiledProgram.h"

#include <typeinfo>

#include "programs/ConditionalOperator.h"
#include "programs/EvaluatingOperator.h"
#include "programs/Head.h"
#include "programs/HeadLispCode.h"
#include "programs/LispInterpreter.h"
#include "programs/RobotFunction.h"

namespace {
// Most arguments of an operator that the instructions compute themselves;
// larger calls go through the operator's own Operate.
constexpr int kMaxInlineArity = 8;

bool IsNumeric(int type) { return type == ValueType::Int || type == ValueType::Double; }

// The instruction code of an evaluating operator of the library with n
// arguments: a code the interpreter computes itself when the operator's
// function is one it knows exactly and n suits it, kOperate otherwise.
int BasicCode(BasicOperator* op, int n) {
  const auto& function = *op->GetFunction();
  const std::type_info& f = typeid(function);
  if (n > kMaxInlineArity) return CompiledProgram::kOperate;
  if (f == typeid(FunctionPlus)) return CompiledProgram::kPlus;
  if (f == typeid(FunctionSubtract) && n == 2) return CompiledProgram::kSubtract;
  if (f == typeid(FunctionTimes)) return CompiledProgram::kTimes;
  return CompiledProgram::kOperate;
}

int DoubleCode(DoubleOperator* op, int n) {
  const auto& function = *op->GetFunction();
  const std::type_info& f = typeid(function);
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

// A robot operator whose function is one of the library's, with an argument
// count that function takes: the action, else -1.
int RobotActionOf(RobotOperator* op, int n) {
  const auto& function = *op->GetFunction();
  const std::type_info& f = typeid(function);
  if (f == typeid(FunctionMoveForward) && n <= 1) return CompiledProgram::kMoveForward;
  if (f == typeid(FunctionMoveBackward) && n <= 1) return CompiledProgram::kMoveBackward;
  if (f == typeid(FunctionMoveLeft) && n <= 2) return CompiledProgram::kMoveLeft;
  if (f == typeid(FunctionMoveRight) && n <= 2) return CompiledProgram::kMoveRight;
  if (f == typeid(FunctionTurnLeft) && n <= 1) return CompiledProgram::kTurnLeft;
  if (f == typeid(FunctionTurnRight) && n <= 1) return CompiledProgram::kTurnRight;
  if (f == typeid(FunctionSensor) && n >= 1 && n <= 2) return CompiledProgram::kSensor;
  return -1;
}

int BoolCode(BoolOperator* op, int n) {
  const auto& function = *op->GetFunction();
  const std::type_info& f = typeid(function);
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

CompiledProgram::Classification CompiledProgram::Classify(Operator* op) {
  int n = op->GetArity();
  Classification result{Form::Refused, Instruction{kOperate, n, 0, 0, 0.0, op}, 0};
  Instruction& in = result.instruction;
  const std::type_info& cls = typeid(*op);
  int kind = op->GetEvaluationKind();
  if (kind == EvaluationKind::NonEvaluating) {
    if (cls == typeid(IfOperator) && n == 3) in.code = kIf;
    if (cls == typeid(IflteOperator) && n == 4) in.code = kIflte;
    if (cls == typeid(IfFoodAheadOperator) && n == 2) in.code = kIfFoodAhead;
    if (in.code != kOperate) result.form = Form::Conditional;
    return result;
  }
  if (kind != EvaluationKind::Evaluating) return result;

  result.form = Form::Evaluating;
  if (cls == typeid(IntNonArgOperator)) {
    if (auto* constant = dynamic_cast<IntConst*>(static_cast<IntNonArgOperator*>(op)->GetFunction())) {
      in.code = kIntConst;
      in.intValue = constant->GetValue();
      result.leafType = ValueType::Int;
    }
  } else if (cls == typeid(DoubleNonArgOperator)) {
    if (auto* constant = dynamic_cast<DoubleConst*>(static_cast<DoubleNonArgOperator*>(op)->GetFunction())) {
      in.code = kDoubleConst;
      in.doubleValue = constant->GetValue();
      result.leafType = ValueType::Double;
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
          break;
        case ValueType::Double:
          in.code = kDoubleVariable;
          break;
        case ValueType::Bool:
          in.code = kBoolVariable;
          break;
        default:
          break;
      }
      if (in.code != kOperate) result.leafType = variable->GetValueType();
    }
  } else if (cls == typeid(BasicOperator)) {
    in.code = BasicCode(static_cast<BasicOperator*>(op), n);
  } else if (cls == typeid(DoubleOperator)) {
    in.code = DoubleCode(static_cast<DoubleOperator*>(op), n);
  } else if (cls == typeid(BoolOperator)) {
    in.code = BoolCode(static_cast<BoolOperator*>(op), n);
  } else if (cls == typeid(RobotOperator)) {
    int action = RobotActionOf(static_cast<RobotOperator*>(op), n);
    if (action >= 0) {
      in.code = kRobot;
      in.target = action;
    }
  } else {
    // An operator class of its own: only the tree walk knows what it does.
    result.form = Form::Refused;
  }
  return result;
}

const CompiledProgram::Classification& CompiledProgram::ClassificationOf(Operator* op) {
  auto address = reinterpret_cast<std::uintptr_t>(op);
  std::size_t slot = (address >> 4 ^ address >> 12) % kKnownSlots;
  for (int probe = 0; probe < kKnownSlots; ++probe) {
    Known& entry = known[slot];
    if (entry.stamp != stamp) {
      entry.op = op;
      entry.stamp = stamp;
      entry.classification = Classify(op);
      return entry.classification;
    }
    if (entry.op == op) return entry.classification;
    slot = (slot + 1) % kKnownSlots;
  }
  // More distinct operators than slots: classified every time.
  unknown = Classify(op);
  return unknown;
}

void CompiledProgram::Reset(Head* r) {
  if (known.empty()) known.resize(kKnownSlots);
  // A new stamp forgets every remembered operator (the stamp wraps only
  // after four billion compiles; then the slots are cleared).
  if (++stamp == 0) {
    for (Known& entry : known) entry.stamp = 0;
    stamp = 1;
  }
  root = r;
  instructions.clear();
  instructionsMade = false;
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
  resultType = 0;
}

void CompiledProgram::Compile(Head* r) {
  Reset(r);
  resultType = Analyze(root, 0, 0);
  if (resultType == 0) typed = false;
  if (IsTyped()) {
    int depth = 0;
    for (const Node& node : nodes) {
      depth += 1 - node.arity;
      if (depth > nodeDepth) nodeDepth = depth;
    }
  }
}

const CompiledProgram::Instruction* CompiledProgram::GetInstructions() const {
  if (!instructionsMade && runnable) {
    // Made on first use: programs evaluated many cases at once never need
    // them. The tree is unchanged since Compile, and so are the
    // classifications remembered for its operators.
    auto* self = const_cast<CompiledProgram*>(this);
    self->Emit(root);
    self->instructions.push_back({kEnd, 0, 0, 0, 0.0, nullptr});
    self->instructionsMade = true;
  }
  return instructions.data();
}

void CompiledProgram::AddNode(int code, int arity, int type, int index, int intValue, double doubleValue) {
  if (type == 0) typed = false;
  if (type != ValueType::Bool) allBool = false;
  if (typed) nodes.push_back({code, arity, type, index, intValue, doubleValue});
}

int CompiledProgram::Analyze(Head* node, int base, int pending) {
  if (!runnable) return 0;
  ++nodeCount;
  node->PrefetchChildren();
  Operator* op = node->GetOperator();
  int n = node->GetArity();
  // A node whose arity is not its operator's can only come from hand-made
  // trees; the tree walk shows what becomes of it.
  if (n != op->GetArity() || n < 0) {
    Refuse();
    return 0;
  }
  if (base + 1 > valueBound) valueBound = base + 1;
  const Classification& form = ClassificationOf(op);
  switch (form.form) {
    case Form::Conditional:
      return AnalyzeConditional(node, form.instruction.code, base, pending);
    case Form::Refused:
      Refuse();
      return 0;
    default:
      break;
  }
  const Instruction& in = form.instruction;
  int type = form.leafType;
  if (in.code == kIntVariable || in.code == kBoolVariable) intVariablesUsed |= 1u << in.target;
  if (in.code == kDoubleVariable) doubleVariablesUsed |= 1u << in.target;

  // The arguments, each evaluated with the values of those before it on the
  // stacks.
  bool allNumeric = true;
  bool allInt = true;
  bool allBoolArguments = true;
  for (int i = 0; i < n; ++i) {
    int argument = Analyze(node->GetChild(i), base + i, pending);
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
    case kRobot:
    case kOperate:
      // A robot acts, and an operator's own Operate may do anything a robot
      // can: never typed.
      type = 0;
      break;
    default:
      break;
  }
  AddNode(in.code, n, type, in.target, in.intValue, in.doubleValue);
  return type;
}

int CompiledProgram::AnalyzeConditional(Head* node, int code, int base, int pending) {
  hasConditional = true;
  int n = node->GetArity();
  // The tree walk pushes every argument as pending before the operator
  // takes them one by one, first argument first; while argument i runs,
  // those after it are still pending.
  if (pending + n > pendingBound) pendingBound = pending + n;
  int type = 0;
  if (code == kIf) {
    int condition = Analyze(node->GetChild(0), base, pending + 2);
    int first = Analyze(node->GetChild(1), base, pending + 1);
    int second = Analyze(node->GetChild(2), base, pending);
    bool conditionTyped = IsNumeric(condition) || condition == ValueType::Bool;
    type = conditionTyped && first != 0 && first == second ? first : 0;
  } else if (code == kIflte) {
    int a = Analyze(node->GetChild(0), base, pending + 3);
    int b = Analyze(node->GetChild(1), base + 1, pending + 2);
    int first = Analyze(node->GetChild(2), base, pending + 1);
    int second = Analyze(node->GetChild(3), base, pending);
    type = IsNumeric(a) && IsNumeric(b) && first != 0 && first == second ? first : 0;
  } else {
    Analyze(node->GetChild(0), base, pending + 1);
    Analyze(node->GetChild(1), base, pending);
    type = 0;  // it reads a robot
  }
  if (!runnable) return 0;
  AddNode(code, n, type);
  return type;
}

void CompiledProgram::Emit(Head* node) {
  node->PrefetchChildren();
  const Classification& form = ClassificationOf(node->GetOperator());
  int n = node->GetArity();
  if (form.form != Form::Conditional) {
    for (int i = 0; i < n; ++i) Emit(node->GetChild(i));
    instructions.push_back(form.instruction);
    return;
  }
  // A conditional: a test that jumps to the branch after the first (the
  // else-branch, or ifFoodAhead's second argument), the first branch, and a
  // jump over the second. if and iflte evaluate their comparands first;
  // ifFoodAhead reads the sensor before either branch.
  int code = form.instruction.code;
  int comparands = code == kIf ? 1 : code == kIflte ? 2 : 0;
  for (int i = 0; i < comparands; ++i) Emit(node->GetChild(i));
  std::size_t test = instructions.size();
  instructions.push_back(form.instruction);
  Emit(node->GetChild(comparands));
  std::size_t jump = instructions.size();
  instructions.push_back({kJump, 0, 0, 0, 0.0, form.instruction.op});
  instructions[test].target = static_cast<int>(instructions.size());
  Emit(node->GetChild(comparands + 1));
  instructions[jump].target = static_cast<int>(instructions.size());
}

std::uint64_t* CompiledProgram::SlotWords(std::size_t slot) {
  while (sliceBuffers.size() <= slot) sliceBuffers.push_back(std::make_unique<std::array<std::uint64_t, 64>>());
  return sliceBuffers[slot]->data();
}

bool CompiledProgram::EvaluateBitSlices(Head* r, const std::uint64_t* const* variables, int words,
                                        std::uint64_t* result, int valueCapacity, int pendingCapacity) {
  Reset(r);
  // Nothing compiled: the tree walk is all that could run now.
  runnable = false;
  typed = false;
  allBool = false;
  sliceWords = words;
  sliceVariables = variables;
  if (words == 1) {
    std::uint64_t word = 0;
    if (!BitSlice(root, 0, 0, word) || valueBound > valueCapacity || pendingBound > pendingCapacity) return false;
    result[0] = word;
    return true;
  }
  const std::uint64_t* value = BitSlices(root, 0, 0, 0);
  if (value == nullptr || valueBound > valueCapacity || pendingBound > pendingCapacity) return false;
  for (int w = 0; w < words; ++w) result[w] = value[w];
  return true;
}

const std::uint64_t* CompiledProgram::BitSlices(Head* node, std::size_t slot, int base, int pending) {
  node->PrefetchChildren();
  ++nodeCount;
  Operator* op = node->GetOperator();
  int n = node->GetArity();
  if (n != op->GetArity() || n < 0) return nullptr;
  if (base + 1 > valueBound) valueBound = base + 1;
  const Classification& form = ClassificationOf(op);
  const int words = sliceWords;
  if (form.form == Form::Conditional) {
    if (form.instruction.code != kIf) return nullptr;
    hasConditional = true;
    if (pending + 3 > pendingBound) pendingBound = pending + 3;
    // As the tree walk runs it: the condition, then either branch with the
    // pending arguments after it; every case computes both branches.
    const std::uint64_t* c = BitSlices(node->GetChild(0), slot, base, pending + 2);
    if (c == nullptr) return nullptr;
    const std::uint64_t* t = BitSlices(node->GetChild(1), slot + 1, base, pending + 1);
    if (t == nullptr) return nullptr;
    const std::uint64_t* e = BitSlices(node->GetChild(2), slot + 2, base, pending);
    if (e == nullptr) return nullptr;
    std::uint64_t* out = SlotWords(slot);
    for (int w = 0; w < words; ++w) out[w] = (c[w] & t[w]) | (~c[w] & e[w]);
    return out;
  }
  if (form.form != Form::Evaluating) return nullptr;
  int code = form.instruction.code;
  if (code == kBoolVariable) return sliceVariables[form.instruction.target];
  if (code != kAnd && code != kOr && code != kNand && code != kNor) return nullptr;
  const std::uint64_t* arguments[8];
  for (int i = 0; i < n; ++i) {
    arguments[i] = BitSlices(node->GetChild(i), slot + static_cast<std::size_t>(i), base + i, pending);
    if (arguments[i] == nullptr) return nullptr;
  }
  std::uint64_t* out = SlotWords(slot);
  bool all = code == kAnd || code == kNand;
  std::uint64_t flip = code == kNand || code == kNor ? ~0ULL : 0ULL;
  if (n == 2) {
    const std::uint64_t* a = arguments[0];
    const std::uint64_t* b = arguments[1];
    if (all) {
      for (int w = 0; w < words; ++w) out[w] = (a[w] & b[w]) ^ flip;
    } else {
      for (int w = 0; w < words; ++w) out[w] = (a[w] | b[w]) ^ flip;
    }
    return out;
  }
  for (int w = 0; w < words; ++w) {
    std::uint64_t v = all ? ~0ULL : 0ULL;
    for (int i = 0; i < n; ++i) v = all ? v & arguments[i][w] : v | arguments[i][w];
    out[w] = v ^ flip;
  }
  return out;
}

bool CompiledProgram::BitSlice(Head* node, int base, int pending, std::uint64_t& value) {
  node->PrefetchChildren();
  Operator* op = node->GetOperator();
  int n = node->GetArity();
  if (n != op->GetArity() || n < 0) return false;
  if (base + 1 > valueBound) valueBound = base + 1;
  const Classification& form = ClassificationOf(op);
  if (form.form == Form::Conditional) {
    if (form.instruction.code != kIf) return false;
    if (pending + 3 > pendingBound) pendingBound = pending + 3;
    std::uint64_t c = 0, t = 0, e = 0;
    if (!BitSlice(node->GetChild(0), base, pending + 2, c) || !BitSlice(node->GetChild(1), base, pending + 1, t) ||
        !BitSlice(node->GetChild(2), base, pending, e)) {
      return false;
    }
    value = (c & t) | (~c & e);
    return true;
  }
  if (form.form != Form::Evaluating) return false;
  int code = form.instruction.code;
  if (code == kBoolVariable) {
    const std::uint64_t* words = sliceVariables[form.instruction.target];
    if (words == nullptr) return false;
    value = words[0];
    return true;
  }
  if (code != kAnd && code != kOr && code != kNand && code != kNor) return false;
  bool all = code == kAnd || code == kNand;
  std::uint64_t combined = all ? ~0ULL : 0ULL;
  for (int i = 0; i < n; ++i) {
    std::uint64_t argument = 0;
    if (!BitSlice(node->GetChild(i), base + i, pending, argument)) return false;
    combined = all ? combined & argument : combined | argument;
  }
  value = code == kNand || code == kNor ? ~combined : combined;
  return true;
}
