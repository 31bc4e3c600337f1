// Runs programs on typed value stacks: a tree of Head nodes or a flat prefix
// array of operators. It also holds the program's input variables and the
// robot that robot operators act on. Made once per problem and reused; its
// stacks are allocated once (their pages as they are first written) and
// evaluation allocates nothing.
#pragma once

#include "foundation/NumericArrays.h"
#include "programs/CompiledProgram.h"
#include "programs/Head.h"
#include "programs/Operator.h"
#include "programs/OperatorArray.h"

class Robot;

class LispInterpreter {
 public:
  static constexpr int VariableCount = 20;
  static constexpr int ValueCapacity = 10000;  // values of one type at once
  static constexpr int TypeCapacity = 20000;   // values of all types at once
  static constexpr int PendingCapacity = 100;  // pending arguments at once
  // Arguments of one operator call that fit the interpreter's scratch arrays.
  static constexpr int ArgumentCapacity = 100;

  // What the pending stacks hold: tree nodes or flat positions.
  static constexpr int PendingNodes = 1;
  static constexpr int PendingPositions = 2;

  LispInterpreter();
  LispInterpreter(const LispInterpreter&) = delete;
  LispInterpreter& operator=(const LispInterpreter&) = delete;
  virtual ~LispInterpreter();

  // Evaluates the subtree at node; its value is left on the stacks.
  virtual void Evaluate(Head* node);
  // Evaluates the subtree of the flat program that starts at index.
  virtual void Evaluate(OperatorArray* code, int index);
  // The index just past the subtree of the flat program that starts at index.
  virtual int SkipSubtree(OperatorArray* code, int index);

  // Evaluates a compiled program: exactly what Evaluate does with its root
  // (the same values, stack operations in the same order, the same reports,
  // the same robot actions), without walking the tree. A program that only
  // the tree walk may run, or one whose values could overflow the stacks as
  // they are now, is evaluated by Evaluate with its root.
  void EvaluateCompiled(const CompiledProgram& program);
  // The same, adding the number of nodes evaluated to executed; for
  // measurements. Returns false (and counts nothing) when the tree was walked.
  bool EvaluateCounting(const CompiledProgram& program, long long& executed);
  // Whether EvaluateCompiled would run the instructions now.
  bool CanRunCompiled(const CompiledProgram& program) const;
  // Whether the stacks as they are now have room for values more values and
  // pending more pending arguments.
  bool HasRoomFor(int values, int pending) const;
  // EvaluateCompiled for a run whose value and stacks nobody reads (an
  // episode's run, the stacks cleared before the next): the same robot
  // actions in the same order; a program that qualifies (ActionList) runs
  // only its actions and tests, and leaves the stacks as they were.
  void EvaluateForEffects(const CompiledProgram& program);
  // The actions (ActionList) that EvaluateForEffects would run alone now,
  // or null; with the interpreter's state set as running them leaves it.
  const Action* ActionsToRun(const CompiledProgram& program);
  // The same for a program listed as actions without being compiled (only
  // programs the instructions may run qualify): the same answer and state.
  const Action* ActionsToRun(const ActionList& list);

  void PushInt(int v) {
    intStack.Add(v);
    typeStack.Add(ValueType::Int);
  }
  void PushDouble(double v) {
    doubleStack.Add(v);
    typeStack.Add(ValueType::Double);
  }
  void PushBool(int v) {
    boolStack.Add(v);
    typeStack.Add(ValueType::Bool);
  }
  int PopType() { return typeStack.Pop(); }
  // The value pops leave the type stack alone: pop the type first.
  int PopInt() { return intStack.Pop(); }
  double PopDouble() { return doubleStack.Pop(); }
  int PopBool() { return boolStack.Pop(); }

  int GetIntVariable(int i) const { return intVariables.Get(i); }
  void SetIntVariable(int i, int v) { intVariables.Set(i, v); }
  double GetDoubleVariable(int i) const { return doubleVariables.Get(i); }
  void SetDoubleVariable(int i, double v) { doubleVariables.Set(i, v); }

  // Takes over the values of other's variables (not its stacks or robot).
  void CopyVariables(const LispInterpreter& other);

  void SetRobot(Robot* r) { robot = r; }
  Robot* GetRobot() const { return robot; }

  // Empties the value, type and pending stacks; variables and robot stay.
  void Clear();

  // Takes the next pending argument and evaluates it.
  void EvaluatingPop();
  // Takes the next pending argument and drops it unevaluated.
  void NonEvaluatingPop();

  // Scratch storage for the arguments of one evaluating operator call. An
  // operator pops its arguments only after all of its children have run, and
  // the functions it hands them to never evaluate programs, so one set of
  // arrays per interpreter serves every operator and nothing is allocated
  // per call. Operators are shared between interpreters, so the storage lives
  // here and not in them.
  //
  // Room for ArgumentCapacity type codes (unchecked).
  int* ArgumentTypes() { return argumentTypes.Data(); }
  // The int and double argument arrays with exactly n entries (their values
  // left to the caller); n must not exceed ArgumentCapacity.
  IntArray& IntArguments(int n) {
    if (intArguments.Size() != n) SizeArguments(intArguments, n);
    return intArguments;
  }
  DoubleArray& DoubleArguments(int n) {
    if (doubleArguments.Size() != n) SizeArguments(doubleArguments, n);
    return doubleArguments;
  }

  // Number of values on the stacks (all types) and of pending arguments.
  int GetValueCount() const { return typeStack.Size(); }
  int GetPendingCount() const;

 private:
  // The recursive walks behind the two Evaluate operations. The flat one
  // returns the index just past the subtree it evaluated when wantEnd is set
  // (a parent needs it to find its next argument), otherwise -1.
  void EvaluateTree(Head* node);
  int EvaluateFlat(OperatorArray* code, int index, bool wantEnd);
  // The instruction loop; returns the number of nodes evaluated when
  // counting, else 0.
  template <bool Counting>
  long long RunCompiled(const CompiledProgram& program);
  [[noreturn]] void ReportTypeError();
  [[noreturn]] void ReportPendingKind(const char* method);
  template <class T>
  static void SizeArguments(Array<T>& arguments, int n) {
    arguments.Clear();
    for (int i = 0; i < n; ++i) arguments.Add(T());
  }

  IntArray intVariables;
  DoubleArray doubleVariables;
  IntArray boolStack;
  IntArray intStack;
  DoubleArray doubleStack;
  IntArray typeStack;
  HeadArray pendingNodes;
  IntArray pendingIndices;
  Operator2DArray pendingCodes;
  int pendingKind;
  Robot* robot;
  IntArray argumentTypes;
  IntArray intArguments;
  DoubleArray doubleArguments;
};
