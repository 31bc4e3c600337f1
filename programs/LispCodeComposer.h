// Picks a node of a program at random and splices subtrees between programs;
// crossover and mutation are built on it.
#pragma once

class Head;
class LispCode;

class LispCodeComposer {
 public:
  // Exchange the two selected subtrees (Compose with a composer).
  static constexpr int Exchange = 1;
  // Replace this selected subtree by a copy of the other's.
  static constexpr int CopyIn = 2;

  virtual ~LispCodeComposer() = default;
  virtual LispCode* GetCode() = 0;
  // Selects a node uniformly over the whole program and returns it.
  virtual Head* SelectRandom() = 0;
  // Does nothing.
  virtual void Nop() = 0;
  // Replaces the selected subtree by the other code's tree, which then belongs
  // to this code; the other code object is left empty.
  virtual void Compose(LispCode* other) = 0;
  // Splices between the two selections by mode (Exchange or CopyIn).
  virtual void Compose(LispCodeComposer* other, int mode) = 0;
  // Depth of the selected subtree, a lone node being 1.
  virtual int GetSelectedDepth() = 0;
  // Level of the selected node, the root being 1.
  virtual int GetSelectedPosition() = 0;
};
