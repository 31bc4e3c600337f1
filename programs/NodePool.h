// A pool of fixed-size memory blocks for objects that are made and destroyed
// in great numbers (the nodes of program trees). Each thread draws blocks from
// and returns them to a free list of its own, without locking; the blocks on
// the list of a thread that ends go to a shared list that other threads draw
// on. Memory comes from the heap in large chunks and is kept for reuse for the
// life of the process. Sanitizer builds use the plain heap instead, so that
// misuse of a block is still found.
//
// Pools are made once, as constant-initialized objects that are never torn
// down (blocks may be given back until the very end), each with its own
// number below kMaxPools.
#pragma once

#include <atomic>
#include <cstddef>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define MORVANE2_PLAIN_HEAP 1
#endif

class NodePool {
 public:
  static constexpr int kMaxPools = 4;

  struct Block {
    Block* next;
  };
  // A list of free blocks; tail is the last of them.
  struct List {
    Block* head = nullptr;
    Block* tail = nullptr;
  };

  // blockSize at least the size of a pointer and a multiple of the largest
  // alignment; number below kMaxPools and different for every pool.
  constexpr NodePool(std::size_t blockSize, int number) : blockSize(blockSize), number(number) {}
  NodePool(const NodePool&) = delete;
  NodePool& operator=(const NodePool&) = delete;

  static constexpr std::size_t BlockSizeFor(std::size_t size) {
    std::size_t align = alignof(std::max_align_t);
    if (size < sizeof(Block)) size = sizeof(Block);
    return (size + align - 1) / align * align;
  }

  void* Allocate() {
#if defined(MORVANE2_PLAIN_HEAP)
    return ::operator new(blockSize);
#else
    List& list = localLists[number];
    if (list.head == nullptr) list = Refill();
    Block* block = list.head;
    list.head = block->next;
    if (list.head == nullptr) list.tail = nullptr;
    // The next block to hand out is fetched now: its link is read and its
    // object written soon.
    __builtin_prefetch(list.head, 1);
    return block;
#endif
  }

  void Free(void* block) {
#if defined(MORVANE2_PLAIN_HEAP)
    ::operator delete(block);
#else
    auto* freed = static_cast<Block*>(block);
    List& list = localLists[number];
    if (list.head == nullptr) {
      Adopt();
      list.tail = freed;
    }
    freed->next = list.head;
    list.head = freed;
#endif
  }

  // Puts a list of free blocks on the shared list.
  void GiveBack(const List& list);
  // Puts the calling thread's free blocks on the shared list, for other
  // threads to draw on.
  void GiveBackLocal() {
#if !defined(MORVANE2_PLAIN_HEAP)
    GiveBack(localLists[number]);
    localLists[number] = List{};
#endif
  }

 private:
  struct ThreadExit;
  // Blocks for the calling thread: the shared list, or a new chunk.
  List Refill();
  // Makes sure the calling thread gives its list back when it ends.
  void Adopt();
  void Lock();
  void Unlock();

  // The free lists of the calling thread, by pool number. Plain data, so
  // that reaching them costs no more than a memory access.
  static thread_local List localLists[kMaxPools];

  std::size_t blockSize;
  int number;
  std::atomic_flag busy = ATOMIC_FLAG_INIT;  // guards shared and chunks
  List shared;
  // Chunks are chained through their first word; never released.
  void* chunks = nullptr;
};
