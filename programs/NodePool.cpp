#include "programs/NodePool.h"

namespace {
constexpr std::size_t kChunkBytes = 64 * 1024;

// The pools by number, for giving lists back when a thread ends.
std::atomic<NodePool*> pools[NodePool::kMaxPools];
}  // namespace

// Gives the calling thread's lists back to their pools when the thread ends.
// Made the first time a thread refills or starts a list; the fast paths never
// touch it.
struct NodePool::ThreadExit {
  bool armed = false;
  ~ThreadExit() {
    for (int k = 0; k < kMaxPools; ++k) {
      NodePool* pool = pools[k].load(std::memory_order_acquire);
      if (pool != nullptr && localLists[k].head != nullptr) pool->GiveBack(localLists[k]);
      localLists[k] = List{};
    }
  }
};

namespace {
thread_local bool exitArmed = false;
}  // namespace

thread_local NodePool::List NodePool::localLists[NodePool::kMaxPools];

void NodePool::Adopt() {
  pools[number].store(this, std::memory_order_release);
  if (!exitArmed) {
    thread_local ThreadExit threadExit;
    threadExit.armed = true;
    exitArmed = true;
  }
}

void NodePool::Lock() {
  while (busy.test_and_set(std::memory_order_acquire)) {
  }
}

void NodePool::Unlock() { busy.clear(std::memory_order_release); }

void NodePool::GiveBack(const List& list) {
  if (list.head == nullptr) return;
  Lock();
  list.tail->next = shared.head;
  if (shared.head == nullptr) shared.tail = list.tail;
  shared.head = list.head;
  Unlock();
}

NodePool::List NodePool::Refill() {
  Adopt();
  Lock();
  if (shared.head != nullptr) {
    List taken = shared;
    shared = List{};
    Unlock();
    return taken;
  }
  // A chunk's first block holds the link to the chunk before it.
  std::size_t count = kChunkBytes / blockSize;
  if (count < 2) count = 2;
  char* chunk = static_cast<char*>(::operator new(count * blockSize));
  *reinterpret_cast<void**>(chunk) = chunks;
  chunks = chunk;
  Unlock();
  List made;
  for (std::size_t k = count; k-- > 1;) {
    auto* block = reinterpret_cast<Block*>(chunk + k * blockSize);
    block->next = made.head;
    made.head = block;
    if (made.tail == nullptr) made.tail = block;
  }
  return made;
}
