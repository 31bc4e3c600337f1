#include "programs/ActionList.h"

#include "programs/FlatProgram.h"
#include "programs/Head.h"
#include "programs/Operator.h"
#include "programs/OperatorTable.h"

namespace {
bool WithinArity(OpCode code, int n) { return n >= OperationOf(code).fewest && n <= OperationOf(code).most; }
}  // namespace

bool ActionList::Make(Head* root) { return MakeFrom(root); }

bool ActionList::Make(const FlatNode* root) { return MakeFrom(root); }

template <class Node>
bool ActionList::MakeFrom(Node* root) {
  actions.clear();
  tests = false;
  valueBound = 0;
  pendingBound = 0;
  if (!Emit(root, 0, 0)) {
    actions.clear();
    return false;
  }
  actions.push_back({ActionCode::End, 0, 0});
  Link();
  return true;
}

void ActionList::Link() {
  // Jumps lead forward: from the end back, each lands where its target does.
  std::size_t n = actions.size();
  landing.resize(n);
  for (std::size_t i = n; i-- > 0;) {
    const Action& action = actions[i];
    landing[i] = action.code == ActionCode::Jump ? landing[static_cast<std::size_t>(action.otherwise)]
                                                 : static_cast<int>(i);
  }
  for (std::size_t i = 0; i + 1 < n; ++i) {
    Action& action = actions[i];
    action.next = landing[i + 1];
    if (action.code == ActionCode::Jump) action.next = landing[i];
    if (action.code == ActionCode::TestFood) action.otherwise = landing[static_cast<std::size_t>(action.otherwise)];
  }
  actions[n - 1].next = static_cast<int>(n - 1);
}

template <class Node>
bool ActionList::Emit(Node* node, int base, int pending) {
  Operator* op = node->GetOperator();
  OpCode code = op->GetOperation();
  int n = node->GetArity();
  // As ProgramAnalysis: a node whose arity is not its operator's is left to
  // the tree walk, and every node may hold a value above those before it.
  if (n != op->GetArity()) return false;
  if (base + 1 > valueBound) valueBound = base + 1;
  auto move = [&](ActionCode action) {
    if (n != 0) return false;
    actions.push_back({action, 0, 0});
    return true;
  };
  switch (code) {
    case OpCode::IntConst:
    case OpCode::DoubleConst:
    case OpCode::IntVariable:
    case OpCode::DoubleVariable:
      return n == 0;
    case OpCode::Plus:
    case OpCode::Subtract:
    case OpCode::Times:
      if (!WithinArity(code, n)) return false;
      // Each argument with the values of those before it on the stacks.
      for (int i = 0; i < n; ++i) {
        if (!Emit(node->GetChild(i), base + i, pending)) return false;
      }
      return true;
    case OpCode::MoveForward:
      return move(ActionCode::MoveForward);
    case OpCode::MoveBackward:
      return move(ActionCode::MoveBackward);
    case OpCode::MoveLeft:
      return move(ActionCode::MoveLeft);
    case OpCode::MoveRight:
      return move(ActionCode::MoveRight);
    case OpCode::TurnLeft:
      return move(ActionCode::TurnLeft);
    case OpCode::TurnRight:
      return move(ActionCode::TurnRight);
    case OpCode::IfFoodAhead: {
      if (n != 2) return false;
      tests = true;
      // The tree walk makes both branches pending, then runs the first
      // with the second still pending.
      if (pending + 2 > pendingBound) pendingBound = pending + 2;
      std::size_t test = actions.size();
      actions.push_back({ActionCode::TestFood, 0, 0});
      if (!Emit(node->GetChild(0), base, pending + 1)) return false;
      std::size_t jump = actions.size();
      actions.push_back({ActionCode::Jump, 0, 0});
      actions[test].otherwise = static_cast<int>(actions.size());
      if (!Emit(node->GetChild(1), base, pending)) return false;
      actions[jump].otherwise = static_cast<int>(actions.size());
      return true;
    }
    default:
      return false;
  }
}
