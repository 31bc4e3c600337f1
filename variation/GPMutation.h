// Subtree mutation: replaces a uniformly chosen subtree by a freshly grown one
// sized so that the changed path stays within the maximum depth.
#pragma once

class GPDepthLimitGenerator;
class LispCode;

class GPMutation {
 public:
  virtual ~GPMutation() = default;
  virtual void Mutate(LispCode* code) = 0;
};

class GPDepthLimitMutation : public GPMutation {
 public:
  // The mutation owns its generator and overwrites its depth limit each time.
  GPDepthLimitMutation(int maxDepth, GPDepthLimitGenerator* generator);
  ~GPDepthLimitMutation() override;
  void Mutate(LispCode* code) override;

 private:
  int maxDepth;
  GPDepthLimitGenerator* generator;
};
