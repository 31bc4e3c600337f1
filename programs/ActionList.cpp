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

void ActionList::Append(ActionCode code) {
  int k = static_cast<int>(actions.size());
  for (int link : open) {
    Action& from = actions[static_cast<std::size_t>(link / 2)];
    (link % 2 == 0 ? from.next : from.otherwise) = k;
  }
  open.clear();
  open.push_back(2 * k);
  actions.push_back({code, k, k});
}

template <class Node>
bool ActionList::MakeFrom(Node* root) {
  actions.clear();
  open.clear();
  held.clear();
  tests = false;
  if (!Emit(root)) {
    actions.clear();
    return false;
  }
  Append(ActionCode::End);
  return true;
}

template <class Node>
bool ActionList::Emit(Node* node) {
  OpCode code = node->GetOperator()->GetOperation();
  int n = node->GetArity();
  auto move = [&](ActionCode action) {
    if (n != 0) return false;
    Append(action);
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
      for (int i = 0; i < n; ++i) {
        if (!Emit(node->GetChild(i))) return false;
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
      // The test goes on to the first branch, otherwise to the second; both
      // branches go on to what follows the conditional.
      if (n != 2) return false;
      tests = true;
      int test = static_cast<int>(actions.size());
      Append(ActionCode::TestFood);
      if (!Emit(node->GetChild(0))) return false;
      std::size_t mark = held.size();
      held.insert(held.end(), open.begin(), open.end());
      open.assign(1, 2 * test + 1);
      if (!Emit(node->GetChild(1))) return false;
      open.insert(open.end(), held.begin() + static_cast<std::ptrdiff_t>(mark), held.end());
      held.resize(mark);
      return true;
    }
    default:
      return false;
  }
}
