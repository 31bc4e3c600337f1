#include "variation/GPMutation.h"

#include <memory>

#include "programs/LispCode.h"
#include "programs/LispCodeComposer.h"
#include "variation/GPGenerator.h"

GPDepthLimitMutation::GPDepthLimitMutation(int maxDepth, GPDepthLimitGenerator* generator)
    : maxDepth(maxDepth), generator(generator) {}

GPDepthLimitMutation::~GPDepthLimitMutation() { delete generator; }

void GPDepthLimitMutation::Mutate(LispCode* code) {
  std::unique_ptr<LispCodeComposer> composer(code->CreateComposer());
  composer->SelectRandom();
  int position = composer->GetSelectedPosition();
  generator->SetDepthLimit(maxDepth - position + 1);
  std::unique_ptr<LispCode> grown(generator->Generate());
  // The grown tree now belongs to code; the emptied code object goes.
  composer->Compose(grown.get());
}
