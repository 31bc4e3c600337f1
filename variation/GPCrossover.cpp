#include "variation/GPCrossover.h"

#include <memory>

#include "foundation/Utility.h"
#include "programs/FlatLispCode.h"
#include "programs/LispCode.h"
#include "programs/LispCodeComposer.h"

GPDepthLimitCrossover::Outcome GPDepthLimitCrossover::Choose(LispCodeComposer* ca, LispCodeComposer* cb) const {
  ca->SelectRandom();
  cb->SelectRandom();
  return Decide(ca->GetSelectedDepth(), cb->GetSelectedDepth(), ca->GetSelectedPosition(), cb->GetSelectedPosition());
}

GPDepthLimitCrossover::Outcome GPDepthLimitCrossover::Decide(int da, int db, int pa, int pb) const {
  bool aFits = pa + db - 1 <= maxDepth;
  bool bFits = pb + da - 1 <= maxDepth;
  if (aFits && bFits) return Outcome::Exchange;
  if (aFits) return Outcome::CopyIntoFirst;
  if (bFits) return Outcome::CopyIntoSecond;
  return Outcome::Nothing;
}

void GPDepthLimitCrossover::Cross(LispCode* a, LispCode* b) {
  if (a == b) return;
  std::unique_ptr<LispCodeComposer> ca(a->CreateComposer());
  std::unique_ptr<LispCodeComposer> cb(b->CreateComposer());
  switch (Choose(ca.get(), cb.get())) {
    case Outcome::Exchange:
      ca->Compose(cb.get(), LispCodeComposer::Exchange);
      break;
    case Outcome::CopyIntoFirst:
      ca->Compose(cb.get(), LispCodeComposer::CopyIn);
      break;
    case Outcome::CopyIntoSecond:
      cb->Compose(ca.get(), LispCodeComposer::CopyIn);
      break;
    case Outcome::Nothing:
      break;
  }
}

CrossoverRecipes GPDepthLimitCrossover::Plan(FlatLispCode* a, FlatLispCode* b) {
  // The parents may be one and the same program: Cross would then work on
  // two copies of it, which is only read here. A composer's random
  // selection: a node drawn uniformly in preorder. Whether each offspring
  // fits within the depth limit (as Decide finds it, side by side) draws
  // nothing, so the thread that builds the offspring decides it.
  double unitA = GetUtility()->Random01();
  double unitB = GetUtility()->Random01();
  return PlanAt(a, b, unitA, unitB);
}

CrossoverRecipes GPDepthLimitCrossover::PlanAt(FlatLispCode* a, FlatLispCode* b, double unitA,
                                               double unitB) const {
  return PlanAt(a->GetRoot(), b->GetRoot(), unitA, unitB);
}

CrossoverRecipes GPDepthLimitCrossover::PlanAt(const FlatNode* ra, const FlatNode* rb, double unitA,
                                               double unitB) const {
  const FlatNode* sa = ra + Utility::IntOf(unitA, ra->GetSize());
  const FlatNode* sb = rb + Utility::IntOf(unitB, rb->GetSize());
  CrossoverRecipes recipes;
  recipes.first = ProgramRecipe::GraftWithin(ra, sa, sb, maxDepth);
  recipes.second = ProgramRecipe::GraftWithin(rb, sb, sa, maxDepth);
  return recipes;
}
