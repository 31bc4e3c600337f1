#include "variation/GPMutation.h"

#include <memory>

#include "foundation/Exception.h"
#include "programs/HeadLispCode.h"
#include "programs/HeadLispCodeComposer.h"
#include "programs/LispCode.h"
#include "programs/LispCodeComposer.h"
#include "variation/GPGenerator.h"

GPDepthLimitMutation::GPDepthLimitMutation(int maxDepth, GPDepthLimitGenerator* generator)
    : maxDepth(maxDepth), generator(generator) {}

GPDepthLimitMutation::~GPDepthLimitMutation() { delete generator; }

LispCode* GPDepthLimitMutation::Grow(LispCodeComposer* composer) {
  composer->SelectRandom();
  int position = composer->GetSelectedPosition();
  generator->SetDepthLimit(maxDepth - position + 1);
  return generator->Generate();
}

void GPDepthLimitMutation::Mutate(LispCode* code) {
  std::unique_ptr<LispCodeComposer> composer(code->CreateComposer());
  std::unique_ptr<LispCode> grown(Grow(composer.get()));
  // The grown tree now belongs to code; the emptied code object goes.
  composer->Compose(grown.get());
}

ProgramRecipe GPDepthLimitMutation::Plan(HeadLispCode* code) {
  HeadLispCodeComposer composer(code);
  std::unique_ptr<LispCode> grown(Grow(&composer));
  auto* tree = dynamic_cast<HeadLispCode*>(grown.get());
  if (tree == nullptr) GetException()->CastError("LispCode", "HeadLispCode", "HeadLispCodeComposer", "Compose");
  // The grown tree now belongs to the recipe; the emptied code object goes.
  Head* root = tree->GetRoot();
  tree->SetRoot(nullptr);
  return ProgramRecipe::Grow(code->GetRoot(), composer.GetSelected(), root);
}
