#include "variation/GACrossover.h"

#include "foundation/NumericArrays.h"
#include "foundation/Utility.h"

void GAOnePointCrossover::Cross(IntArray* a, IntArray* b) {
  if (a->Size() != b->Size()) {
    GetException()->FatalError("Bit strings of different lengths", ClassNameOf(*this), "Cross");
  }
  int point = 1 + GetUtility()->RandomInt(a->Size() - 1);
  CrossAt(a, b, point);
}

void GAOnePointCrossover::CrossAt(IntArray* a, IntArray* b, int point) {
  if (a->Size() != b->Size()) {
    GetException()->FatalError("Bit strings of different lengths", ClassNameOf(*this), "Cross");
  }
  for (int i = point < 0 ? 0 : point; i < a->Size(); ++i) {
    int gene = a->Get(i);
    a->Set(i, b->Get(i));
    b->Set(i, gene);
  }
}
