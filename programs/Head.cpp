#include "programs/Head.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "foundation/Exception.h"
#include "programs/ListingCodes.h"
#include "programs/NodePool.h"

namespace {
// Capacity of a node's children array as an array of that many entries would
// have it (none below zero).
int ChildCapacity(int arity) { return arity > 0 ? arity : 0; }

// Constant-initialized and never torn down: nodes may be given back until the
// very end.
constinit NodePool nodePool(NodePool::BlockSizeFor(sizeof(Head)), 0);
NodePool& Pool() { return nodePool; }

// Children arrays of three or four entries.
constexpr int kPooledChildren = 4;
constinit NodePool childArrayPool(NodePool::BlockSizeFor(kPooledChildren * sizeof(Head*)), 1);
NodePool& ChildArrayPool() { return childArrayPool; }
}  // namespace

static_assert(sizeof(Head) <= 48, "four nodes fit three cache lines");

void* Head::operator new(std::size_t size) { return size == sizeof(Head) ? Pool().Allocate() : ::operator new(size); }

void Head::operator delete(void* block, std::size_t size) {
  if (size == sizeof(Head)) {
    Pool().Free(block);
  } else {
    ::operator delete(block);
  }
}

void Head::ReturnFreeNodes() {
  Pool().GiveBackLocal();
  ChildArrayPool().GiveBackLocal();
}

void Head::TrimFreeNodes() {
  Pool().TrimLocal();
  ChildArrayPool().TrimLocal();
}

Head::Head(Operator* op) : op(op), parent(nullptr), size(-1), depth(-1), arity(op->GetArity()), index(0) {
  MakeChildArray();
  if (arity < 0) GetException()->FatalError("arity = 0", ClassNameOf(*this), "Head");
}

Head::Head(Operator* op, int arity, int size, int depth, int index)
    : op(op), parent(nullptr), size(size), depth(depth), arity(arity), index(static_cast<std::uint16_t>(index)) {
  MakeChildArray();
}

void Head::MakeChildArray() {
  if (arity > kMaxChildren) GetException()->FatalError("arity > 65535", ClassNameOf(*this), "Head");
  inlineChildren[0] = nullptr;
  inlineChildren[1] = nullptr;
  if (arity <= kInlineChildren) return;
  outsideChildren =
      arity <= kPooledChildren ? static_cast<Head**>(ChildArrayPool().Allocate()) : new Head*[arity];
}

Head::~Head() {
  if (arity <= kInlineChildren) return;
  if (arity <= kPooledChildren) {
    ChildArrayPool().Free(outsideChildren);
  } else {
    delete[] outsideChildren;
  }
}

void Head::ReportChildIndex(int i, const char* method) const { ReportArrayIndex(i, childCount, "HeadArray", method); }

void Head::Operate(LispInterpreter* interpreter) { op->Operate(interpreter, arity); }

void Head::AddChild(Head* child) {
  if (childCount >= ChildCapacity(arity)) ReportArrayCapacity(ChildCapacity(arity), "HeadArray", "Add");
  Children()[childCount++] = child;
  child->index = static_cast<std::uint16_t>(childCount - 1);
  child->parent = this;
}

void Head::SetChild(Head* child, int i) {
  if (i < 0 || i >= childCount) ReportChildIndex(i, "Set");
  Children()[i] = child;
  child->index = static_cast<std::uint16_t>(i);
  child->parent = this;
  for (Head* h = this; h != nullptr; h = h->parent) {
    h->size = -1;
    h->depth = -1;
  }
}

void Head::Attach(Head* child, Head* parent, int i) {
  if (parent != nullptr) {
    parent->SetChild(child, i);
  } else {
    child->parent = nullptr;
    child->index = 0;
  }
}

int Head::ComputeSize() {
  int total = 1;
  Head** children = Children();
  for (int i = 0; i < childCount; ++i) total += children[i]->GetSize();
  return total;
}

int Head::ComputeDepth() {
  int deepest = 0;
  Head** children = Children();
  for (int i = 0; i < childCount; ++i) {
    int d = children[i]->GetDepth();
    if (d > deepest) deepest = d;
  }
  return deepest + 1;
}

Head* Head::Part(int k) {
  // Descends instead of recursing; the node where the walk ends is the one
  // that a recursive search would report from.
  Head* node = this;
  while (k != 0) {
    int rest = k - 1;
    Head* next = nullptr;
    for (int i = 0; i < node->childCount; ++i) {
      Head* child = node->Children()[i];
      int childSize = child->GetSize();
      if (rest < childSize) {
        next = child;
        break;
      }
      rest -= childSize;
    }
    if (next == nullptr) {
      GetException()->Diagnostic(std::to_string(k) + ", " + std::to_string(node->GetSize()) + "\n" +
                                 node->ToString() + "\n");
      GetException()->FatalError("Index is over length", ClassNameOf(*node), "Part");
    }
    node = next;
    k = rest;
  }
  return node;
}

int Head::Position(Head* root) {
  int level = 1;
  for (Head* h = this; h != root; h = h->parent) {
    if (h->parent == nullptr) {
      GetException()->FatalError("Head can not be found", ClassNameOf(*this), "Position");
    }
    ++level;
  }
  return level;
}

Head* Head::Clone() {
  PrefetchChildren();
  Head* copy = new Head(op, arity, size, depth, index);
  Head** children = Children();
  Head** copies = copy->Children();
  for (int i = 0; i < childCount; ++i) {
    Head* child = children[i]->Clone();
    child->parent = copy;
    copies[i] = child;
  }
  copy->childCount = childCount;
  return copy;
}

