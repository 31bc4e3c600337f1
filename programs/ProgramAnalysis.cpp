#include "programs/ProgramAnalysis.h"

#include "programs/FlatProgram.h"
#include "programs/Head.h"

namespace {
bool IsNumeric(int type) { return type == ValueType::Int || type == ValueType::Double; }

// The static type of an evaluating node of operation from what its
// arguments are: all numeric, all ints, all bools.
int TypeOf(const Operation& operation, int leafType, bool allNumeric, bool allInt, bool allBool) {
  switch (operation.typing) {
    case Typing::Int:
    case Typing::Double:
    case Typing::Bool:
      return leafType;
    case Typing::Widest:
      return !allNumeric ? 0 : allInt ? ValueType::Int : ValueType::Double;
    case Typing::Real:
      return allNumeric ? ValueType::Double : 0;
    case Typing::Logic:
      return allBool ? ValueType::Bool : 0;
    case Typing::Action:  // a robot acts
    case Typing::Any:     // an operator's own Operate may do anything a robot can
    case Typing::Branch:  // analyzed as a conditional
      break;
  }
  return 0;
}
}  // namespace

void ProgramAnalysis::Analyze(Head* root) { AnalyzeRoot(root); }

void ProgramAnalysis::Analyze(const FlatNode* root) { AnalyzeRoot(root); }

template <class Node>
void ProgramAnalysis::AnalyzeRoot(Node* root) {
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
  resultType = Analyze(root, 0, 0);
  if (resultType == 0) typed = false;
  if (IsTyped()) {
    int depth = 0;
    for (const TypedNode& node : nodes) {
      depth += 1 - node.arity;
      if (depth > nodeDepth) nodeDepth = depth;
    }
  }
}

void ProgramAnalysis::AddNode(OpCode code, int arity, int type, const Operand* operand) {
  const Operation& operation = OperationOf(code);
  // Only the case-batch evaluators' operations have typed nodes.
  if (!operation.Takes(FastPath::CaseVectors)) type = 0;
  if (type == 0) typed = false;
  if (type != ValueType::Bool || !operation.Takes(FastPath::BitSlices)) allBool = false;
  if (!typed) return;
  if (operand != nullptr) {
    nodes.push_back({code, arity, type, operand->index, operand->intValue, operand->doubleValue});
  } else {
    nodes.push_back({code, arity, type, 0, 0, 0.0});
  }
}

template <class Node>
int ProgramAnalysis::Analyze(Node* node, int base, int pending) {
  if (!runnable) return 0;
  ++nodeCount;
  node->PrefetchChildren();
  Operator* op = node->GetOperator();
  int n = node->GetArity();
  // A node whose arity is not its operator's can only come from hand-made
  // trees; the tree walk shows what becomes of it.
  if (n != op->GetArity() || n < 0) {
    runnable = false;
    return 0;
  }
  if (base + 1 > valueBound) valueBound = base + 1;
  OpCode code = op->GetOperation();
  const Operation& operation = OperationOf(code);
  if (code == OpCode::TreeOnly) {
    runnable = false;
    return 0;
  }
  if (operation.typing == Typing::Branch) return AnalyzeConditional(node, code, base, pending);
  const Operand& operand = op->GetOperand();
  if (code == OpCode::IntVariable || code == OpCode::BoolVariable) intVariablesUsed |= 1u << operand.index;
  if (code == OpCode::DoubleVariable) doubleVariablesUsed |= 1u << operand.index;

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
  int type = TypeOf(operation, LeafTypeOf(code), allNumeric, allInt, allBoolArguments);
  AddNode(code, n, type, &operand);
  return type;
}

template <class Node>
int ProgramAnalysis::AnalyzeConditional(Node* node, OpCode code, int base, int pending) {
  hasConditional = true;
  int n = node->GetArity();
  // The tree walk pushes every argument as pending before the operator
  // takes them one by one, first argument first; while argument i runs,
  // those after it are still pending. The comparands come first, each with
  // the values of those before it on the stacks; then either branch.
  if (pending + n > pendingBound) pendingBound = pending + n;
  int comparands = n - 2;
  bool comparandsTyped = true;
  for (int i = 0; i < comparands; ++i) {
    int comparand = Analyze(node->GetChild(i), base + i, pending + n - 1 - i);
    // if's condition may also be a bool; iflte compares numbers.
    comparandsTyped =
        comparandsTyped && (IsNumeric(comparand) || (code == OpCode::If && comparand == ValueType::Bool));
  }
  int first = Analyze(node->GetChild(comparands), base, pending + 1);
  int second = Analyze(node->GetChild(comparands + 1), base, pending);
  if (!runnable) return 0;
  int type = comparandsTyped && first != 0 && first == second ? first : 0;
  AddNode(code, n, type);
  return type;
}
