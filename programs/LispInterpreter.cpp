#include "programs/LispInterpreter.h"

#include <algorithm>

#include "foundation/Exception.h"
#include "programs/BasicFunction.h"
#include "programs/BoolFunction.h"
#include "programs/DoubleFunction.h"
#include "programs/Robot.h"

namespace {
[[noreturn, gnu::cold, gnu::noinline]] void ReportOperatorType(const Operator* op) {
  GetException()->LispInterpretationError("type error", ClassNameOf(*op), "Operate");
}

[[noreturn, gnu::cold, gnu::noinline]] void ReportNoRobot(const Operator* op) {
  GetException()->FatalError("no robot is set", ClassNameOf(*op), "Operate");
}

inline bool IsNumericType(int type) { return type == ValueType::Int || type == ValueType::Double; }

// The most arguments an instruction computes itself (CompiledProgram keeps
// larger calls in the operator's own Operate).
constexpr int kInlineArguments = 8;
}  // namespace

LispInterpreter::LispInterpreter()
    : intVariables(VariableCount),
      doubleVariables(VariableCount),
      boolStack(ValueCapacity),
      intStack(ValueCapacity),
      doubleStack(ValueCapacity),
      typeStack(TypeCapacity),
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
  int values = program.GetValueBound();
  return typeStack.Size() + values <= TypeCapacity && intStack.Size() + values <= ValueCapacity &&
         doubleStack.Size() + values <= ValueCapacity && boolStack.Size() + values <= ValueCapacity &&
         pendingNodes.Size() + program.GetPendingBound() <= PendingCapacity;
}

