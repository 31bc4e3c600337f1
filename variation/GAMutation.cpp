#include "variation/GAMutation.h"

#include "foundation/NumericArrays.h"
#include "foundation/Utility.h"

void GABitFlipMutation::Mutate(IntArray* genes) {
  for (int i = 0; i < genes->Size(); ++i) {
    if (GetUtility()->Random01() < rate) genes->Set(i, genes->Get(i) == 1 ? 0 : 1);
  }
}
