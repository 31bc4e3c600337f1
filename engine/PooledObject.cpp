#include "engine/PooledObject.h"

#include <new>

#include "programs/NodePool.h"

namespace {
// Pool numbers of their own (the tree nodes' and the flat programs' pools
// have others).
constexpr std::size_t kSmall = 32;
constexpr std::size_t kMedium = 64;
constexpr std::size_t kLarge = 128;
// The thread that frees them is seldom the one that makes them: what it
// keeps is soon handed over.
constexpr std::size_t kKeepBytes = 256 * 1024;
constinit NodePool smallObjects(NodePool::BlockSizeFor(kSmall), 5, NodePool::Chunks::Small, kKeepBytes);
constinit NodePool mediumObjects(NodePool::BlockSizeFor(kMedium), 6, NodePool::Chunks::Small, kKeepBytes);
constinit NodePool largeObjects(NodePool::BlockSizeFor(kLarge), 7, NodePool::Chunks::Small, kKeepBytes);
}  // namespace

void* PooledObject::operator new(std::size_t size) {
  if (size <= kSmall) return smallObjects.Allocate();
  if (size <= kMedium) return mediumObjects.Allocate();
  if (size <= kLarge) return largeObjects.Allocate();
  return ::operator new(size);
}

void PooledObject::operator delete(void* block, std::size_t size) {
  if (block == nullptr) return;
  if (size <= kSmall) {
    smallObjects.Free(block);
  } else if (size <= kMedium) {
    mediumObjects.Free(block);
  } else if (size <= kLarge) {
    largeObjects.Free(block);
  } else {
    ::operator delete(block);
  }
}
