#include "programs/FlatLispCode.h"

#include <typeinfo>

#include "foundation/Exception.h"
#include "foundation/Utility.h"
#include "programs/HeadLispCode.h"
#include "programs/LispInterpreter.h"

FlatLispCode::FlatLispCode(FlatProgram flat)
    : program(std::move(flat)), depth(program.IsEmpty() ? 0 : FlatProgram::DepthOf(program.Root())) {}

LispCodeComposer* FlatLispCode::CreateComposer() {
  GetException()->CastError("LispCode", "HeadLispCode", ClassNameOf(*this), "CreateComposer");
}

LispCodeIterator* FlatLispCode::CreateIterator() {
  GetException()->CastError("LispCode", "HeadLispCode", ClassNameOf(*this), "CreateIterator");
}

void FlatLispCode::Evaluate(LispInterpreter* interpreter) {
  HeadLispCode tree(program.ToTree());
  // A report from the walk (thrown in the window) must not leave the tree
  // behind.
  struct Release {
    HeadLispCode& tree;
    ~Release() { tree.DeleteTree(); }
  } release{tree};
  tree.Evaluate(interpreter);
}

void FlatLispCode::DeleteTree() {
  program = FlatProgram();
  depth = 0;
}

LispCode* FlatLispCode::Clone() {
  return new FlatLispCode(program.IsEmpty() ? FlatProgram() : FlatProgram::Copy(program.Root()));
}

LispCode* MakeFlat(LispCode* code) {
  // Flat already, the usual case: told apart by one comparison.
  if (code == nullptr || typeid(*code) == typeid(FlatLispCode) || typeid(*code) != typeid(HeadLispCode)) return code;
  auto* tree = static_cast<HeadLispCode*>(code);
  FlatProgram program;
  if (tree->GetRoot() == nullptr || !FlatProgram::FromTree(tree->GetRoot(), program)) return code;
  auto* flat = new FlatLispCode(std::move(program));
  tree->DeleteTree();
  delete tree;
  return flat;
}

LispCode* MakeTree(LispCode* code) {
  auto* flat = dynamic_cast<FlatLispCode*>(code);
  if (flat == nullptr) return code;
  auto* tree = new HeadLispCode(flat->GetProgram().ToTree());
  delete flat;
  return tree;
}