Head* Head::CloneSplicing(Head* root, Head* cut, Head* replacement, bool copyReplacement) {
  thread_local std::vector<Head*> path;
  path.clear();
  for (Head* h = cut; h != root; h = h->parent) {
    if (h == nullptr) GetException()->FatalError("Head can not be found", ClassNameOf(*cut), "CloneSplicing");
    path.push_back(h);
  }
  std::reverse(path.begin(), path.end());
  Head* copy = CopyAlong(root, path, 0, replacement, copyReplacement);
  // A spliced-in root stands alone, as Attach leaves it.
  copy->parent = nullptr;
  copy->index = 0;
  copy->GetSize();
  copy->GetDepth();
  return copy;
}

Head* Head::CopyAlong(Head* node, const std::vector<Head*>& path, std::size_t at, Head* replacement,
                      bool copyReplacement) {
  if (at == path.size()) {
    Head* put = copyReplacement ? replacement->Clone() : replacement;
    put->index = node->index;
    return put;
  }
  node->PrefetchChildren();
  Head* copy = new Head(node->op, node->arity, -1, -1, node->index);
  Head** children = node->Children();
  Head** copies = copy->Children();
  // The caches on the path change with the splice: computed afresh from the
  // children just made, while they are at hand.
  int total = 1;
  int deepest = 0;
  for (int i = 0; i < node->childCount; ++i) {
    Head* child = children[i] == path[at] ? CopyAlong(children[i], path, at + 1, replacement, copyReplacement)
                                          : children[i]->Clone();
    child->parent = copy;
    copies[i] = child;
    total += child->GetSize();
    int d = child->GetDepth();
    if (d > deepest) deepest = d;
  }
  copy->childCount = node->childCount;
  copy->size = total;
  copy->depth = deepest + 1;
  return copy;
}

void Head::Destroy(Head* node) {
  // The nodes are visited in preorder, the order they are mostly laid out
  // in, and only read; then they are given back to the pool last first, so
  // that the next tree made (in preorder) takes them in the order they were
  // laid out. A node owns nothing but its children array, released when the
  // node is visited: its destructor would do no more, so the blocks go back
  // to the pool directly.
  thread_local std::vector<Head*> pending;
  thread_local std::vector<Head*> visited;
  pending.push_back(node);
  while (!pending.empty()) {
    Head* at = pending.back();
    pending.pop_back();
    at->PrefetchChildren();
    visited.push_back(at);
    Head* const* children = at->Children();
    for (int i = at->childCount - 1; i >= 0; --i) pending.push_back(children[i]);
    if (at->arity > kPooledChildren) {
      delete[] at->outsideChildren;
    } else if (at->arity > kInlineChildren) {
      ChildArrayPool().Free(at->outsideChildren);
    }
  }
  for (std::size_t k = visited.size(); k-- > 0;) Pool().Free(visited[k]);
  visited.clear();
}

void Head::DeleteChildren() {
  PrefetchChildren();
  Head** children = Children();
  for (int i = childCount - 1; i >= 0; --i) Destroy(children[i]);
  // No dangling pointers stay behind; the node is now a lone node.
  if (arity <= kInlineChildren) {
    inlineChildren[0] = nullptr;
    inlineChildren[1] = nullptr;
  }
  childCount = 0;
  size = -1;
  depth = -1;
}

std::string Head::ToString() const {
  std::string text;
  AppendBracketForm(text);
  return text;
}

std::string Head::ToSaveString() const {
  std::string text;
  AppendListingForm(text);
  return text;
}

void Head::AppendBracketForm(std::string& text) const {
  text += op->GetName();
  if (childCount == 0) return;
  text += '[';
  Head* const* children = Children();
  for (int i = 0; i < childCount; ++i) {
    if (i > 0) text += ',';
    children[i]->AppendBracketForm(text);
  }
  text += ']';
}

// Checkpoints list whole populations: the text is written in place in one
// pass, the string grown only now and then, rather than appended to per node.
int Head::AppendListingForm(std::string& text) const {
  std::size_t at = text.size();
  text.resize(at + 256);
  int nodes = 0;
  at = PutListing(text, at, nodes);
  text.resize(at);
  return nodes;
}

bool Head::AppendListingCodes(ListingCodes& codes) const {
  PrefetchChildren();
  if (!codes.Add(op, arity)) return false;
  Head* const* children = Children();
  for (int i = 0; i < childCount; ++i) {
    if (!children[i]->AppendListingCodes(codes)) return false;
  }
  return true;
}

std::size_t Head::PutListing(std::string& text, std::size_t at, int& nodes) const {
  PrefetchChildren();
  ++nodes;
  const std::string& name = op->GetName();
  // The name, a tab, at most eleven digits and a line feed.
  std::size_t most = name.size() + 13;
  if (at + most > text.size()) text.resize(std::max(2 * text.size(), at + most));
  char* out = text.data() + at;
  std::memcpy(out, name.data(), name.size());
  out += name.size();
  *out++ = '\t';
  if (arity >= 0 && arity < 10) {
    *out++ = static_cast<char>('0' + arity);
  } else {
    std::string digits = std::to_string(arity);
    std::memcpy(out, digits.data(), digits.size());
    out += digits.size();
  }
  *out++ = '\n';
  at = static_cast<std::size_t>(out - text.data());
  Head* const* children = Children();
  for (int i = 0; i < childCount; ++i) at = children[i]->PutListing(text, at, nodes);
  return at;
}
