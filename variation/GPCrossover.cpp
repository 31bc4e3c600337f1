#include "variation/GPCrossover.h"

#include <memory>

#include "programs/LispCode.h"
#include "programs/LispCodeComposer.h"

void GPDepthLimitCrossover::Cross(LispCode* a, LispCode* b) {
  if (a == b) return;
  std::unique_ptr<LispCodeComposer> ca(a->CreateComposer());
  std::unique_ptr<LispCodeComposer> cb(b->CreateComposer());
  ca->SelectRandom();
  cb->SelectRandom();
  int da = ca->GetSelectedDepth();
  int db = cb->GetSelectedDepth();
  int pa = ca->GetSelectedPosition();
  int pb = cb->GetSelectedPosition();
  bool aFits = pa + db - 1 <= maxDepth;
  bool bFits = pb + da - 1 <= maxDepth;
  if (aFits && bFits) {
    ca->Compose(cb.get(), LispCodeComposer::Exchange);
  } else if (aFits) {
    ca->Compose(cb.get(), LispCodeComposer::CopyIn);
  } else if (bFits) {
    cb->Compose(ca.get(), LispCodeComposer::CopyIn);
  }
}
