#include "variation/GACrossover.h"

#include <algorithm>

#include "foundation/NumericArrays.h"
#include "foundation/Utility.h"

void GAOnePointCrossover::Cross(IntArray* a, IntArray* b) {
  if (a->Size() != b->Size()) {
    GetException()->FatalError("Bit strings of different lengths", ClassNameOf(*this), "Cross");
  }
  CrossAt(a, b, DrawCut(a->Size()));
}

int GAOnePointCrossover::DrawCut(int length) {
  int point = 1 + GetUtility()->RandomInt(length - 1);
  return point < 0 ? 0 : point;
}

int GAOnePointCrossover::PlanCut(const IntArray* a, const IntArray* b) {
  if (a->Size() != b->Size()) {
    GetException()->FatalError("Bit strings of different lengths", ClassNameOf(*this), "Cross");
  }
  return DrawCut(a->Size());
}

void GAOnePointCrossover::CrossAt(IntArray* a, IntArray* b, int point) {
  if (a->Size() != b->Size()) {
    GetException()->FatalError("Bit strings of different lengths", ClassNameOf(*this), "Cross");
  }
  int from = point < 0 ? 0 : point;
  if (from < a->Size()) std::swap_ranges(a->Data() + from, a->Data() + a->Size(), b->Data() + from);
}
