#include "programs/FlatProgram.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "programs/Head.h"
#include "programs/ListingCodes.h"
#include "programs/NodePool.h"
#include "programs/Operator.h"

namespace {
// Arrays of 1 to 8 nodes have a size class each; then four classes for
// every doubling (10, 12, 14, 16, 20, 24, ...) up to kLargestPooled nodes.
constexpr int kExactClasses = 8;
constexpr int kStepsPerDoubling = 4;
constexpr int kLargestPooled = 4096;
// The pools' numbers start past those of the tree nodes' pools.
constexpr int kFirstPoolNumber = 8;

constexpr int FloorLog2(int n) {
  int e = 0;
  while ((n >> (e + 1)) != 0) ++e;
  return e;
}

// The class of an array of n nodes (1 <= n <= kLargestPooled).
constexpr int ClassOf(int n) {
  if (n <= kExactClasses) return n - 1;
  int e = FloorLog2(n - 1);
  int base = 1 << e;
  int step = base / kStepsPerDoubling;
  int k = (n - base + step - 1) / step;
  return kExactClasses + (e - 3) * kStepsPerDoubling + (k - 1);
}

// The nodes an array of class c holds.
constexpr int NodesOf(int c) {
  if (c < kExactClasses) return c + 1;
  int e = 3 + (c - kExactClasses) / kStepsPerDoubling;
  int k = (c - kExactClasses) % kStepsPerDoubling + 1;
  return (1 << e) + k * ((1 << e) / kStepsPerDoubling);
}

constexpr int kClasses = ClassOf(kLargestPooled) + 1;
static_assert(NodesOf(kClasses - 1) == kLargestPooled, "the largest class holds the largest pooled array");
static_assert(ClassOf(9) == 8 && NodesOf(8) == 10 && ClassOf(17) == 12 && NodesOf(12) == 20, "four classes a doubling");
static_assert(kFirstPoolNumber + kClasses <= NodePool::kMaxPools, "a pool number for every class");

template <std::size_t... I>
struct ArrayPools {
  constexpr explicit ArrayPools(std::index_sequence<I...>)
      : pools{NodePool(NodePool::BlockSizeFor(static_cast<std::size_t>(NodesOf(static_cast<int>(I))) * sizeof(FlatNode)),
                       kFirstPoolNumber + static_cast<int>(I), NodePool::Chunks::Small)...} {}
  NodePool pools[sizeof...(I)];
};

// Constant-initialized and never torn down: arrays may be given back until
// the very end.
template <std::size_t... I>
ArrayPools<I...> MakeArrayPools(std::index_sequence<I...> sequence);
using Pools = decltype(MakeArrayPools(std::make_index_sequence<kClasses>{}));
constinit Pools arrayPools(std::make_index_sequence<kClasses>{});
}  // namespace

FlatNode* FlatProgram::AllocateNodes(int size) {
  if (size <= kLargestPooled) return static_cast<FlatNode*>(arrayPools.pools[ClassOf(size)].Allocate());
  // No value-initialization: every node is written by the caller.
  return new FlatNode[static_cast<std::size_t>(size)];
}

void FlatProgram::FreeNodes(FlatNode* nodes, int size) {
  if (nodes == nullptr) return;
  if (size <= kLargestPooled) {
    arrayPools.pools[ClassOf(size)].Free(nodes);
  } else {
    delete[] nodes;
  }
}

FlatProgram FlatProgram::Allocate(int size) {
  FlatProgram program;
  program.nodes = AllocateNodes(size);
  program.count = size;
  return program;
}

bool FlatProgram::FromTree(const Head* root, FlatProgram& out) {
  out = FlatProgram();
  if (root == nullptr) return true;
  // The sizes are counted here rather than read from the tree's caches,
  // which another thread may be computing.
  thread_local std::vector<const Head*> pending;
  thread_local std::vector<FlatNode> made;
  pending.clear();
  made.clear();
  pending.push_back(root);
  while (!pending.empty()) {
    const Head* node = pending.back();
    pending.pop_back();
    node->PrefetchChildren();
    int arity = node->GetArity();
    std::uint16_t op = node->GetOperator()->GetId();
    if (arity < 0 || arity > FlatNode::kMostArity || node->GetChildCount() != arity || op == Operator::kNoId) {
      return false;
    }
    made.push_back(FlatNode{op, static_cast<std::uint8_t>(arity), 1, 1});
    for (int i = arity - 1; i >= 0; --i) pending.push_back(node->GetChild(i));
  }
  out = FromPreorder(made);
  return true;
}

FlatProgram FlatProgram::FromPreorder(std::vector<FlatNode>& made) {
  // Each node's size and depth from its children's, found back to front.
  thread_local std::vector<const FlatNode*> later;  // the roots of the subtrees after the node
  later.clear();
  for (std::size_t k = made.size(); k-- > 0;) {
    FlatNode& node = made[k];
    int size = 1;
    for (int i = 0; i < node.arity; ++i) {
      size += later.back()->size;
      later.pop_back();
    }
    node.size = size;
    node.depth = DepthFromChildren(&node);
    later.push_back(&node);
  }
  FlatProgram out = Allocate(static_cast<int>(made.size()));
  std::memcpy(out.nodes, made.data(), made.size() * sizeof(FlatNode));
  return out;
}

FlatProgram FlatProgram::Copy(const FlatNode* root) {
  FlatProgram program = Allocate(root->size);
  std::memcpy(program.nodes, root, static_cast<std::size_t>(root->size) * sizeof(FlatNode));
  return program;
}

