// A program tree turned into flat forms for fast repeated evaluation:
//
// - a list of instructions that the interpreter runs once per fitness case
//   (or per run of an episode) with exactly the stack operations, order and
//   reports of the tree walk, the conditionals becoming tests and jumps;
// - when every node has one value type in every case, a postfix list of
//   typed nodes from which the case-batch evaluators compute many fitness
//   cases at once.
//
// Compiling also bounds the values and pending arguments that a tree walk of
// the program can hold at once, so that the interpreter can skip per-push
// capacity checks, and it marks programs that only the tree walk may run
// (operators of classes it does not know, arities that differ from the
// operator's, unknown evaluation kinds). The storage is reused from program
// to program: compiling allocates only when a program is larger than every
// one before it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class Head;
class LispCode;
class Operator;

class CompiledProgram {
 public:
  // What an instruction or typed node does.
  enum Code : int {
    kIntConst,        // push intValue (an int constant)
    kDoubleConst,     // push doubleValue (a real constant)
    kIntVariable,     // push int variable index as an int
    kDoubleVariable,  // push double variable index as a double
    kBoolVariable,    // push int variable index as a bool
    kPlus,            // the numeric operators of FunctionPlus, FunctionSubtract, FunctionTimes
    kSubtract,
    kTimes,
    kDivide,  // the real operators of the protected functions
    kSin,
    kCos,
    kLn,
    kExp,
    kLog,
    kPow,
    kAnd,  // the bool operators
    kOr,
    kNand,
    kNor,
    kRobot,        // a robot action of the library: target is the RobotAction
    kOperate,      // any other evaluating operator: the operator's own Operate
    kIf,           // pop the condition; jump to target (the else-branch) when false
    kIflte,        // pop b and a; jump to target (the else-branch) when a > b
    kIfFoodAhead,  // read the robot's sensor; jump to target (the second branch) unless > 0
    kJump,         // go on at target
    kEnd,
  };

  // The robot operations a kRobot instruction calls.
  enum RobotAction : int { kMoveForward, kMoveBackward, kMoveLeft, kMoveRight, kTurnLeft, kTurnRight, kSensor };

  struct Instruction {
    int code;
    int arity;   // the node's number of arguments
    int target;  // jump target, or variable index
    int intValue;
    double doubleValue;
    Operator* op;  // the node's operator (reports name its class)
  };

  // A node of the typed postfix form: its arguments come right before it.
  struct Node {
    int code;
    int arity;
    int type;   // value type of the node's result (1, 2 or 4)
    int index;  // variable index
    int intValue;
    double doubleValue;
  };

  CompiledProgram() = default;
  CompiledProgram(const CompiledProgram&) = delete;
  CompiledProgram& operator=(const CompiledProgram&) = delete;

  // Compiles the tree at root (not owned; it must stay unchanged while the
  // compiled form is used).
  void Compile(Head* root);
  // Compiles code when it is a tree of Head nodes with a root; otherwise
  // returns false and the program must be evaluated through code itself.
  bool CompileCode(LispCode* code);

  // Evaluates the tree at root directly, 64 cases per word, without making a
  // compiled form, when every node is a bool (bool variables, the bool
  // operators, if over bools) and the tree walk's stacks could hold the
  // program (at most valueCapacity values and pendingCapacity pending
  // arguments at once). variables[i] points to the words of bool variable i,
  // or is null when that variable may not be read here. Returns false when
  // the program is not such a program; result (words words, 1 .. 64) then
  // means nothing. Leaves no compiled form behind.
  bool EvaluateBitSlices(Head* root, const std::uint64_t* const* variables, int words, std::uint64_t* result,
                         int valueCapacity, int pendingCapacity);

  Head* GetRoot() const { return root; }
  // Whether the instructions may run in place of the tree walk.
  bool IsRunnable() const { return runnable; }
  // The instructions, made on first use (when IsRunnable).
  const Instruction* GetInstructions() const;
  int GetInstructionCount() const {
    GetInstructions();
    return static_cast<int>(instructions.size());
  }
  int GetNodeCount() const { return nodeCount; }
  // Most values the tree walk holds on the stacks at once (all types
  // together), beyond those there before it started.
  int GetValueBound() const { return valueBound; }
  // Most pending arguments the tree walk holds at once, beyond those there
  // before it started.
  int GetPendingBound() const { return pendingBound; }
  // Whether the program contains a conditional (a node of evaluation kind
  // non-evaluating).
  bool HasConditional() const { return hasConditional; }

