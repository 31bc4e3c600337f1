#include "programs/LispInterpreter.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <type_traits>

#include "foundation/Exception.h"
#include "programs/Kernels.h"

namespace {
[[noreturn, gnu::cold, gnu::noinline]] void ReportOperatorType(const Operator* op) {
  GetException()->LispInterpretationError("type error", ClassNameOf(*op), "Operate");
}

[[noreturn, gnu::cold, gnu::noinline]] void ReportNoRobot(const Operator* op) {
  GetException()->FatalError("no robot is set", ClassNameOf(*op), "Operate");
}

inline bool IsNumericType(int type) { return type == ValueType::Int || type == ValueType::Double; }
}  // namespace

LispInterpreter::LispInterpreter()
    : intVariables(VariableCount),
      doubleVariables(VariableCount),
      // A quarter of a megabyte, of which a run uses the first few
      // elements, and many problems (those evaluated a machine word of
      // cases at a time) none at all.
      boolStack(ValueCapacity, ArrayOnDemand{}),
      intStack(ValueCapacity, ArrayOnDemand{}),
      doubleStack(ValueCapacity, ArrayOnDemand{}),
      typeStack(TypeCapacity, ArrayOnDemand{}),
      pendingNodes(PendingCapacity),
      pendingIndices(PendingCapacity),
      pendingCodes(PendingCapacity),
      pendingKind(0),
      robot(nullptr),
      argumentTypes(ArgumentCapacity),
      intArguments(ArgumentCapacity),
      doubleArguments(ArgumentCapacity) {
  argumentTypes.Fill(0);
  intVariables.Fill(0);
  doubleVariables.Fill(0.0);
}

LispInterpreter::~LispInterpreter() = default;

void LispInterpreter::Evaluate(Head* node) { EvaluateTree(node); }

void LispInterpreter::Evaluate(OperatorArray* code, int index) { EvaluateFlat(code, index, false); }

void LispInterpreter::EvaluateTree(Head* node) {
  // The node's operator is called directly rather than through the node's
  // Operate, which makes the same call: one indirect call per node.
  Operator* op = node->GetOperator();
  int n = node->GetArity();
  int kind = op->GetEvaluationKind();
  if (kind == EvaluationKind::Evaluating) {
    for (int i = 0; i < n; ++i) EvaluateTree(node->GetChild(i));
  } else if (kind == EvaluationKind::NonEvaluating) {
    // Last argument first, so that the first one ends on top.
    for (int i = n - 1; i >= 0; --i) {
      pendingNodes.Add(node->GetChild(i));
      pendingKind = PendingNodes;
    }
  } else {
    ReportTypeError();
  }
  op->Operate(this, n);
}

int LispInterpreter::EvaluateFlat(OperatorArray* code, int index, bool wantEnd) {
  Operator* op = code->Get(index);
  int n = op->GetArity();
  int kind = op->GetEvaluationKind();
  int j = index + 1;
  if (kind == EvaluationKind::Evaluating) {
    for (int m = 0; m < n; ++m) j = EvaluateFlat(code, j, true);
    op->Operate(this);
    return j;
  }
  if (kind != EvaluationKind::NonEvaluating) ReportTypeError();
  // The argument starts go on the pending stacks first to last and are then
  // turned round, so that the first argument ends on top.
  int base = pendingIndices.Size();
  for (int m = 0; m < n; ++m) {
    if (m > 0) j = SkipSubtree(code, j);
    pendingIndices.Add(j);
    pendingCodes.Add(code);
    pendingKind = PendingPositions;
  }
  if (n > 1) std::reverse(pendingIndices.Data() + base, pendingIndices.Data() + pendingIndices.Size());
  op->Operate(this);
  if (!wantEnd) return -1;
  return n > 0 ? SkipSubtree(code, j) : j;
}

bool LispInterpreter::CanRunCompiled(const CompiledProgram& program) const {
  if (!program.IsRunnable()) return false;
  // The instruction loop pushes without checks: the stacks must have room for
  // every value the tree walk could hold, and the pending nodes for every
  // argument it would make pending (the loop itself makes none).
  return HasRoomFor(program.GetValueBound(), program.GetPendingBound());
}

