#include "programs/Head.h"

#include "foundation/Exception.h"

Head::Head(Operator* op)
    : op(op), children(op->GetArity()), parent(nullptr), size(-1), depth(-1), index(0),
      arity(op->GetArity()) {
  if (arity < 0) GetException()->FatalError("arity = 0", ClassNameOf(*this), "Head");
}

Head::Head(Operator* op, int arity, int size, int depth, int index)
    : op(op), children(arity), parent(nullptr), size(size), depth(depth), index(index), arity(arity) {}

Head::~Head() = default;

void Head::Operate(LispInterpreter* interpreter) { op->Operate(interpreter, arity); }

void Head::AddChild(Head* child) {
  children.Add(child);
  child->index = children.Size() - 1;
  child->parent = this;
}

void Head::SetChild(Head* child, int i) {
  children.Set(i, child);
  child->index = i;
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
  for (int i = 0; i < children.Size(); ++i) total += children.Get(i)->GetSize();
  return total;
}

int Head::ComputeDepth() {
  int deepest = 0;
  for (int i = 0; i < children.Size(); ++i) {
    int d = children.Get(i)->GetDepth();
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
    for (int i = 0; i < node->children.Size(); ++i) {
      Head* child = node->children.Get(i);
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
  Head* copy = new Head(op, arity, size, depth, index);
  for (int i = 0; i < children.Size(); ++i) copy->AddChild(children.Get(i)->Clone());
  return copy;
}

void Head::DeleteChildren() {
  for (int i = 0; i < children.Size(); ++i) {
    Head* child = children.Get(i);
    child->DeleteChildren();
    delete child;
  }
  // No dangling pointers stay behind; the node is now a lone node.
  children.Clear();
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
  if (children.Size() == 0) return;
  text += '[';
  for (int i = 0; i < children.Size(); ++i) {
    if (i > 0) text += ',';
    children.Get(i)->AppendBracketForm(text);
  }
  text += ']';
}

void Head::AppendListingForm(std::string& text) const {
  text += op->GetName();
  text += '\t';
  text += std::to_string(arity);
  text += '\n';
  for (int i = 0; i < children.Size(); ++i) children.Get(i)->AppendListingForm(text);
}
