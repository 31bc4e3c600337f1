#include "variation/GPCrossover.h"

#include <memory>

#include "programs/HeadLispCode.h"
#include "programs/HeadLispCodeComposer.h"
#include "programs/LispCode.h"
#include "programs/LispCodeComposer.h"

GPDepthLimitCrossover::Outcome GPDepthLimitCrossover::Choose(LispCodeComposer* ca, LispCodeComposer* cb) const {
  ca->SelectRandom();
  cb->SelectRandom();
  int da = ca->GetSelectedDepth();
  int db = cb->GetSelectedDepth();
  int pa = ca->GetSelectedPosition();
  int pb = cb->GetSelectedPosition();
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

CrossoverRecipes GPDepthLimitCrossover::Plan(HeadLispCode* a, HeadLispCode* b) {
  // The parents may be one and the same program: Cross would then work on
  // two copies of it, which these composers only read.
  HeadLispCodeComposer ca(a);
  HeadLispCodeComposer cb(b);
  Outcome outcome = Choose(&ca, &cb);
  Head* sa = ca.GetSelected();
  Head* sb = cb.GetSelected();
  bool intoFirst = outcome == Outcome::Exchange || outcome == Outcome::CopyIntoFirst;
  bool intoSecond = outcome == Outcome::Exchange || outcome == Outcome::CopyIntoSecond;
  CrossoverRecipes recipes;
  recipes.first = intoFirst ? ProgramRecipe::Graft(a->GetRoot(), sa, sb) : ProgramRecipe::Copy(a->GetRoot());
  recipes.second = intoSecond ? ProgramRecipe::Graft(b->GetRoot(), sb, sa) : ProgramRecipe::Copy(b->GetRoot());
  return recipes;
}
