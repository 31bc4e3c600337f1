// How one offspring program is made from its parents' programs: a copy of a
// parent's program in which one subtree may be replaced, by a copy of a
// subtree of another parent (crossover) or by a newly grown program
// (mutation).
//
// Breeding writes recipes in the order of its random draws; the program can
// then be built later, by the thread that evaluates it, so that the new
// program is made where it is read first. The parents' programs (flat) must
// stay unchanged and alive until the recipe is built or discarded.
#pragma once

#include "programs/FlatProgram.h"

class LispCode;

class ProgramRecipe {
 public:
  // No recipe at all.
  ProgramRecipe() = default;

  // A copy of the program at base.
  static ProgramRecipe Copy(const FlatNode* base);
  // A copy of the program at base with the subtree at cut replaced by a
  // copy of the subtree at donor (of any program).
  static ProgramRecipe Graft(const FlatNode* base, const FlatNode* cut, const FlatNode* donor);
  // Graft where the result is no deeper than depthLimit (the level of cut,
  // counting the root as 1, plus the donor's depth, less one), else Copy;
  // decided when the recipe is built.
  static ProgramRecipe GraftWithin(const FlatNode* base, const FlatNode* cut, const FlatNode* donor, int depthLimit);
  // A copy of the program at base with the subtree at cut replaced by
  // grown, which the recipe takes.
  static ProgramRecipe Grow(const FlatNode* base, const FlatNode* cut, FlatProgram grown);

  bool IsEmpty() const { return base == nullptr; }
  // The program (a new code object, a FlatLispCode), leaving the recipe
  // empty.
  LispCode* Build();
  // Asks the memory system for the parts of the parents' programs that Build
  // reads (see AskForMemory).
  void AskForSources() const;
  // Destroys what the recipe owns, leaving it empty.
  void Discard();

 private:
  ProgramRecipe(const FlatNode* base, const FlatNode* cut, const FlatNode* replacement, bool owned)
      : base(base), cut(cut), replacement(replacement), owned(owned) {}

  const FlatNode* base = nullptr;
  const FlatNode* cut = nullptr;          // null for a plain copy
  const FlatNode* replacement = nullptr;  // what goes in place of cut
  bool owned = false;                     // replacement is the recipe's (grown), not a parent's
  int depthLimit = -1;                    // for GraftWithin; -1 for none
};
