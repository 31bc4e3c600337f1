#include "programs/NodePool.h"

#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {
// Chunks of one large page, so that the many nodes of a run take few page
// faults and few address translations.
constexpr std::size_t kChunkBytes = 2 * 1024 * 1024;
constexpr std::size_t kChunkAlignment = kChunkBytes;
// Small chunks: at least eight blocks, aligned to the cache line, and of
// this many bytes once a thread has made kSmallChunkDoublings of a pool's.
// Those first ones are half as large as the next each, from an eighth: a
// large page is cleared whole when it is first written (half a millisecond
// or more here), and a run that makes few objects of many sizes (a short
// one, or one whose programs are small) would otherwise clear pages for
// chunks it hardly uses.
constexpr std::size_t kSmallChunkBytes = 128 * 1024;
constexpr int kSmallChunkDoublings = 3;
constexpr std::size_t kSmallChunkBlocks = 8;
constexpr std::size_t kLineAlignment = 64;

// The pools by number, for giving blocks back when a thread ends.
std::atomic<NodePool*> pools[NodePool::kMaxPools];

thread_local bool exitArmed = false;
}  // namespace

thread_local NodePool::Stack NodePool::localStacks[NodePool::kMaxPools];
thread_local NodePool::Fresh NodePool::freshBlocks[NodePool::kMaxPools];

// Gives the calling thread's free blocks back to their pools when the thread
// ends. Made the first time a thread grows or refills a stack; the fast paths
// never touch it.
struct NodePool::ThreadExit {
  bool armed = false;
  ~ThreadExit() {
#if defined(__linux__)
    // The main thread ends only with the process: nothing would draw on its
    // blocks again, and handing them over would cost a page fault for every
    // 512 of them (the shared stack grows to take them all).
    if (::gettid() == ::getpid()) return;
#endif
    for (int k = 0; k < kMaxPools; ++k) {
      NodePool* pool = pools[k].load(std::memory_order_acquire);
      Stack& stack = localStacks[k];
      Fresh& fresh = freshBlocks[k];
      // The newest chunk's blocks never handed out go too.
      if (pool != nullptr && fresh.next != fresh.end) {
        pool->TakeFresh(stack, fresh, static_cast<std::size_t>(fresh.end - fresh.next) / pool->blockSize);
      }
      fresh = Fresh{};
      if (pool != nullptr && stack.count > 0) pool->GiveBack(stack);
      std::free(stack.items);
      stack = Stack{};
    }
  }
};

void NodePool::Adopt() {
  pools[number].store(this, std::memory_order_release);
  if (!exitArmed) {
    thread_local ThreadExit threadExit;
    threadExit.armed = true;
    exitArmed = true;
  }
}

void NodePool::TrimAllLocal() {
#if !defined(MORVANE2_PLAIN_HEAP)
  for (int k = 0; k < kMaxPools; ++k) {
    NodePool* pool = pools[k].load(std::memory_order_acquire);
    if (pool != nullptr) pool->TrimLocal();
  }
#endif
}

void NodePool::Reserve(Stack& stack, std::size_t capacity) {
  if (capacity <= stack.capacity) return;
  // Grown by at least half again, so that many small additions move it rarely.
  if (capacity < stack.capacity + stack.capacity / 2) capacity = stack.capacity + stack.capacity / 2;
  void* grown = std::realloc(stack.items, capacity * sizeof(void*));
  if (grown == nullptr) throw std::bad_alloc();
  stack.items = static_cast<void**>(grown);
  stack.capacity = capacity;
}

void NodePool::Grow(Stack& stack) {
  Adopt();
  Reserve(stack, stack.capacity < 1024 ? 1024 : 2 * stack.capacity);
}

void NodePool::Touch(Stack& stack, std::size_t count) {
  if (count <= stack.touched) return;
  std::memset(static_cast<void*>(stack.items + stack.touched), 0, (count - stack.touched) * sizeof(void*));
  stack.touched = count;
}

void NodePool::ReserveShared(std::size_t extra) {
  // The count is read again after each growth: other threads may have added
  // to the shared stack while the lock was let go.
  while (shared.capacity - shared.count < extra) {
    std::size_t capacity = shared.count + extra;
    if (capacity < shared.capacity + shared.capacity / 2) capacity = shared.capacity + shared.capacity / 2;
    if (capacity < 1024) capacity = 1024;
    // Allocated and written outside the lock: new memory is slow to touch
    // the first time, and the other threads would spin meanwhile.
    Unlock();
    auto* items = static_cast<void**>(std::malloc(capacity * sizeof(void*)));
    if (items == nullptr) throw std::bad_alloc();
    std::memset(static_cast<void*>(items), 0, capacity * sizeof(void*));
    Lock();
    // Unless another thread grew it meanwhile (as far or further), the
    // blocks move over to the new stack.
    void** unused = items;
    if (shared.capacity < capacity) {
      if (shared.count > 0) std::memcpy(static_cast<void*>(items), shared.items, shared.count * sizeof(void*));
      unused = shared.items;
      shared.items = items;
      shared.capacity = capacity;
      shared.touched = capacity;
    }
    Unlock();
    std::free(unused);
    Lock();
  }
}

