#include "programs/ProgramRecipe.h"

#include "foundation/AskForMemory.h"
#include "programs/FlatLispCode.h"

ProgramRecipe ProgramRecipe::Copy(const FlatNode* base) { return ProgramRecipe(base, nullptr, nullptr, false); }

ProgramRecipe ProgramRecipe::Graft(const FlatNode* base, const FlatNode* cut, const FlatNode* donor) {
  return ProgramRecipe(base, cut, donor, false);
}

ProgramRecipe ProgramRecipe::GraftWithin(const FlatNode* base, const FlatNode* cut, const FlatNode* donor,
                                         int depthLimit) {
  ProgramRecipe recipe(base, cut, donor, false);
  recipe.depthLimit = depthLimit;
  return recipe;
}

ProgramRecipe ProgramRecipe::Grow(const FlatNode* base, const FlatNode* cut, FlatProgram grown) {
  return ProgramRecipe(base, cut, grown.Release(), true);
}

LispCode* ProgramRecipe::Build() {
  bool graft = cut != nullptr;
  if (graft && depthLimit >= 0) {
    graft = FlatProgram::PositionOf(base, cut) + FlatProgram::DepthOf(replacement) - 1 <= depthLimit;
  }
  FlatProgram program = graft ? FlatProgram::Splice(base, cut, replacement) : FlatProgram::Copy(base);
  Discard();
  return new FlatLispCode(std::move(program));
}

void ProgramRecipe::AskForSources() const {
  if (base == nullptr) return;
  // The base program (all of it but the cut's subtree is copied) and the
  // replacement.
  AskForMemory(base, static_cast<std::ptrdiff_t>(base->size) * sizeof(FlatNode));
  if (replacement != nullptr) {
    AskForMemory(replacement, static_cast<std::ptrdiff_t>(replacement->size) * sizeof(FlatNode));
  }
}

void ProgramRecipe::Discard() {
  if (owned) FlatProgram::FreeProgram(const_cast<FlatNode*>(replacement));
  *this = ProgramRecipe();
}
