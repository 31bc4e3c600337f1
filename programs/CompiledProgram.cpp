#include "programs/CompiledProgram.h"

#include <typeinfo>

#include "programs/FlatLispCode.h"
#include "programs/HeadLispCode.h"

CompiledProgram::~CompiledProgram() { ForgetMadeTree(); }

void CompiledProgram::ForgetMadeTree() const {
  if (madeTree == nullptr) return;
  HeadLispCode tree(madeTree);
  tree.DeleteTree();
  madeTree = nullptr;
}

void CompiledProgram::Compile(Head* r) {
  ForgetMadeTree();
  root = r;
  flatRoot = nullptr;
  instructions.Clear();
  instructionsMade = false;
  actionsMade = false;
  Analyze(root);
}

void CompiledProgram::Compile(const FlatNode* r) {
  ForgetMadeTree();
  root = nullptr;
  flatRoot = r;
  instructions.Clear();
  instructionsMade = false;
  actionsMade = false;
  Analyze(flatRoot);
}

bool CompiledProgram::CompileCode(LispCode* code) {
  if (code == nullptr) return false;
  // The common case first, told apart without a cast.
  if (typeid(*code) == typeid(FlatLispCode)) {
    const FlatNode* flat = static_cast<FlatLispCode*>(code)->GetRoot();
    if (flat == nullptr) return false;
    Compile(flat);
    return true;
  }
  auto* tree = dynamic_cast<HeadLispCode*>(code);
  if (tree == nullptr || tree->GetRoot() == nullptr) return false;
  Compile(tree->GetRoot());
  return true;
}

Head* CompiledProgram::GetRoot() const {
  if (root != nullptr || flatRoot == nullptr) return root;
  if (madeTree == nullptr) madeTree = FlatProgram::TreeOf(flatRoot);
  return madeTree;
}

const Instruction* CompiledProgram::GetInstructions() const {
  if (!instructionsMade && IsRunnable()) {
    // The tree is unchanged since Compile.
    if (flatRoot != nullptr) {
      instructions.Make(flatRoot);
    } else {
      instructions.Make(root);
    }
    instructionsMade = true;
  }
  return instructions.Data();
}

const ActionList* CompiledProgram::GetActions() const {
  if (!actionsMade) {
    hasActions = IsRunnable() && (flatRoot != nullptr ? actions.Make(flatRoot) : actions.Make(root));
    actionsMade = true;
  }
  return hasActions ? &actions : nullptr;
}
