// How one offspring program is made from its parents' programs: a copy of a
// parent's tree in which one subtree may be replaced, by a copy of a subtree
// of another parent (crossover) or by a newly grown tree (mutation).
//
// Breeding writes recipes in the order of its random draws; the program can
// then be built later, by the thread that evaluates it, so that the new tree
// is made where it is read first. The parents' trees must stay unchanged and
// alive until the recipe is built or discarded.
#pragma once

class Head;
class LispCode;

class ProgramRecipe {
 public:
  // No recipe at all.
  ProgramRecipe() = default;

  // A copy of the tree at base.
  static ProgramRecipe Copy(Head* base);
  // A copy of the tree at base with the subtree at cut replaced by a copy of
  // the subtree at donor (of any tree).
  static ProgramRecipe Graft(Head* base, Head* cut, Head* donor);
  // A copy of the tree at base with the subtree at cut replaced by grown, a
  // tree that the recipe takes.
  static ProgramRecipe Grow(Head* base, Head* cut, Head* grown);

  bool IsEmpty() const { return base == nullptr; }
  // The program (a new code object), leaving the recipe empty.
  LispCode* Build();
  // Destroys what the recipe owns, leaving it empty.
  void Discard();

 private:
  ProgramRecipe(Head* base, Head* cut, Head* replacement, bool owned)
      : base(base), cut(cut), replacement(replacement), owned(owned) {}

  Head* base = nullptr;
  Head* cut = nullptr;          // null for a plain copy
  Head* replacement = nullptr;  // what goes in place of cut
  bool owned = false;           // replacement is the recipe's (grown), not a parent's
};
