#include "engine/GeneArrays.h"

#include <vector>

#include "foundation/NumericArrays.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MORVANE2_GENES_FROM_HEAP 1
#endif

namespace {
// At most this many arrays, and this many genes in all, wait for reuse on a
// thread: more than a large population's worth is seldom wanted again.
constexpr std::size_t kMostKept = 1 << 16;
constexpr long long kMostGenes = 16LL << 20;

// Set once the thread's kept arrays are freed (it is ending): arrays given
// back after that, by objects destroyed later, are freed at once.
thread_local bool ended = false;

// The arrays a thread keeps, all of one capacity; freed when the thread ends.
struct Kept {
  std::vector<IntArray*> arrays;
  int capacity = -1;
  ~Kept() {
    for (IntArray* genes : arrays) delete genes;
    arrays.clear();
    ended = true;
  }
};
thread_local Kept kept;
}  // namespace

IntArray* GeneArrays::Take(int capacity) {
#if !defined(MORVANE2_GENES_FROM_HEAP)
  if (!ended && capacity == kept.capacity && !kept.arrays.empty()) {
    IntArray* genes = kept.arrays.back();
    kept.arrays.pop_back();
    genes->Clear();
    return genes;
  }
#endif
  return new IntArray(capacity);
}

void GeneArrays::Give(IntArray* genes) {
  if (genes == nullptr) return;
#if !defined(MORVANE2_GENES_FROM_HEAP)
  if (ended) {
    delete genes;
    return;
  }
  int capacity = genes->Capacity();
  if (capacity != kept.capacity) {
    // Arrays of another length from now on (another run): the old ones go.
    for (IntArray* old : kept.arrays) delete old;
    kept.arrays.clear();
    kept.capacity = capacity;
  }
  if (kept.arrays.size() < kMostKept &&
      static_cast<long long>(kept.arrays.size() + 1) * capacity <= kMostGenes) {
    kept.arrays.push_back(genes);
    return;
  }
#endif
  delete genes;
}
