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

GPDepthLimitCrossover::Outcome GPDepthLimitCrossover::Choose(const FlatNode* a, const FlatNode* b, const FlatNode*& sa,
                                                             const FlatNode*& sb) const {
  // A composer's random selection: a node drawn uniformly in preorder.
  sa = a + GetUtility()->RandomInt(a->GetSize());
  sb = b + GetUtility()->RandomInt(b->GetSize());
  return Decide(FlatProgram::DepthOf(sa), FlatProgram::DepthOf(sb), FlatProgram::PositionOf(a, sa),
                FlatProgram::PositionOf(b, sb));
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
  // two copies of it, which is only read here.
  const FlatNode* sa = nullptr;
  const FlatNode* sb = nullptr;
  Outcome outcome = Choose(a->GetRoot(), b->GetRoot(), sa, sb);
  bool intoFirst = outcome == Outcome::Exchange || outcome == Outcome::CopyIntoFirst;
  bool intoSecond = outcome == Outcome::Exchange || outcome == Outcome::CopyIntoSecond;
  CrossoverRecipes recipes;
  recipes.first = intoFirst ? ProgramRecipe::Graft(a->GetRoot(), sa, sb) : ProgramRecipe::Copy(a->GetRoot());
  recipes.second = intoSecond ? ProgramRecipe::Graft(b->GetRoot(), sb, sa) : ProgramRecipe::Copy(b->GetRoot());
  return recipes;
}