FlatProgram FlatProgram::Splice(const FlatNode* root, const FlatNode* cut, const FlatNode* replacement) {
  auto before = static_cast<std::size_t>(cut - root);
  std::size_t after = static_cast<std::size_t>(root->size) - before - static_cast<std::size_t>(cut->size);
  int delta = replacement->size - cut->size;
  FlatProgram program = Allocate(root->size + delta);
  FlatNode* out = program.nodes;
  std::memcpy(out, root, before * sizeof(FlatNode));
  std::memcpy(out + before, replacement, static_cast<std::size_t>(replacement->size) * sizeof(FlatNode));
  std::memcpy(out + before + static_cast<std::size_t>(replacement->size), cut + cut->size, after * sizeof(FlatNode));
  // The nodes on the way from the root to the cut hold it: their sizes
  // change by the difference, and their depths may change. They lie before
  // it, copied as they were; the depths are found again deepest first.
  thread_local std::vector<FlatNode*> path;
  path.clear();
  const FlatNode* at = root;
  while (at != cut) {
    FlatNode* copy = out + (at - root);
    copy->size += delta;
    path.push_back(copy);
    const FlatNode* child = at + 1;
    while (child + child->size <= cut) child += child->size;
    at = child;
  }
  for (std::size_t k = path.size(); k-- > 0;) path[k]->depth = DepthFromChildren(path[k]);
  return program;
}

Head* FlatProgram::TreeOf(const FlatNode* nodes) {
  int count = nodes->size;
  thread_local std::vector<Head*> open;  // nodes still missing children
  open.clear();
  Head* root = nullptr;
  for (int k = 0; k < count; ++k) {
    const FlatNode& node = nodes[k];
    Head* made = new Head(node.GetOperator(), node.arity, node.size, -1, 0);
    if (open.empty()) {
      root = made;
    } else {
      Head* parent = open.back();
      parent->AddChild(made);
      if (parent->GetChildCount() == parent->GetArity()) open.pop_back();
    }
    if (node.arity > 0) open.push_back(made);
  }
  root->GetDepth();
  return root;
}

std::uint8_t FlatProgram::DepthFromChildren(const FlatNode* node) {
  int deepest = 0;
  const FlatNode* child = node + 1;
  for (int i = 0; i < node->arity; ++i, child += child->size) {
    if (child->depth == FlatNode::kUnknownDepth) return FlatNode::kUnknownDepth;
    if (child->depth > deepest) deepest = child->depth;
  }
  return static_cast<std::uint8_t>(deepest + 1 < FlatNode::kUnknownDepth ? deepest + 1 : FlatNode::kUnknownDepth);
}

int FlatProgram::CountDepth(const FlatNode* node) {
  // The children still to come of each node on the way down to the one at
  // hand.
  thread_local std::vector<int> waiting;
  waiting.clear();
  int deepest = 0;
  for (const FlatNode* at = node; at != node + node->size; ++at) {
    while (!waiting.empty() && waiting.back() == 0) waiting.pop_back();
    int level = static_cast<int>(waiting.size()) + 1;
    if (level > deepest) deepest = level;
    if (!waiting.empty()) --waiting.back();
    if (at->arity > 0) waiting.push_back(at->arity);
  }
  return deepest;
}

int FlatProgram::PositionOf(const FlatNode* root, const FlatNode* node) {
  int level = 1;
  for (const FlatNode* at = root; at != node; ++level) {
    const FlatNode* child = at + 1;
    while (child + child->size <= node) child += child->size;
    at = child;
  }
  return level;
}

std::string FlatProgram::ToString() const {
  std::string text;
  thread_local std::vector<int> waiting;
  waiting.clear();
  for (int k = 0; k < count; ++k) {
    const FlatNode& node = nodes[k];
    text += node.GetOperator()->GetName();
    if (node.arity > 0) {
      text += '[';
      waiting.push_back(node.arity);
      continue;
    }
    // A leaf ends its parent's list of children, or is followed by a
    // sibling.
    while (!waiting.empty()) {
      if (--waiting.back() > 0) {
        text += ',';
        break;
      }
      text += ']';
      waiting.pop_back();
    }
  }
  return text;
}

std::string FlatProgram::ToSaveString() const {
  std::string text;
  AppendListingForm(text);
  return text;
}

// Checkpoints list whole populations: the text is written in place, the
// string grown only now and then, rather than appended to per node.
int FlatProgram::AppendListingForm(std::string& text) const {
  std::size_t at = text.size();
  text.resize(at + 256);
  for (int k = 0; k < count; ++k) {
    const FlatNode& node = nodes[k];
    const std::string& name = node.GetOperator()->GetName();
    // The name, a tab, at most eleven digits and a line feed.
    std::size_t most = name.size() + 13;
    if (at + most > text.size()) text.resize(std::max(2 * text.size(), at + most));
    char* out = text.data() + at;
    std::memcpy(out, name.data(), name.size());
    out += name.size();
    *out++ = '\t';
    if (node.arity < 10) {
      *out++ = static_cast<char>('0' + node.arity);
    } else {
      std::string digits = std::to_string(node.arity);
      std::memcpy(out, digits.data(), digits.size());
      out += digits.size();
    }
    *out++ = '\n';
    at = static_cast<std::size_t>(out - text.data());
  }
  text.resize(at);
  return count;
}

bool FlatProgram::AppendListingCodes(ListingCodes& codes) const {
  for (int k = 0; k < count; ++k) {
    if (!codes.Add(nodes[k].GetOperator(), nodes[k].arity)) return false;
  }
  return true;
}