void LispInterpreter::EvaluateCompiled(const CompiledProgram& program) {
  if (CanRunCompiled(program)) {
    RunCompiled<false>(program);
  } else {
    Evaluate(program.GetRoot());
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
  using P = CompiledProgram;
  const P::Instruction* code = program.GetInstructions();
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
  // Pops n type codes that must all be numeric; returns whether all are ints.
  auto numericTypes = [&](const P::Instruction& in) __attribute__((always_inline)) {
    int n = in.arity;
    types -= n;
    bool bad = false;
    int seen = 0;
    for (int i = 0; i < n; ++i) {
      bad |= !IsNumericType(types[i]);
      seen |= types[i];
    }
    if (bad) ReportOperatorType(in.op);
    return (seen & ValueType::Double) == 0;
  };

  long long executed = 0;
  int pc = 0;
  // Threaded dispatch: every handler ends with a jump of its own to the
  // next instruction's handler (predicted far better than one shared jump).
  // The handlers in the order of the instruction codes:
  static const void* const handlers[] = {
      &&IntConst, &&DoubleConst, &&IntVariable, &&DoubleVariable, &&BoolVariable, &&Arithmetic, &&Arithmetic,
      &&Arithmetic, &&Binary, &&Unary, &&Unary, &&Unary, &&Unary, &&Binary, &&Binary, &&Logic, &&Logic,
      &&Logic, &&Logic, &&RobotAction, &&OwnOperate, &&If, &&Iflte, &&IfFoodAhead, &&Jump, &&End};
  static_assert(sizeof handlers / sizeof handlers[0] == P::kEnd + 1, "a handler per instruction code");
  const P::Instruction* at = code;
#define MORVANE2_NEXT                                                           \
  do {                                                                          \
    at = code + pc++;                                                           \
    if constexpr (Counting) {                                                   \
      if (at->code != P::kJump && at->code != P::kEnd) ++executed;              \
    }                                                                           \
    goto* handlers[at->code];                                                   \
  } while (false)
  MORVANE2_NEXT;
  {
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
    Arithmetic: {
        int n = at->arity;
        if (n == 2 && types[-1] == types[-2] && IsNumericType(types[-1])) {
          // Two ints or two doubles: the common case, without the loops.
          --types;
          if (types[-1] == ValueType::Int) {
            int y = *--ints;
            int x = ints[-1];
            ints[-1] = at->code == P::kPlus    ? FunctionPlus::Of(x, y)
                       : at->code == P::kTimes ? FunctionTimes::Of(x, y)
                                              : FunctionSubtract::Of(x, y);
          } else {
            double y = *--doubles;
            double x = doubles[-1];
            doubles[-1] = at->code == P::kPlus    ? FunctionPlus::Of(x, y)
                          : at->code == P::kTimes ? FunctionTimes::Of(x, y)
                                                 : FunctionSubtract::Of(x, y);
          }
          MORVANE2_NEXT;
        }
        if (numericTypes(*at)) {
          ints -= n;
          int result = at->code == P::kPlus    ? FunctionPlus::Of(ints, n)
                       : at->code == P::kTimes ? FunctionTimes::Of(ints, n)
                                              : FunctionSubtract::Of(ints[0], ints[1]);
          *ints++ = result;
          *types++ = ValueType::Int;
        } else {
          double v[kInlineArguments];
          widen(types, n, v);
          double result = at->code == P::kPlus    ? FunctionPlus::Of(v, n)
                          : at->code == P::kTimes ? FunctionTimes::Of(v, n)
                                                 : FunctionSubtract::Of(v[0], v[1]);
          *doubles++ = result;
          *types++ = ValueType::Double;
        }
        MORVANE2_NEXT;
      }
    Binary: {
        numericTypes(*at);
        double v[2];
        widen(types, 2, v);
        double result = at->code == P::kDivide ? FunctionDivide::Of(v[0], v[1])
                        : at->code == P::kLog  ? FunctionLog::Of(v[0], v[1])
                                              : FunctionPow::Of(v[0], v[1]);
        *doubles++ = result;
        *types++ = ValueType::Double;
        MORVANE2_NEXT;
      }
    Unary: {
        numericTypes(*at);
        double v[1];
        widen(types, 1, v);
        double result = at->code == P::kSin   ? FunctionSin::Of(v[0])
                        : at->code == P::kCos ? FunctionCos::Of(v[0])
                        : at->code == P::kLn  ? FunctionLn::Of(v[0])
                                             : FunctionExp::Of(v[0]);
        *doubles++ = result;
        *types++ = ValueType::Double;
        MORVANE2_NEXT;
      }
    Logic: {
        int n = at->arity;
        types -= n;
        bool bad = false;
        for (int i = 0; i < n; ++i) bad |= types[i] != ValueType::Bool;
        if (bad) ReportOperatorType(at->op);
        bools -= n;
        int result = at->code == P::kAnd    ? FunctionAnd::Of(bools, n)
                     : at->code == P::kOr   ? FunctionOr::Of(bools, n)
                     : at->code == P::kNand ? FunctionNand::Of(bools, n)
                                           : FunctionNor::Of(bools, n);
        *bools++ = result;
        *types++ = ValueType::Bool;
        MORVANE2_NEXT;
      }
    RobotAction: {
        // As RobotOperator::Operate with the library's functions: arguments
        // checked and widened, the robot checked, then the action.
        int n = at->arity;
        double v[2] = {0.0, 0.0};
        if (n > 0) {
          numericTypes(*at);
          widen(types, n, v);
        }
        Robot* r = robot;
        if (r == nullptr) ReportNoRobot(at->op);
        double result = 0.0;
        switch (at->target) {
          case P::kMoveForward:
            n == 0 ? r->MoveForward() : r->MoveForward(v[0]);
            break;
          case P::kMoveBackward:
            n == 0 ? r->MoveBackward() : r->MoveBackward(v[0]);
            break;
          case P::kMoveLeft:
            n == 0 ? r->MoveLeft() : n == 1 ? r->MoveLeft(v[0]) : r->MoveLeft(v[0], v[1]);
            break;
          case P::kMoveRight:
            n == 0 ? r->MoveRight() : n == 1 ? r->MoveRight(v[0]) : r->MoveRight(v[0], v[1]);
            break;
          case P::kTurnLeft:
            n == 0 ? r->TurnLeft() : r->TurnLeft(v[0]);
            break;
          case P::kTurnRight:
            n == 0 ? r->TurnRight() : r->TurnRight(v[0]);
            break;
          default:  // kSensor
            result = r->Sensor(v[0]);
            break;
        }
        *doubles++ = result;
        *types++ = ValueType::Double;
        MORVANE2_NEXT;
      }
    OwnOperate:
        store(types, ints, doubles, bools);
        at->op->Operate(this, at->arity);
        types = typeStack.Data() + typeStack.Size();
        ints = intStack.Data() + intStack.Size();
        doubles = doubleStack.Data() + doubleStack.Size();
        bools = boolStack.Data() + boolStack.Size();
        MORVANE2_NEXT;
    If: {
        // The tree walk would have made the arguments pending.
        pendingKind = PendingNodes;
        bool condition = false;
        switch (*--types) {
          case ValueType::Bool:
            condition = *--bools == 1;
            break;
          case ValueType::Int:
            condition = *--ints > 0;
            break;
          case ValueType::Double:
            condition = *--doubles > 0.0;
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
        // Not a number on either side runs the then-branch.
        if (a > b) pc = at->target;
        MORVANE2_NEXT;
      }
    IfFoodAhead: {
        pendingKind = PendingNodes;
        Robot* r = robot;
        if (r == nullptr) ReportNoRobot(at->op);
        if (!(r->Sensor(0.0) > 0.0)) pc = at->target;
        MORVANE2_NEXT;
      }
    Jump:
        pc = at->target;
        MORVANE2_NEXT;
    End:
        store(types, ints, doubles, bools);
        return executed;
    }
  }
#undef MORVANE2_NEXT
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