bool LispInterpreter::HasRoomFor(int values, int pending) const {
  return typeStack.Size() + values <= TypeCapacity && intStack.Size() + values <= ValueCapacity &&
         doubleStack.Size() + values <= ValueCapacity && boolStack.Size() + values <= ValueCapacity &&
         pendingNodes.Size() + pending <= PendingCapacity;
}

void LispInterpreter::EvaluateCompiled(const CompiledProgram& program) {
  if (CanRunCompiled(program)) {
    RunCompiled<false>(program);
  } else {
    Evaluate(program.GetRoot());
  }
}

const Action* LispInterpreter::ActionsToRun(const CompiledProgram& program) {
  // Without a robot, or where the stacks could overflow, the ordinary run
  // reports as it should.
  const ActionList* list = robot != nullptr && CanRunCompiled(program) ? program.GetActions() : nullptr;
  return list != nullptr ? ActionsToRun(*list) : nullptr;
}

const Action* LispInterpreter::ActionsToRun(const ActionList& list) {
  // The list counts the same room as the compiled program.
  if (robot == nullptr || list.Size() == 0 || !HasRoomFor(list.GetValueBound(), list.GetPendingBound())) {
    return nullptr;
  }
  // As the instruction loop would, for a program that tests for food.
  if (list.HasTests()) pendingKind = PendingNodes;
  return list.Data();
}

void LispInterpreter::EvaluateForEffects(const CompiledProgram& program) {
  const Action* actions = ActionsToRun(program);
  if (actions == nullptr) {
    EvaluateCompiled(program);
    return;
  }
  Robot* r = robot;
  if (r->RunActions(actions)) return;
  int pc = 0;
  for (;;) {
    const Action& action = actions[pc];
    pc = action.next;
    switch (action.code) {
      case ActionCode::MoveForward:
        r->MoveForward();
        break;
      case ActionCode::MoveBackward:
        r->MoveBackward();
        break;
      case ActionCode::MoveLeft:
        r->MoveLeft();
        break;
      case ActionCode::MoveRight:
        r->MoveRight();
        break;
      case ActionCode::TurnLeft:
        r->TurnLeft();
        break;
      case ActionCode::TurnRight:
        r->TurnRight();
        break;
      case ActionCode::TestFood:
        if (!Kernel<OpCode::IfFoodAhead>::RunsFirst(*r)) pc = action.otherwise;
        break;
      case ActionCode::Jump:
        break;
      case ActionCode::End:
        return;
    }
  }
}

bool LispInterpreter::EvaluateCounting(const CompiledProgram& program, long long& executed) {
  if (!CanRunCompiled(program)) {
    Evaluate(program.GetRoot());
    return false;
  }
  executed += RunCompiled<true>(program);
  return true;
}

