// The composer of Head trees: selects a node of its code uniformly at random
// and splices subtrees in place, keeping the size and depth caches right.
#pragma once

#include "programs/LispCodeComposer.h"

class HeadLispCode;

class HeadLispCodeComposer : public LispCodeComposer {
 public:
  explicit HeadLispCodeComposer(HeadLispCode* code);

  LispCode* GetCode() override;
  // One draw RandomInt(size of the tree), then that node in preorder.
  Head* SelectRandom() override;
  void Nop() override;
  void Compose(LispCode* other) override;
  void Compose(LispCodeComposer* other, int mode) override;
  int GetSelectedDepth() override;
  int GetSelectedPosition() override;

  // The selected node, selecting at random first when nothing is selected.
  Head* GetSelected();

 private:
  HeadLispCode* code;
  Head* selected;
};
