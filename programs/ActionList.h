// A robot program reduced to what it does, for runs whose values nothing
// reads (the runs of an episode): the robot's moves and turns without
// arguments, and the food test with where each branch goes on. A program
// qualifies when every other node is arithmetic (plus, subtract, times)
// over constants, numeric variables and what those nodes return, which can
// neither report nor act: an ant's Prog nodes multiply the zeros its moves
// return.
#pragma once

#include <cstdint>
#include <vector>

class Head;
struct FlatNode;

enum class ActionCode : std::uint8_t {
  MoveForward,
  MoveBackward,
  MoveLeft,
  MoveRight,
  TurnLeft,
  TurnRight,
  TestFood,  // goes on at otherwise unless there is food ahead
  Jump,      // while listing, to otherwise; once linked, no action goes on at one
  End
};

// Each action names the one to run after it: a branch's last action the one
// after the conditional.
struct Action {
  ActionCode code;
  int next;
  int otherwise;
};

class ActionList {
 public:
  // Replaces the actions with those of the program at root; false (and no
  // actions) when the program does not qualify.
  bool Make(Head* root);
  bool Make(const FlatNode* root);
  const Action* Data() const { return actions.data(); }
  int Size() const { return static_cast<int>(actions.size()); }
  // Whether the program tests for food.
  bool HasTests() const { return tests; }
  // The most values and pending arguments the tree walk holds at once for
  // the program listed last, counted as ProgramAnalysis counts them: the
  // stack room a run must have (LispInterpreter::ActionsToRun). A program
  // that qualifies is one the instructions may run.
  int GetValueBound() const { return valueBound; }
  int GetPendingBound() const { return pendingBound; }

 private:
  template <class Node>
  bool MakeFrom(Node* root);
  // Adds node's actions, a conditional's as its test, its first branch, a
  // jump over the second (to otherwise) and its second branch. base: the
  // values on the stacks before node's; pending: the arguments pending.
  template <class Node>
  bool Emit(Node* node, int base, int pending);
  // Points every action past the jumps it would meet.
  void Link();

  std::vector<Action> actions;
  std::vector<int> landing;  // by action: where going on there lands
  bool tests = false;
  int valueBound = 0;
  int pendingBound = 0;
};
