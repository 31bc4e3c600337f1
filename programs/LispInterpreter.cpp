#include "programs/LispInterpreter.h"

#include <algorithm>

#include "foundation/Exception.h"

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