  // Whether every node's value has one type in every case, so that no type
  // report can ever be made, and the program neither drives a robot nor calls
  // an operator's own Operate: then the typed nodes describe it completely.
  bool IsTyped() const { return runnable && typed; }
  // The type of the program's value when IsTyped.
  int GetResultType() const { return resultType; }
  // Whether IsTyped and every node is a bool (bool variables, the bool
  // operators and if over bools).
  bool IsAllBool() const { return IsTyped() && allBool; }
  const std::vector<Node>& GetNodes() const { return nodes; }
  // Most values the typed nodes hold at once when every argument of a
  // conditional is computed (the case-batch evaluators do so).
  int GetNodeDepth() const { return nodeDepth; }
  // Bit i is set when variable i (0 .. 31) is read as an int or bool, or as
  // a double.
  std::uint32_t GetIntVariablesUsed() const { return intVariablesUsed; }
  std::uint32_t GetDoubleVariablesUsed() const { return doubleVariablesUsed; }

 private:
  // What a node of an operator compiles to (the node's arity being the
  // operator's): an instruction, a conditional, or nothing (tree walk only).
  enum class Form { Evaluating, Conditional, Refused };
  struct Classification {
    Form form;
    Instruction instruction;  // its code is the conditional's for Form::Conditional
    int leafType;             // the value type of a constant or variable, else 0
  };
  static Classification Classify(Operator* op);
  // Classify, remembered for the operators of the program being compiled.
  const Classification& ClassificationOf(Operator* op);

  // Finds the bounds, runnability and types of node's subtree and makes its
  // typed nodes; base is the number of values and pending the number of
  // pending arguments the tree walk holds when it reaches the node. Returns
  // the node's static type, 0 when it has none.
  int Analyze(Head* node, int base, int pending);
  int AnalyzeConditional(Head* node, int code, int base, int pending);
  // Appends the instructions of node's subtree.
  void Emit(Head* node);
  // Starts a new compile: forgets the operators' classifications and the
  // compiled form.
  void Reset(Head* root);
  // EvaluateBitSlices below node: the node's words (a variable's or
  // SlotWords(slot)), or null when the program does not qualify.
  const std::uint64_t* BitSlices(Head* node, std::size_t slot, int base, int pending);
  // The same for values of one word, kept in registers rather than slots.
  bool BitSlice(Head* node, int base, int pending, std::uint64_t& value);
  std::uint64_t* SlotWords(std::size_t slot);
  void Refuse() { runnable = false; }
  void AddNode(int code, int arity, int type, int index = 0, int intValue = 0, double doubleValue = 0.0);

  Head* root = nullptr;
  std::vector<Instruction> instructions;
  bool instructionsMade = false;
  std::vector<Node> nodes;
  int nodeCount = 0;
  int valueBound = 0;
  int pendingBound = 0;
  int resultType = 0;
  int nodeDepth = 0;
  bool runnable = false;
  bool typed = false;
  bool allBool = false;
  bool hasConditional = false;
  std::uint32_t intVariablesUsed = 0;
  std::uint32_t doubleVariablesUsed = 0;

  // The classifications of this compile's operators, by address (open
  // addressing); an entry counts only when its stamp is this compile's.
  static constexpr int kKnownSlots = 128;
  struct Known {
    Operator* op = nullptr;
    unsigned stamp = 0;
    Classification classification{};
  };
  std::vector<Known> known;
  unsigned stamp = 0;
  Classification unknown{};

  // EvaluateBitSlices' state: words per value, the variables, the slots
  // (each at a fixed address).
  int sliceWords = 0;
  const std::uint64_t* const* sliceVariables = nullptr;
  std::vector<std::unique_ptr<std::array<std::uint64_t, 64>>> sliceBuffers;
};