// The instruction loop uses the GNU extension of labels as values (computed
// goto) for its dispatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
template <bool Counting>
long long LispInterpreter::RunCompiled(const CompiledProgram& program) {
  const Instruction* code = program.GetInstructions();
  // The stack tops, kept in locals and written back before an operator's own
  // Operate runs and at the end.
  int* types = typeStack.Data() + typeStack.Size();
  int* ints = intStack.Data() + intStack.Size();
  double* doubles = doubleStack.Data() + doubleStack.Size();
  int* bools = boolStack.Data() + boolStack.Size();
  // The tops are passed by value, so that they can stay in registers.
  auto store = [this](const int* t, const int* i, const double* d, const int* b) {
    typeStack.SetSize(static_cast<int>(t - typeStack.Data()));
    intStack.SetSize(static_cast<int>(i - intStack.Data()));
    doubleStack.SetSize(static_cast<int>(d - doubleStack.Data()));
    boolStack.SetSize(static_cast<int>(b - boolStack.Data()));
  };
  const int* intVars = intVariables.Data();
  const double* doubleVars = doubleVariables.Data();
  const Instruction* at = code;
  // Pops the n numeric arguments (types already popped into t) widened to
  // doubles, first argument first.
  auto widen = [&](const int* t, int n, double* v) __attribute__((always_inline)) {
    int intCount = 0;
    for (int i = 0; i < n; ++i) intCount += t[i] == ValueType::Int ? 1 : 0;
    ints -= intCount;
    doubles -= n - intCount;
    const int* ip = ints;
    const double* dp = doubles;
    for (int i = 0; i < n; ++i) v[i] = t[i] == ValueType::Int ? static_cast<double>(*ip++) : *dp++;
  };
  // Pops the instruction's type codes, which must all be numeric; returns
  // whether all are ints.
  auto numericTypes = [&]() __attribute__((always_inline)) {
    int n = at->arity;
    types -= n;
    bool bad = false;
    int seen = 0;
    for (int i = 0; i < n; ++i) {
      bad |= !IsNumericType(types[i]);
      seen |= types[i];
    }
    if (bad) ReportOperatorType(at->op);
    return (seen & ValueType::Double) == 0;
  };
  // The handlers' bodies by kind of operation, each computing with the
  // kernels of the operation c (a std::integral_constant of its code).
  // Numeric arguments: ints in, an int out, else widened to doubles.
  auto widest = [&](auto c) __attribute__((always_inline)) {
    using K = Kernel<decltype(c)::value>;
    int n = at->arity;
    if (n == 2 && types[-1] == types[-2] && IsNumericType(types[-1])) {
      // Two ints or two doubles: the common case, without the loops.
      --types;
      if (types[-1] == ValueType::Int) {
        int y = *--ints;
        ints[-1] = K::Of(ints[-1], y);
      } else {
        double y = *--doubles;
        doubles[-1] = K::Of(doubles[-1], y);
      }
    } else if (numericTypes()) {
      ints -= n;
      int result = K::Of(ints, n);
      *ints++ = result;
      *types++ = ValueType::Int;
    } else {
      double v[kMostInlineArguments];
      widen(types, n, v);
      *doubles++ = K::Of(v, n);
      *types++ = ValueType::Double;
    }
  };
  // Numeric arguments widened: a double out.
  auto real = [&](auto c) __attribute__((always_inline)) {
    using K = Kernel<decltype(c)::value>;
    constexpr int n = OperationOf(decltype(c)::value).most;
    numericTypes();
    double v[n];
    widen(types, n, v);
    if constexpr (n == 1) {
      *doubles++ = K::Of(v[0]);
    } else {
      *doubles++ = K::Of(v[0], v[1]);
    }
    *types++ = ValueType::Double;
  };
  // Bool arguments, a bool out.
  auto logic = [&](auto c) __attribute__((always_inline)) {
    using K = Kernel<decltype(c)::value>;
    int n = at->arity;
    types -= n;
    bool bad = false;
    for (int i = 0; i < n; ++i) bad |= types[i] != ValueType::Bool;
    if (bad) ReportOperatorType(at->op);
    bools -= n;
    int result = K::Of(bools, n);
    *bools++ = result;
    *types++ = ValueType::Bool;
  };
  // As RobotOperator::Operate with the library's functions: arguments
  // checked and widened, the robot checked, then the action.
  auto act = [&](auto c) __attribute__((always_inline)) {
    using K = Kernel<decltype(c)::value>;
    int n = at->arity;
    double v[2] = {0.0, 0.0};
    if (n > 0) {
      numericTypes();
      widen(types, n, v);
    }
    Robot* r = robot;
    if (r == nullptr) ReportNoRobot(at->op);
    *doubles++ = K::Act(*r, v, n);
    *types++ = ValueType::Double;
  };
#define MORVANE2_CODE(operation) std::integral_constant<OpCode, OpCode::operation>{}

  long long executed = 0;
  int pc = 0;
  // Threaded dispatch: every handler ends with a jump of its own to the
  // next instruction's handler (predicted far better than one shared jump).
  // One handler per instruction code, labelled with the code's name.
  static const void* const handlers[] = {
#define MORVANE2_HANDLER(operation, ...) &&operation,
      MORVANE2_OPERATIONS(MORVANE2_HANDLER) MORVANE2_FLOW(MORVANE2_HANDLER)
#undef MORVANE2_HANDLER
  };
  static_assert(std::size(handlers) == static_cast<std::size_t>(OpCode::End) + 1,
                "a handler per instruction code");
#define MORVANE2_NEXT                                                              \
  do {                                                                             \
    at = code + pc++;                                                              \
    if constexpr (Counting) {                                                      \
      if (at->code != OpCode::Jump && at->code != OpCode::End) ++executed;         \
    }                                                                              \
    goto* handlers[static_cast<int>(at->code)];                                    \
  } while (false)
  MORVANE2_NEXT;
  {
  IntConst:
    *ints++ = at->intValue;
    *types++ = ValueType::Int;
    MORVANE2_NEXT;
  DoubleConst:
    *doubles++ = at->doubleValue;
    *types++ = ValueType::Double;
    MORVANE2_NEXT;
  IntVariable:
    *ints++ = intVars[at->target];
    *types++ = ValueType::Int;
    MORVANE2_NEXT;
  DoubleVariable:
    *doubles++ = doubleVars[at->target];
    *types++ = ValueType::Double;
    MORVANE2_NEXT;
  BoolVariable:
    *bools++ = intVars[at->target];
    *types++ = ValueType::Bool;
    MORVANE2_NEXT;
  Plus:
    widest(MORVANE2_CODE(Plus));
    MORVANE2_NEXT;
  Subtract:
    widest(MORVANE2_CODE(Subtract));
    MORVANE2_NEXT;
  Times:
    widest(MORVANE2_CODE(Times));
    MORVANE2_NEXT;
  Divide:
    real(MORVANE2_CODE(Divide));
    MORVANE2_NEXT;
  Sin:
    real(MORVANE2_CODE(Sin));
    MORVANE2_NEXT;
  Cos:
    real(MORVANE2_CODE(Cos));
    MORVANE2_NEXT;
  Ln:
    real(MORVANE2_CODE(Ln));
    MORVANE2_NEXT;
  Exp:
    real(MORVANE2_CODE(Exp));
    MORVANE2_NEXT;
  Log:
    real(MORVANE2_CODE(Log));
    MORVANE2_NEXT;
  Pow:
    real(MORVANE2_CODE(Pow));
    MORVANE2_NEXT;
  And:
    logic(MORVANE2_CODE(And));
    MORVANE2_NEXT;
  Or:
    logic(MORVANE2_CODE(Or));
    MORVANE2_NEXT;
  Nand:
    logic(MORVANE2_CODE(Nand));
    MORVANE2_NEXT;
  Nor:
    logic(MORVANE2_CODE(Nor));
    MORVANE2_NEXT;
  MoveForward:
    act(MORVANE2_CODE(MoveForward));
    MORVANE2_NEXT;
  MoveBackward:
    act(MORVANE2_CODE(MoveBackward));
    MORVANE2_NEXT;
  MoveLeft:
    act(MORVANE2_CODE(MoveLeft));
    MORVANE2_NEXT;
  MoveRight:
    act(MORVANE2_CODE(MoveRight));
    MORVANE2_NEXT;
  TurnLeft:
    act(MORVANE2_CODE(TurnLeft));
    MORVANE2_NEXT;
  TurnRight:
    act(MORVANE2_CODE(TurnRight));
    MORVANE2_NEXT;
  Sensor:
    act(MORVANE2_CODE(Sensor));
    MORVANE2_NEXT;
  If: {
    using K = Kernel<OpCode::If>;
    // The tree walk would have made the arguments pending.
    pendingKind = PendingNodes;
    bool condition = false;
    switch (*--types) {
      case ValueType::Bool:
        condition = K::HoldsBool(*--bools);
        break;
      case ValueType::Int:
        condition = K::HoldsInt(*--ints);
        break;
      case ValueType::Double:
        condition = K::HoldsDouble(*--doubles);
        break;
      default:
        ReportOperatorType(at->op);
    }
    if (!condition) pc = at->target;
    MORVANE2_NEXT;
  }
  Iflte: {
    pendingKind = PendingNodes;
    int typeB = *--types;
    if (!IsNumericType(typeB)) ReportOperatorType(at->op);
    int typeA = *--types;
    if (!IsNumericType(typeA)) ReportOperatorType(at->op);
    double b = typeB == ValueType::Int ? static_cast<double>(*--ints) : *--doubles;
    double a = typeA == ValueType::Int ? static_cast<double>(*--ints) : *--doubles;
    if (!Kernel<OpCode::Iflte>::RunsThen(a, b)) pc = at->target;
    MORVANE2_NEXT;
  }
  IfFoodAhead: {
    pendingKind = PendingNodes;
    Robot* r = robot;
    if (r == nullptr) ReportNoRobot(at->op);
    if (!Kernel<OpCode::IfFoodAhead>::RunsFirst(*r)) pc = at->target;
    MORVANE2_NEXT;
  }
  Operate:
    store(types, ints, doubles, bools);
    at->op->Operate(this, at->arity);
    types = typeStack.Data() + typeStack.Size();
    ints = intStack.Data() + intStack.Size();
    doubles = doubleStack.Data() + doubleStack.Size();
    bools = boolStack.Data() + boolStack.Size();
    MORVANE2_NEXT;
  TreeOnly:
    // Compiling refuses every program that holds such an operator.
    std::abort();
  Jump:
    pc = at->target;
    MORVANE2_NEXT;
  End:
    store(types, ints, doubles, bools);
    return executed;
  }
#undef MORVANE2_NEXT
#undef MORVANE2_CODE
}

