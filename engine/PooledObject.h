// A base for the objects every generation makes and destroys by the
// thousand, on several threads (individuals, chromosomes): objects of up to
// 128 bytes come from node pools (of blocks of 32, 64 and 128 bytes), each thread keeping the blocks it frees
// for the objects it makes next; larger ones from the heap.
#pragma once

#include <cstddef>

class PooledObject {
 public:
  static void* operator new(std::size_t size);
  static void operator delete(void* block, std::size_t size);
};