void NodePool::GiveBack(Stack& stack) {
  if (stack.count == 0) return;
  Lock();
  ReserveShared(stack.count);
  std::memcpy(shared.items + shared.count, stack.items, stack.count * sizeof(void*));
  shared.count += stack.count;
  Unlock();
  stack.count = 0;
}

void NodePool::GiveBackOldest(Stack& stack, std::size_t count) {
  if (count > stack.count) count = stack.count;
  if (count == 0) return;
  Lock();
  ReserveShared(count);
  std::memcpy(shared.items + shared.count, stack.items, count * sizeof(void*));
  shared.count += count;
  Unlock();
  std::memmove(stack.items, stack.items + count, (stack.count - count) * sizeof(void*));
  stack.count -= count;
}

std::size_t NodePool::SharedCount() {
  Lock();
  std::size_t count = shared.count;
  Unlock();
  return count;
}

void NodePool::TakeFresh(Stack& stack, Fresh& fresh, std::size_t most) {
  std::size_t left = static_cast<std::size_t>(fresh.end - fresh.next) / blockSize;
  std::size_t count = left < most ? left : most;
  Reserve(stack, stack.count + count);
  // Handed out in address order.
  for (std::size_t k = count; k-- > 0;) stack.items[stack.count++] = fresh.next + k * blockSize;
  fresh.next += count * blockSize;
}

namespace {
// The calling thread's large page for small chunks, cut from the front.
thread_local char* pageNext = nullptr;
thread_local char* pageEnd = nullptr;

void NewPage() {
  pageNext = static_cast<char*>(::operator new(kChunkBytes, std::align_val_t(kChunkAlignment)));
  pageEnd = pageNext + kChunkBytes;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  madvise(pageNext, kChunkBytes, MADV_HUGEPAGE);
#endif
}
}  // namespace

char* NodePool::SmallChunk(std::size_t bytes) {
  bytes = (bytes + kLineAlignment - 1) / kLineAlignment * kLineAlignment;
  if (bytes > kChunkBytes / 4) {
    return static_cast<char*>(::operator new(bytes, std::align_val_t(kLineAlignment)));
  }
  // What is left of the page before is never used: at most a quarter of it.
  if (pageNext == nullptr || static_cast<std::size_t>(pageEnd - pageNext) < bytes) NewPage();
  char* chunk = pageNext;
  pageNext += bytes;
  return chunk;
}

void NodePool::PrepareThread() {
#if !defined(MORVANE2_PLAIN_HEAP)
  if (pageNext != nullptr) return;
  NewPage();
  // The first write takes the page fault (for a large page, the clearing of
  // all of it; on a virtual machine whose host has to find the memory
  // first, milliseconds).
  *static_cast<volatile char*>(pageNext) = 0;
#endif
}

void NodePool::Refill(Stack& stack) {
  Adopt();
  Fresh& fresh = freshBlocks[number];
  if (fresh.next != fresh.end) {
    TakeFresh(stack, fresh, kFreshBatch);
    return;
  }
  Lock();
  if (shared.count > 0) {
    // The shared blocks in their order: the last given back is handed out
    // first.
    std::size_t wanted = shared.count < kRefillBatch ? shared.count : kRefillBatch;
    if (stack.touched < wanted) {
      // Grown and written once outside the lock; the shared blocks may be
      // taken meanwhile.
      Unlock();
      Reserve(stack, wanted);
      Touch(stack, wanted);
      Lock();
    }
    std::size_t taken = shared.count < wanted ? shared.count : wanted;
    std::memcpy(stack.items, shared.items + (shared.count - taken), taken * sizeof(void*));
    shared.count -= taken;
    stack.count = taken;
    if (taken > 0) {
      Unlock();
      return;
    }
  }
  // A chunk's first block holds the link to the chunk before it.
  std::size_t bytes = kChunkBytes;
  if (!largePages) {
    bytes = kSmallChunkBytes >> (kSmallChunkDoublings -
                                 (fresh.chunks < kSmallChunkDoublings ? fresh.chunks : kSmallChunkDoublings));
    ++fresh.chunks;
  }
  std::size_t count = bytes / blockSize;
  if (count < 2) count = 2;
  if (!largePages && count < kSmallChunkBlocks) count = kSmallChunkBlocks;
  // Made and first written outside the lock: the first write to new memory
  // takes a page fault (for a large page, the clearing of all of it), long
  // enough for the other threads to spin through many thousand turns.
  Unlock();
  char* chunk = nullptr;
  if (largePages) {
    // Aligned to the cache line, so that a block of a line's size is in one.
    chunk = static_cast<char*>(::operator new(count * blockSize, std::align_val_t(kChunkAlignment)));
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Only advice: without large pages the chunk works all the same.
    madvise(chunk, count * blockSize, MADV_HUGEPAGE);
#endif
  } else {
    // Cut from a large page of the calling thread's own.
    chunk = SmallChunk(count * blockSize);
  }
  *reinterpret_cast<void**>(chunk) = nullptr;
  Lock();
  *reinterpret_cast<void**>(chunk) = chunks;
  chunks = chunk;
  Unlock();
  fresh.next = chunk + blockSize;
  fresh.end = chunk + count * blockSize;
  TakeFresh(stack, fresh, kFreshBatch);
}
