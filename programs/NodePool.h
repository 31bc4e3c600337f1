// A pool of fixed-size memory blocks for objects that are made and destroyed
// in great numbers (the nodes of program trees). Each thread keeps the free
// blocks it may hand out on a stack of block addresses of its own, without
// locking; a thread that ends, or that only destroys objects, gives its free
// blocks to a shared stack that other threads draw on. Free blocks are never
// written to (a block freed on one processor and reused on another moves
// between their caches only once). Memory comes from the heap in large chunks
// and is kept for reuse for the life of the process. Sanitizer builds use the
// plain heap instead, so that misuse of a block is still found.
//
// Pools are made once, as constant-initialized objects that are never torn
// down (blocks may be given back until the very end), each with its own
// number below kMaxPools.
#pragma once

#include <atomic>
#include <cstddef>
#include <new>

#include "foundation/AskForMemory.h"
#include "foundation/SpinLock.h"

#if defined(__SANITIZE_ADDRESS__)
#define MORVANE2_PLAIN_HEAP 1
#endif

class NodePool {
 public:
  static constexpr int kMaxPools = 64;
  // How many blocks ahead Allocate fetches the block it will hand out.
  static constexpr std::size_t kFetchAhead = 4;
  // At most this many blocks move from the shared stack to a thread's stack
  // at a time, so that threads that both make and destroy objects keep
  // drawing on their own freed blocks rather than on each other's.
  static constexpr std::size_t kRefillBatch = 8192;
  // A thread that keeps more free blocks than this gives the excess back;
  // for pools of larger blocks, more than kKeepLocalBytes of them (unless
  // the pool says otherwise).
  static constexpr std::size_t kKeepLocal = 65536;
  static constexpr std::size_t kKeepLocalBytes = 4 * 1024 * 1024;
  // A new chunk's blocks go on a thread's stack this many at a time, as the
  // thread needs them: listing a whole chunk's at once would touch hundreds
  // of kilobytes of stack, a page fault for every 512 blocks.
  static constexpr std::size_t kFreshBatch = 1024;

  // A stack of free block addresses (plain data, grown by the pool).
  struct Stack {
    void** items = nullptr;
    std::size_t count = 0;
    std::size_t capacity = 0;
    std::size_t touched = 0;  // the items written at least once
  };

  // Memory comes in chunks of one large page (2 MiB, for pools of many small
  // objects: few page faults and address translations) or, for pools of
  // larger blocks used in smaller numbers, in small chunks of at least
  // eight blocks, which the calling thread cuts from a large page of its
  // own shared by all such pools.
  enum class Chunks { LargePages, Small };

  // blockSize at least the size of a pointer and a multiple of the largest
  // alignment; number below kMaxPools and different for every pool.
  // A thread keeps at most keepBytes of free blocks (but kKeepLocal blocks
  // at most, and 64 at least).
  constexpr NodePool(std::size_t blockSize, int number, Chunks chunks = Chunks::LargePages,
                     std::size_t keepBytes = kKeepLocalBytes)
      : blockSize(blockSize),
        number(number),
        keepLocal(keepBytes / blockSize >= kKeepLocal ? kKeepLocal
                                                      : (keepBytes / blockSize > 64 ? keepBytes / blockSize : 64)),
        largePages(chunks == Chunks::LargePages) {}
  NodePool(const NodePool&) = delete;
  NodePool& operator=(const NodePool&) = delete;

  static constexpr std::size_t BlockSizeFor(std::size_t size) {
    std::size_t align = alignof(std::max_align_t);
    if (size < sizeof(void*)) size = sizeof(void*);
    return (size + align - 1) / align * align;
  }

