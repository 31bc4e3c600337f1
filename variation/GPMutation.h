// Subtree mutation: replaces a uniformly chosen subtree by a freshly grown one
// sized so that the changed path stays within the maximum depth.
#pragma once

#include "programs/ProgramRecipe.h"

class GPDepthLimitGenerator;
class FlatLispCode;
class LispCode;
class LispCodeComposer;

class GPMutation {
 public:
  virtual ~GPMutation() = default;
  virtual void Mutate(LispCode* code) = 0;
  // What Mutate makes of a copy of code, as a recipe on code itself, which
  // stays unchanged; the random draws are those Mutate makes.
  virtual ProgramRecipe Plan(FlatLispCode* code) = 0;
};

class GPDepthLimitMutation : public GPMutation {
 public:
  // The mutation owns its generator and overwrites its depth limit each time.
  GPDepthLimitMutation(int maxDepth, GPDepthLimitGenerator* generator);
  ~GPDepthLimitMutation() override;
  void Mutate(LispCode* code) override;
  ProgramRecipe Plan(FlatLispCode* code) override;

 private:
  // Selects the node to replace and grows its replacement.
  LispCode* Grow(LispCodeComposer* composer);
  // Grows a replacement for a node at level position.
  LispCode* GrowAt(int position);

  int maxDepth;
  GPDepthLimitGenerator* generator;
};
