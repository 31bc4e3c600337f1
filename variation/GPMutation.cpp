#include "variation/GPMutation.h"

#include <memory>

#include "foundation/Exception.h"
#include "foundation/Utility.h"
#include "programs/FlatLispCode.h"
#include "programs/LispCode.h"
#include "programs/LispCodeComposer.h"
#include "variation/GPGenerator.h"

GPDepthLimitMutation::GPDepthLimitMutation(int maxDepth, GPDepthLimitGenerator* generator)
    : maxDepth(maxDepth), generator(generator) {}

GPDepthLimitMutation::~GPDepthLimitMutation() { delete generator; }

LispCode* GPDepthLimitMutation::Grow(LispCodeComposer* composer) {
  composer->SelectRandom();
  return GrowAt(composer->GetSelectedPosition());
}

LispCode* GPDepthLimitMutation::GrowAt(int position) {
  generator->SetDepthLimit(maxDepth - position + 1);
  return generator->Generate();
}

void GPDepthLimitMutation::Mutate(LispCode* code) {
  std::unique_ptr<LispCodeComposer> composer(code->CreateComposer());
  std::unique_ptr<LispCode> grown(Grow(composer.get()));
  // The grown tree now belongs to code; the emptied code object goes.
  composer->Compose(grown.get());
}

ProgramRecipe GPDepthLimitMutation::Plan(FlatLispCode* code) {
  // A composer's random selection: a node drawn uniformly in preorder.
  const FlatNode* root = code->GetRoot();
  const FlatNode* selected = root + GetUtility()->RandomInt(root->GetSize());
  generator->SetDepthLimit(maxDepth - FlatProgram::PositionOf(root, selected) + 1);
  std::unique_ptr<LispCode> grown(generator->GenerateFlat());
  auto* flat = dynamic_cast<FlatLispCode*>(grown.get());
  if (flat == nullptr || flat->GetRoot() == nullptr) {
    GetException()->CastError("LispCode", "HeadLispCode", "HeadLispCodeComposer", "Compose");
  }
  // The grown program now belongs to the recipe; the emptied code object goes.
  return ProgramRecipe::Grow(root, selected, flat->TakeProgram());
}
