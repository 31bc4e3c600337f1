#include "variation/GAMutation.h"

#include "foundation/NumericArrays.h"
#include "foundation/Utility.h"

void GABitFlipMutation::Mutate(IntArray* genes) {
  for (int i = 0; i < genes->Size(); ++i) {
    if (GetUtility()->Random01() < rate) genes->Set(i, genes->Get(i) == 1 ? 0 : 1);
  }
}

bool GABitFlipMutation::PlanFlips(int length, std::vector<int>& flips) {
  Utility* random = GetUtility();
  for (int i = 0; i < length; ++i) {
    if (random->Random01() < rate) flips.push_back(i);
  }
  return true;
}
