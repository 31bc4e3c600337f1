#include "programs/FlatLispCode.h"

#include <typeinfo>

#include "foundation/CastFast.h"
#include "foundation/Exception.h"
#include "foundation/Utility.h"
#include "programs/HeadLispCode.h"
#include "programs/LispInterpreter.h"
#include "programs/NodePool.h"

namespace {
// A pool number of its own (see the other pools'); what a thread keeps is
// soon made into new code objects again.
constinit NodePool codePool(NodePool::BlockSizeFor(sizeof(FlatLispCode)), 2, NodePool::Chunks::Small, 256 * 1024);
}  // namespace

void* FlatLispCode::operator new(std::size_t size) {
  return size <= sizeof(FlatLispCode) ? codePool.Allocate() : ::operator new(size);
}

void FlatLispCode::operator delete(void* block, std::size_t size) {
  if (block == nullptr) return;
  if (size <= sizeof(FlatLispCode)) {
    codePool.Free(block);
  } else {
    ::operator delete(block);
  }
}

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
  auto* flat = CastFast<FlatLispCode>(code);
  if (flat == nullptr) return code;
  auto* tree = new HeadLispCode(flat->GetProgram().ToTree());
  delete flat;
  return tree;
}
