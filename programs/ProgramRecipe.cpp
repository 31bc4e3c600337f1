#include "programs/ProgramRecipe.h"

#include "programs/FlatLispCode.h"

ProgramRecipe ProgramRecipe::Copy(const FlatNode* base) { return ProgramRecipe(base, nullptr, nullptr, false); }

ProgramRecipe ProgramRecipe::Graft(const FlatNode* base, const FlatNode* cut, const FlatNode* donor) {
  return ProgramRecipe(base, cut, donor, false);
}

ProgramRecipe ProgramRecipe::Grow(const FlatNode* base, const FlatNode* cut, FlatProgram grown) {
  return ProgramRecipe(base, cut, grown.Release(), true);
}

LispCode* ProgramRecipe::Build() {
  FlatProgram program = cut == nullptr ? FlatProgram::Copy(base) : FlatProgram::Splice(base, cut, replacement);
  Discard();
  return new FlatLispCode(std::move(program));
}

void ProgramRecipe::Discard() {
  if (owned) FlatProgram::FreeProgram(const_cast<FlatNode*>(replacement));
  *this = ProgramRecipe();
}
