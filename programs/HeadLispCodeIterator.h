// A read-only walk over a Head tree; destroying it never touches the tree.
#pragma once

#include "programs/LispCodeIterator.h"

class Head;

class HeadLispCodeIterator : public LispCodeIterator {
 public:
  explicit HeadLispCodeIterator(Head* node);
  LispCodeIterator* CreateChildIterator(int index) override;
  Operator* GetOperator() override;

 private:
  Head* node;
};
