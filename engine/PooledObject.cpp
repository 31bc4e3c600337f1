#include "engine/PooledObject.h"

#include <new>

#include "programs/NodePool.h"

namespace {
// Pool numbers of their own (the tree nodes' and the flat programs' pools
// have others).
constexpr std::size_t kSmall = 64;
constexpr std::size_t kLarge = 128;
constinit NodePool smallObjects(NodePool::BlockSizeFor(kSmall), 5, NodePool::Chunks::Small);
constinit NodePool largeObjects(NodePool::BlockSizeFor(kLarge), 6, NodePool::Chunks::Small);
}  // namespace

void* PooledObject::operator new(std::size_t size) {
  if (size <= kSmall) return smallObjects.Allocate();
  if (size <= kLarge) return largeObjects.Allocate();
  return ::operator new(size);
}

void PooledObject::operator delete(void* block, std::size_t size) {
  if (block == nullptr) return;
  if (size <= kSmall) {
    smallObjects.Free(block);
  } else if (size <= kLarge) {
    largeObjects.Free(block);
  } else {
    ::operator delete(block);
  }
}