  void* Allocate() {
#if defined(MORVANE2_PLAIN_HEAP)
    return ::operator new(blockSize);
#else
    Stack& stack = localStacks[number];
    if (stack.count == 0) Refill(stack);
    void* block = stack.items[--stack.count];
    // A block handed out a few calls from now is asked for already, to be
    // written (see AskToWrite): its object is written then, and another
    // core may have read what it held before.
    if (stack.count >= kFetchAhead) AskToWrite(stack.items[stack.count - kFetchAhead]);
    return block;
#endif
  }

  void Free(void* block) {
#if defined(MORVANE2_PLAIN_HEAP)
    ::operator delete(block);
#else
    Stack& stack = localStacks[number];
    if (stack.count == stack.capacity) Grow(stack);
    stack.items[stack.count++] = block;
#endif
  }

  // Puts the calling thread's free blocks on the shared stack, for other
  // threads to draw on.
  void GiveBackLocal() {
#if !defined(MORVANE2_PLAIN_HEAP)
    GiveBack(localStacks[number]);
#endif
  }
  // For a thread that makes objects as well as destroying them: when it keeps
  // more than kKeepLocal free blocks (fewer for large blocks, see
  // kKeepLocalBytes), puts those it freed longest ago on the
  // shared stack until it keeps half that many.
  void TrimLocal() {
#if !defined(MORVANE2_PLAIN_HEAP)
    Stack& stack = localStacks[number];
    if (stack.count > keepLocal) GiveBackOldest(stack, stack.count - keepLocal / 2);
#endif
  }
  // TrimLocal for every pool the calling thread has used.
  static void TrimAllLocal();
  // Makes the calling thread's first large page for small chunks now, and
  // writes to it: for a thread that will copy programs, so that the page's
  // first write is not taken while it copies its first one.
  static void PrepareThread();
  // The number of free blocks the calling thread keeps (for tests).
  std::size_t LocalCount() const { return localStacks[number].count; }
  // The number of free blocks on the shared stack (for tests).
  std::size_t SharedCount();

 private:
  struct ThreadExit;
  // Moves every block of stack to the shared stack.
  void GiveBack(Stack& stack);
  // Moves the count blocks at the bottom of stack to the shared stack.
  void GiveBackOldest(Stack& stack, std::size_t count);
  // The blocks of the calling thread's newest chunk not yet on its stack.
  // And how many small chunks the thread has made for the pool.
  struct Fresh {
    char* next = nullptr;
    char* end = nullptr;
    int chunks = 0;
  };
  // Fills the calling thread's empty stack: from its newest chunk (at most
  // kFreshBatch blocks), from the shared stack (at most kRefillBatch), or
  // from a new chunk.
  void Refill(Stack& stack);
  // Moves up to most blocks of fresh onto stack, to be handed out in
  // address order.
  void TakeFresh(Stack& stack, Fresh& fresh, std::size_t most);
  // Makes room for more blocks on the calling thread's stack.
  void Grow(Stack& stack);
  // Makes sure the calling thread gives its blocks back when it ends.
  void Adopt();
  void Lock() { busy.lock(); }
  void Unlock() { busy.unlock(); }
  static void Reserve(Stack& stack, std::size_t capacity);
  // Writes the items of stack below count once, so that filling them later
  // (under the lock) takes no page faults.
  static void Touch(Stack& stack, std::size_t count);
  // With the lock held: makes room for extra more blocks on the shared
  // stack, growing it with the lock let go meanwhile (and left free when the
  // memory for it cannot be had).
  void ReserveShared(std::size_t extra);

  // The free blocks of the calling thread, by pool number.
  static thread_local Stack localStacks[kMaxPools];
  static thread_local Fresh freshBlocks[kMaxPools];

  // Memory for a small chunk, cut from the calling thread's large page.
  static char* SmallChunk(std::size_t bytes);

  std::size_t blockSize;
  int number;
  std::size_t keepLocal;
  bool largePages;
  SpinLock busy;  // guards shared and chunks
  Stack shared;
  // Chunks are chained through their first word; never released.
  void* chunks = nullptr;
};
