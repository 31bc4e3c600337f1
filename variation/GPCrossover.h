// Subtree crossover: exchanges subtrees between two programs in place, keeping
// the changed paths within the maximum depth.
#pragma once

#include "programs/ProgramRecipe.h"

class HeadLispCode;
class LispCode;
class LispCodeComposer;

// The two offspring of a crossover, as recipes on the parents' trees.
struct CrossoverRecipes {
  ProgramRecipe first;
  ProgramRecipe second;
};

class GPCrossover {
 public:
  virtual ~GPCrossover() = default;
  virtual void Cross(LispCode* a, LispCode* b) = 0;
  // What Cross makes of copies of a and b, as recipes on a and b themselves,
  // which stay unchanged; the random draws are those Cross makes.
  virtual CrossoverRecipes Plan(HeadLispCode* a, HeadLispCode* b) = 0;
};

// Picks one node uniformly in each program and exchanges the two subtrees when
// both results fit; otherwise copies one way when only one side fits, or
// leaves both programs unchanged.
class GPDepthLimitCrossover : public GPCrossover {
 public:
  explicit GPDepthLimitCrossover(int maxDepth) : maxDepth(maxDepth) {}
  void Cross(LispCode* a, LispCode* b) override;
  CrossoverRecipes Plan(HeadLispCode* a, HeadLispCode* b) override;
  int GetMaxDepth() const { return maxDepth; }

 private:
  enum class Outcome { Exchange, CopyIntoFirst, CopyIntoSecond, Nothing };
  // Selects a node in each program and says what the crossover does with them.
  Outcome Choose(LispCodeComposer* a, LispCodeComposer* b) const;

  int maxDepth;
};
