// Subtree crossover: exchanges subtrees between two programs in place, keeping
// the changed paths within the maximum depth.
#pragma once

#include "programs/ProgramRecipe.h"

class FlatLispCode;
struct FlatNode;
class LispCode;
class LispCodeComposer;

// The two offspring of a crossover, as recipes on the parents' programs.
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
  virtual CrossoverRecipes Plan(FlatLispCode* a, FlatLispCode* b) = 0;
};

// Picks one node uniformly in each program and exchanges the two subtrees when
// both results fit; otherwise copies one way when only one side fits, or
// leaves both programs unchanged.
class GPDepthLimitCrossover : public GPCrossover {
 public:
  explicit GPDepthLimitCrossover(int maxDepth) : maxDepth(maxDepth) {}
  void Cross(LispCode* a, LispCode* b) override;
  CrossoverRecipes Plan(FlatLispCode* a, FlatLispCode* b) override;
  // Plan with its two draws made already, in order (Random01 each): the
  // points in a and in b are Utility::IntOf(unitA, a's size) and
  // IntOf(unitB, b's size) in preorder.
  CrossoverRecipes PlanAt(FlatLispCode* a, FlatLispCode* b, double unitA, double unitB) const;
  // The same on the programs at the root nodes ra and rb.
  CrossoverRecipes PlanAt(const FlatNode* ra, const FlatNode* rb, double unitA, double unitB) const;
  int GetMaxDepth() const { return maxDepth; }

 private:
  enum class Outcome { Exchange, CopyIntoFirst, CopyIntoSecond, Nothing };
  // Selects a node in each program and says what the crossover does with them.
  Outcome Choose(LispCodeComposer* a, LispCodeComposer* b) const;
  // What the crossover does with the selections, given their depths and
  // levels.
  Outcome Decide(int da, int db, int pa, int pb) const;

  int maxDepth;
};
