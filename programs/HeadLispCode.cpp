#include "programs/HeadLispCode.h"

#include "programs/HeadLispCodeComposer.h"
#include "programs/HeadLispCodeIterator.h"
#include "programs/LispInterpreter.h"

HeadLispCode::HeadLispCode(Head* root) : root(root) {}

HeadLispCode::~HeadLispCode() = default;

LispCodeComposer* HeadLispCode::CreateComposer() { return new HeadLispCodeComposer(this); }

void HeadLispCode::Evaluate(LispInterpreter* interpreter) { interpreter->Evaluate(root); }

std::string HeadLispCode::ToString() { return root != nullptr ? root->ToString() : std::string(); }

std::string HeadLispCode::ToSaveString() {
  return root != nullptr ? root->ToSaveString() : std::string();
}

void HeadLispCode::DeleteTree() {
  if (root == nullptr) return;
  root->DeleteChildren();
  delete root;
  root = nullptr;
}

LispCode* HeadLispCode::Clone() { return new HeadLispCode(root != nullptr ? root->Clone() : nullptr); }

LispCodeIterator* HeadLispCode::CreateIterator() { return new HeadLispCodeIterator(root); }

void HeadLispCode::PrepareForSharing() {
  if (root == nullptr) return;
  root->GetSize();
  root->GetDepth();
}