template long long LispInterpreter::RunCompiled<false>(const CompiledProgram&);
template long long LispInterpreter::RunCompiled<true>(const CompiledProgram&);
#pragma GCC diagnostic pop

int LispInterpreter::SkipSubtree(OperatorArray* code, int index) {
  int sum = 0;
  int j = index;
  // Each node adds 1 - arity; a whole subtree adds exactly 1.
  while (sum < 1) {
    sum += code->Get(j)->GetStackEffect();
    ++j;
  }
  return j;
}

void LispInterpreter::CopyVariables(const LispInterpreter& other) {
  for (int i = 0; i < VariableCount; ++i) {
    intVariables.Set(i, other.intVariables.Get(i));
    doubleVariables.Set(i, other.doubleVariables.Get(i));
  }
}

void LispInterpreter::Clear() {
  boolStack.Clear();
  intStack.Clear();
  doubleStack.Clear();
  typeStack.Clear();
  pendingNodes.Clear();
  pendingIndices.Clear();
  pendingCodes.Clear();
}

void LispInterpreter::EvaluatingPop() {
  if (pendingKind == PendingNodes) {
    EvaluateTree(pendingNodes.Pop());
  } else if (pendingKind == PendingPositions) {
    int index = pendingIndices.Pop();
    OperatorArray* code = pendingCodes.Pop();
    EvaluateFlat(code, index, false);
  } else {
    ReportPendingKind("EvaluatingPop");
  }
}

void LispInterpreter::NonEvaluatingPop() {
  if (pendingKind == PendingNodes) {
    pendingNodes.Pop();
  } else if (pendingKind == PendingPositions) {
    pendingIndices.Pop();
    pendingCodes.Pop();
  } else {
    ReportPendingKind("NonEvaluatingPop");
  }
}

int LispInterpreter::GetPendingCount() const { return pendingNodes.Size() + pendingIndices.Size(); }

void LispInterpreter::ReportTypeError() {
  GetException()->LispInterpretationError("type error", ClassNameOf(*this), "Evaluate");
}

void LispInterpreter::ReportPendingKind(const char* method) {
  GetException()->FatalError("Invalid structure type", ClassNameOf(*this), method);
}
