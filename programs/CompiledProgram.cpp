#include "programs/CompiledProgram.h"

#include "programs/HeadLispCode.h"

void CompiledProgram::Compile(Head* r) {
  root = r;
  instructions.Clear();
  instructionsMade = false;
  Analyze(root);
}

bool CompiledProgram::CompileCode(LispCode* code) {
  auto* tree = dynamic_cast<HeadLispCode*>(code);
  if (tree == nullptr || tree->GetRoot() == nullptr) return false;
  Compile(tree->GetRoot());
  return true;
}

const Instruction* CompiledProgram::GetInstructions() const {
  if (!instructionsMade && IsRunnable()) {
    // The tree is unchanged since Compile.
    instructions.Make(root);
    instructionsMade = true;
  }
  return instructions.Data();
}
