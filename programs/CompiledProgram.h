// A program tree turned into flat forms for fast repeated evaluation: the
// list of instructions that the interpreter runs once per fitness case (or
// per run of an episode) in place of the tree walk, and, when every node has
// one value type in every case, the typed postfix nodes of the case-batch
// evaluators; with the bounds and types that compiling finds
// (ProgramAnalysis). The storage is reused from program to program:
// compiling allocates only when a program is larger than every one before it.
#pragma once

#include "programs/ActionList.h"
#include "programs/InstructionList.h"
#include "programs/ProgramAnalysis.h"

class LispCode;

class CompiledProgram : public ProgramAnalysis {
 public:
  CompiledProgram() = default;
  CompiledProgram(const CompiledProgram&) = delete;
  CompiledProgram& operator=(const CompiledProgram&) = delete;
  ~CompiledProgram();

  // Compiles the tree at root, or the flat program at root (not owned; it
  // must stay unchanged while the compiled form is used).
  void Compile(Head* root);
  void Compile(const FlatNode* root);
  // Compiles code when it is a tree of Head nodes or a flat program, with a
  // root; otherwise returns false and the program must be evaluated through
  // code itself.
  bool CompileCode(LispCode* code);

  // The program as a tree, for the tree walk: for a flat program, a tree
  // made from it when first asked for, kept until the next compile.
  Head* GetRoot() const;
  // The instructions, made on first use (when IsRunnable): programs
  // evaluated many cases at once never need them.
  const Instruction* GetInstructions() const;
  int GetInstructionCount() const {
    GetInstructions();
    return instructions.Size();
  }
  // The program reduced to its robot actions (ActionList), made on first
  // use; null when the program does not qualify or is not runnable.
  const ActionList* GetActions() const;

 private:
  void ForgetMadeTree() const;

  Head* root = nullptr;
  const FlatNode* flatRoot = nullptr;
  mutable Head* madeTree = nullptr;  // owned
  mutable InstructionList instructions;
  mutable bool instructionsMade = false;
  mutable ActionList actions;
  mutable bool actionsMade = false;
  mutable bool hasActions = false;
};
