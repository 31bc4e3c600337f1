#include "programs/HeadLispCodeComposer.h"

#include "foundation/Exception.h"
#include "foundation/Utility.h"
#include "programs/HeadLispCode.h"

namespace {
// Destroys a node together with its whole subtree.
void DeleteSubtree(Head* node) {
  node->DeleteChildren();
  delete node;
}
}  // namespace

HeadLispCodeComposer::HeadLispCodeComposer(HeadLispCode* code) : code(code), selected(nullptr) {}

LispCode* HeadLispCodeComposer::GetCode() { return code; }

Head* HeadLispCodeComposer::SelectRandom() {
  Head* root = code->GetRoot();
  int k = GetUtility()->RandomInt(root->GetSize());
  selected = root->Part(k);
  return selected;
}

void HeadLispCodeComposer::Nop() {}

Head* HeadLispCodeComposer::GetSelected() {
  if (selected == nullptr) SelectRandom();
  return selected;
}

void HeadLispCodeComposer::Compose(LispCode* other) {
  HeadLispCode* donor = dynamic_cast<HeadLispCode*>(other);
  if (donor == nullptr) {
    GetException()->CastError("LispCode", "HeadLispCode", ClassNameOf(*this), "Compose");
  }
  Head* s = GetSelected();
  Head* p = s->GetParent();
  int i = s->GetIndex();
  Head* graft = donor->GetRoot();
  if (p == nullptr) code->SetRoot(graft);
  Head::Attach(graft, p, i);
  // The grafted tree belongs to this code now; the donor must not reach it.
  donor->SetRoot(nullptr);
  DeleteSubtree(s);
  selected = nullptr;
}

void HeadLispCodeComposer::Compose(LispCodeComposer* other, int mode) {
  HeadLispCodeComposer* partner = dynamic_cast<HeadLispCodeComposer*>(other);
  if (partner == nullptr) {
    GetException()->CastError("LispCodeComposer", "HeadLispCodeComposer", ClassNameOf(*this),
                              "Compose");
  }
  Head* s1 = GetSelected();
  Head* s2 = partner->GetSelected();
  if (mode == Exchange) {
    Head* p1 = s1->GetParent();
    int i1 = s1->GetIndex();
    Head* p2 = s2->GetParent();
    int i2 = s2->GetIndex();
    if (p1 == nullptr) code->SetRoot(s2);
    if (p2 == nullptr) partner->code->SetRoot(s1);
    Head::Attach(s2, p1, i1);
    Head::Attach(s1, p2, i2);
  } else if (mode == CopyIn) {
    Head* p1 = s1->GetParent();
    int i1 = s1->GetIndex();
    Head* copy = s2->Clone();
    if (p1 == nullptr) code->SetRoot(copy);
    Head::Attach(copy, p1, i1);
    DeleteSubtree(s1);
  }
  selected = nullptr;
  partner->selected = nullptr;
}

int HeadLispCodeComposer::GetSelectedDepth() { return GetSelected()->GetDepth(); }

int HeadLispCodeComposer::GetSelectedPosition() { return GetSelected()->Position(code->GetRoot()); }
