#include "variation/GPGenerator.h"

#include <memory>
#include <string>
#include <vector>

#include "foundation/Exception.h"
#include "programs/FlatLispCode.h"
#include "programs/FlatProgram.h"
#include "programs/GPSymbolRegister.h"
#include "programs/Head.h"
#include "programs/HeadLispCode.h"
#include "programs/HeadLispCodePointer.h"
#include "programs/LispCode.h"
#include "programs/Operator.h"

GPDepthLimitGenerator::GPDepthLimitGenerator(GPSymbolRegister* symbols, int depthLimit)
    : depthLimit(depthLimit), symbols(symbols) {}

LispCode* GPDepthLimitGenerator::Generate() {
  if (depthLimit <= 0) GetException()->FatalError("depthLimit = 0", ClassNameOf(*this), "Generate");
  HeadLispCodePointer pointer;
  try {
    GenerateHelper(&pointer, 1);
  } catch (...) {
    // A report thrown part way (where reports are thrown, as in the window)
    // leaves none of the nodes made so far behind.
    std::unique_ptr<LispCode> partial(pointer.CreateCode());
    partial->DeleteTree();
    throw;
  }
  return pointer.CreateCode();
}

Operator* GPDepthLimitGenerator::DrawNode(int count, int depth) {
  if (count > kMaxNodes) {
    GetException()->FatalError("A random program of depth limit " + std::to_string(depthLimit) +
                                   " has more than " + std::to_string(kMaxNodes) +
                                   " nodes; the node set grows programs too fast for that depth",
                               ClassNameOf(*this), "Generate");
  }
  if (depth < depthLimit) return symbols->GetRandomOperator();
  Operator* op = symbols->GetRandomTerminal();
  if (op->GetArity() != 0) {
    GetException()->FatalError("arity of terminal symbol != 0", ClassNameOf(*this), "GenerateHelper");
  }
  return op;
}

LispCode* GPGenerator::GenerateFlat() { return MakeFlat(Generate()); }

LispCode* GPDepthLimitGenerator::GenerateFlat() {
  if (depthLimit <= 0) GetException()->FatalError("depthLimit = 0", ClassNameOf(*this), "Generate");
  // The operators in the order GenerateHelper draws them (preorder), with
  // the depth of each node still to draw on a stack: siblings share theirs.
  thread_local std::vector<Operator*> drawn;
  thread_local std::vector<int> pending;
  drawn.clear();
  pending.clear();
  pending.push_back(1);
  bool flat = true;
  while (!pending.empty()) {
    int depth = pending.back();
    pending.pop_back();
    Operator* op = DrawNode(static_cast<int>(drawn.size()) + 1, depth);
    int arity = op->GetArity();
    // What a tree's node would report for the operator, where it would.
    if (arity > Head::kMaxChildren) GetException()->FatalError("arity > 65535", "Head", "Head");
    if (arity < 0) GetException()->FatalError("arity = 0", "Head", "Head");
    if (arity > FlatNode::kMostArity || op->GetId() == Operator::kNoId) flat = false;
    drawn.push_back(op);
    for (int i = 0; i < arity; ++i) pending.push_back(depth + 1);
  }
  if (flat) {
    thread_local std::vector<FlatNode> nodes;
    nodes.clear();
    for (Operator* op : drawn) {
      nodes.push_back(FlatNode{op->GetId(), static_cast<std::uint8_t>(op->GetArity()), 1, 1});
    }
    FlatProgram program = FlatProgram::FromPreorder(nodes);
    // FromPreorder measured the nodes where they were drawn.
    int depth = program.IsEmpty() ? 0 : FlatProgram::DepthOf(nodes.data());
    return new FlatLispCode(std::move(program), depth);
  }
  // An operator without a flat form: the tree, node by node in preorder,
  // each node complete once its last child is added.
  Head* root = nullptr;
  std::vector<Head*> open;
  for (Operator* op : drawn) {
    auto* node = new Head(op);
    if (root == nullptr) {
      root = node;
    } else {
      open.back()->AddChild(node);
      if (open.back()->GetChildCount() == open.back()->GetArity()) open.pop_back();
    }
    if (node->GetArity() > 0) open.push_back(node);
  }
  return new HeadLispCode(root);
}

void GPDepthLimitGenerator::GenerateHelper(LispCodePointer* pointer, int depth) {
  // The outermost call starts the count of a new program.
  if (nesting == 0) made = 0;
  ++nesting;
  struct Leave {
    int& nesting;
    ~Leave() { --nesting; }
  } leave{nesting};
  Operator* op = DrawNode(++made, depth);
  pointer->Append(op);
  for (int i = 0; i < op->GetArity(); ++i) {
    std::unique_ptr<LispCodePointer> child(pointer->CreateChildPointer());
    GenerateHelper(child.get(), depth + 1);
  }
}
