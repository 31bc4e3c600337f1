#include "programs/ProgramRecipe.h"

#include "programs/Head.h"
#include "programs/HeadLispCode.h"

ProgramRecipe ProgramRecipe::Copy(Head* base) { return ProgramRecipe(base, nullptr, nullptr, false); }

ProgramRecipe ProgramRecipe::Graft(Head* base, Head* cut, Head* donor) {
  return ProgramRecipe(base, cut, donor, false);
}

ProgramRecipe ProgramRecipe::Grow(Head* base, Head* cut, Head* grown) { return ProgramRecipe(base, cut, grown, true); }

LispCode* ProgramRecipe::Build() {
  Head* root = cut == nullptr ? base->Clone() : Head::CloneSplicing(base, cut, replacement, !owned);
  *this = ProgramRecipe();
  return new HeadLispCode(root);
}

void ProgramRecipe::Discard() {
  if (owned && replacement != nullptr) {
    HeadLispCode grown(replacement);
    grown.DeleteTree();
  }
  *this = ProgramRecipe();
}
