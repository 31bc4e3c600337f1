// Subtree crossover: exchanges subtrees between two programs in place, keeping
// the changed paths within the maximum depth.
#pragma once

class LispCode;

class GPCrossover {
 public:
  virtual ~GPCrossover() = default;
  virtual void Cross(LispCode* a, LispCode* b) = 0;
};

// Picks one node uniformly in each program and exchanges the two subtrees when
// both results fit; otherwise copies one way when only one side fits, or
// leaves both programs unchanged.
class GPDepthLimitCrossover : public GPCrossover {
 public:
  explicit GPDepthLimitCrossover(int maxDepth) : maxDepth(maxDepth) {}
  void Cross(LispCode* a, LispCode* b) override;
  int GetMaxDepth() const { return maxDepth; }

 private:
  int maxDepth;
};
