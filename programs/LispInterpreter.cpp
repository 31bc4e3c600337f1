#include "programs/LispInterpreter.h"

#include <algorithm>

#include "foundation/Exception.h"
#include "programs/BasicFunction.h"
#include "programs/BoolFunction.h"
#include "programs/DoubleFunction.h"
#include "robots/Robot.h"

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
  auto store = [&] {
    typeStack.SetSize(static_cast<int>(types - typeStack.Data()));
    intStack.SetSize(static_cast<int>(ints - intStack.Data()));
    doubleStack.SetSize(static_cast<int>(doubles - doubleStack.Data()));
    boolStack.SetSize(static_cast<int>(bools - boolStack.Data()));
  };
  const int* intVars = intVariables.Data();
  const double* doubleVars = doubleVariables.Data();
  // Pops the n numeric arguments (types already popped into t) widened to
  // doubles, first argument first.
  auto widen = [&](const int* t, int n, double* v) {
    int intCount = 0;
    for (int i = 0; i < n; ++i) intCount += t[i] == ValueType::Int ? 1 : 0;
    ints -= intCount;
    doubles -= n - intCount;
    const int* ip = ints;
    const double* dp = doubles;
    for (int i = 0; i < n; ++i) v[i] = t[i] == ValueType::Int ? static_cast<double>(*ip++) : *dp++;
  };
  // Pops n type codes that must all be numeric; returns whether all are ints.
  auto numericTypes = [&](const P::Instruction& in) {
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
  for (;;) {
    const P::Instruction& in = code[pc++];
    if constexpr (Counting) {
      if (in.code != P::kJump && in.code != P::kEnd) ++executed;
    }
    switch (in.code) {
      case P::kIntConst:
        *ints++ = in.intValue;
        *types++ = ValueType::Int;
        break;
      case P::kDoubleConst:
        *doubles++ = in.doubleValue;
        *types++ = ValueType::Double;
        break;
      case P::kIntVariable:
        *ints++ = intVars[in.target];
        *types++ = ValueType::Int;
        break;
      case P::kDoubleVariable:
        *doubles++ = doubleVars[in.target];
        *types++ = ValueType::Double;
        break;
      case P::kBoolVariable:
        *bools++ = intVars[in.target];
        *types++ = ValueType::Bool;
        break;
      case P::kPlus:
      case P::kSubtract:
      case P::kTimes: {
        int n = in.arity;
        if (numericTypes(in)) {
          ints -= n;
          int result = in.code == P::kPlus    ? FunctionPlus::Of(ints, n)
                       : in.code == P::kTimes ? FunctionTimes::Of(ints, n)
                                              : FunctionSubtract::Of(ints[0], ints[1]);
          *ints++ = result;
          *types++ = ValueType::Int;
        } else {
          double v[kInlineArguments];
          widen(types, n, v);
          double result = in.code == P::kPlus    ? FunctionPlus::Of(v, n)
                          : in.code == P::kTimes ? FunctionTimes::Of(v, n)
                                                 : FunctionSubtract::Of(v[0], v[1]);
          *doubles++ = result;
          *types++ = ValueType::Double;
        }
        break;
      }
      case P::kDivide:
      case P::kLog:
      case P::kPow: {
        numericTypes(in);
        double v[2];
        widen(types, 2, v);
        double result = in.code == P::kDivide ? FunctionDivide::Of(v[0], v[1])
                        : in.code == P::kLog  ? FunctionLog::Of(v[0], v[1])
                                              : FunctionPow::Of(v[0], v[1]);
        *doubles++ = result;
        *types++ = ValueType::Double;
        break;
      }
      case P::kSin:
      case P::kCos:
      case P::kLn:
      case P::kExp: {
        numericTypes(in);
        double v[1];
        widen(types, 1, v);
        double result = in.code == P::kSin   ? FunctionSin::Of(v[0])
                        : in.code == P::kCos ? FunctionCos::Of(v[0])
                        : in.code == P::kLn  ? FunctionLn::Of(v[0])
                                             : FunctionExp::Of(v[0]);
        *doubles++ = result;
        *types++ = ValueType::Double;
        break;
      }
      case P::kAnd:
      case P::kOr:
      case P::kNand:
      case P::kNor: {
        int n = in.arity;
        types -= n;
        bool bad = false;
        for (int i = 0; i < n; ++i) bad |= types[i] != ValueType::Bool;
        if (bad) ReportOperatorType(in.op);
        bools -= n;
        int result = in.code == P::kAnd    ? FunctionAnd::Of(bools, n)
                     : in.code == P::kOr   ? FunctionOr::Of(bools, n)
                     : in.code == P::kNand ? FunctionNand::Of(bools, n)
                                           : FunctionNor::Of(bools, n);
        *bools++ = result;
        *types++ = ValueType::Bool;
        break;
      }
      case P::kOperate:
        store();
        in.op->Operate(this, in.arity);
        types = typeStack.Data() + typeStack.Size();
        ints = intStack.Data() + intStack.Size();
        doubles = doubleStack.Data() + doubleStack.Size();
        bools = boolStack.Data() + boolStack.Size();
        break;
      case P::kIf: {
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
            ReportOperatorType(in.op);
        }
        if (!condition) pc = in.target;
        break;
      }
      case P::kIflte: {
        pendingKind = PendingNodes;
        int typeB = *--types;
        if (!IsNumericType(typeB)) ReportOperatorType(in.op);
        int typeA = *--types;
        if (!IsNumericType(typeA)) ReportOperatorType(in.op);
        double b = typeB == ValueType::Int ? static_cast<double>(*--ints) : *--doubles;
        double a = typeA == ValueType::Int ? static_cast<double>(*--ints) : *--doubles;
        // Not a number on either side runs the then-branch.
        if (a > b) pc = in.target;
        break;
      }
      case P::kIfFoodAhead: {
        pendingKind = PendingNodes;
        Robot* r = robot;
        if (r == nullptr) ReportNoRobot(in.op);
        if (!(r->Sensor(0.0) > 0.0)) pc = in.target;
        break;
      }
      case P::kJump:
        pc = in.target;
        break;
      default:  // kEnd
        store();
        return executed;
    }
  }
}

template long long LispInterpreter::RunCompiled<false>(const CompiledProgram&);
template long long LispInterpreter::RunCompiled<true>(const CompiledProgram&);

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
