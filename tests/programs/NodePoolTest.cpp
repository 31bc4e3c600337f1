#include "programs/NodePool.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

namespace {
constinit NodePool testPool(NodePool::BlockSizeFor(40), 3);

// Blocks are distinct while in use, on every thread; the blocks a thread
// frees come back to others once it has ended.
TEST(NodePoolTest, BlocksAreDistinctAndReturnAcrossThreads) {
  // More blocks than one chunk holds, so that the main thread draws on the
  // shared blocks below.
  constexpr int kCount = 50000;
  std::vector<void*> mine;
  for (int i = 0; i < kCount; ++i) {
    void* block = testPool.Allocate();
    std::memset(block, 0xA5, 40);
    mine.push_back(block);
  }
  std::vector<void*> theirs;
  std::thread other([&] {
    for (int i = 0; i < kCount; ++i) {
      void* block = testPool.Allocate();
      std::memset(block, 0x5A, 40);
      theirs.push_back(block);
    }
    // The other thread frees the main thread's blocks and ends.
    for (void* block : mine) testPool.Free(block);
  });
  other.join();
  std::set<void*> distinct(mine.begin(), mine.end());
  distinct.insert(theirs.begin(), theirs.end());
  EXPECT_EQ(distinct.size(), 2u * kCount);

  std::set<void*> freed(mine.begin(), mine.end());
  int reused = 0;
  std::vector<void*> again;
  for (int i = 0; i < 3 * kCount; ++i) {
    void* block = testPool.Allocate();
    if (freed.count(block) != 0) ++reused;
    again.push_back(block);
  }
#if !defined(MORVANE2_PLAIN_HEAP)
  EXPECT_GT(reused, 0);
#endif
  for (void* block : again) testPool.Free(block);
  for (void* block : theirs) testPool.Free(block);
}

#if !defined(MORVANE2_PLAIN_HEAP)
constinit NodePool trimPool(NodePool::BlockSizeFor(24), 2);

// A thread that both makes and destroys objects keeps what it freed last and
// gives only the excess beyond its limit to the others; another thread then
// draws on the shared blocks a batch at a time.
TEST(NodePoolTest, TrimmingKeepsTheBlocksFreedLastAndRefillsComeInBatches) {
  const std::size_t count = NodePool::kKeepLocal + 1000;
  std::vector<void*> blocks;
  for (std::size_t i = 0; i < count; ++i) blocks.push_back(trimPool.Allocate());
  std::size_t before = trimPool.LocalCount();
  for (void* block : blocks) trimPool.Free(block);
  trimPool.TrimLocal();
  EXPECT_EQ(trimPool.LocalCount(), NodePool::kKeepLocal / 2);
  std::size_t shared = trimPool.SharedCount();
  EXPECT_EQ(shared, before + count - NodePool::kKeepLocal / 2);
  // Handed out next: the block freed last.
  void* next = trimPool.Allocate();
  EXPECT_EQ(next, blocks.back());
  trimPool.Free(next);
  // Below the limit nothing moves.
  trimPool.TrimLocal();
  EXPECT_EQ(trimPool.LocalCount(), NodePool::kKeepLocal / 2);

  std::size_t drawn = 0;
  std::size_t sharedAfterFirst = 0;
  std::thread other([&] {
    void* first = trimPool.Allocate();
    drawn = trimPool.LocalCount() + 1;
    sharedAfterFirst = trimPool.SharedCount();
    trimPool.Free(first);
    trimPool.GiveBackLocal();
  });
  other.join();
  EXPECT_EQ(drawn, NodePool::kRefillBatch);
  EXPECT_EQ(sharedAfterFirst, shared - NodePool::kRefillBatch);
  EXPECT_EQ(trimPool.SharedCount(), shared);
}

constinit NodePool freshPool(NodePool::BlockSizeFor(40), 4);

// A new chunk's blocks reach a thread's stack a batch at a time, in address
// order; those the thread never took go to the other threads when it ends.
TEST(NodePoolTest, ANewChunkIsHandedOutABatchAtATime) {
  const std::size_t taken = NodePool::kFreshBatch + 10;
  std::vector<char*> blocks;
  std::size_t local = 0;
  std::thread maker([&] {
    for (std::size_t i = 0; i < taken; ++i) blocks.push_back(static_cast<char*>(freshPool.Allocate()));
    local = freshPool.LocalCount();
  });
  maker.join();
  EXPECT_EQ(local, NodePool::kFreshBatch - 10);
  const auto size = static_cast<std::ptrdiff_t>(NodePool::BlockSizeFor(40));
  for (std::size_t i = 1; i < taken; ++i) ASSERT_EQ(blocks[i] - blocks[i - 1], size) << i;
  // A chunk is 2 MB, its first block holding the link to the chunk before.
  const std::size_t chunkBlocks = 2 * 1024 * 1024 / NodePool::BlockSizeFor(40) - 1;
  EXPECT_EQ(freshPool.SharedCount(), chunkBlocks - taken);
  for (char* block : blocks) freshPool.Free(block);
}

constinit NodePool busyPool(NodePool::BlockSizeFor(16), 60);

// Threads that give their blocks back while others do grow the shared stack
// in turn: no block is lost or handed out twice, and each block keeps what
// its holder wrote.
TEST(NodePoolTest, ThreadsGivingBackAtOnceLoseNoBlock) {
  constexpr int kThreads = 3;
  constexpr int kRounds = 400;
  std::vector<std::vector<void*>> held(kThreads);
  std::vector<int> wrong(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      std::vector<void*>& blocks = held[static_cast<std::size_t>(t)];
      for (int round = 0; round < kRounds; ++round) {
        // A count that differs from round to round and thread to thread.
        const int count = 200 + (round * 7919 + t * 104729) % 6000;
        for (int i = 0; i < count; ++i) {
          auto* block = static_cast<std::uintptr_t*>(busyPool.Allocate());
          block[0] = static_cast<std::uintptr_t>(t);
          block[1] = blocks.size();
          blocks.push_back(block);
        }
        for (std::size_t i = 0; i < blocks.size(); ++i) {
          auto* block = static_cast<std::uintptr_t*>(blocks[i]);
          if (block[0] != static_cast<std::uintptr_t>(t) || block[1] != i) ++wrong[static_cast<std::size_t>(t)];
        }
        // Every other round the blocks stay held a round longer, so that the
        // number of blocks in use grows and the shared stack with it.
        if (round % 2 == 1) {
          for (void* block : blocks) busyPool.Free(block);
          blocks.clear();
          busyPool.GiveBackLocal();
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::set<void*> distinct;
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(wrong[static_cast<std::size_t>(t)], 0) << t;
    distinct.insert(held[static_cast<std::size_t>(t)].begin(), held[static_cast<std::size_t>(t)].end());
  }
  // The last round frees everything.
  EXPECT_TRUE(distinct.empty());
  // Taken again on one thread: all distinct.
  std::vector<void*> again;
  for (int i = 0; i < 30000; ++i) again.push_back(busyPool.Allocate());
  EXPECT_EQ(std::set<void*>(again.begin(), again.end()).size(), again.size());
  for (void* block : again) busyPool.Free(block);
}
#endif

#if !defined(MORVANE2_PLAIN_HEAP)
constinit NodePool smallPool(NodePool::BlockSizeFor(48), 61, NodePool::Chunks::Small);
constinit NodePool otherSmallPool(NodePool::BlockSizeFor(96), 62, NodePool::Chunks::Small);

// A thread prepared before its first block cuts its small chunks from the
// page it was prepared with; preparing it again leaves that page in use.
TEST(NodePoolTest, APreparedThreadKeepsItsPage) {
  std::uintptr_t first = 0;
  std::uintptr_t second = 0;
  std::thread fresh([&] {
    NodePool::PrepareThread();
    void* a = smallPool.Allocate();
    NodePool::PrepareThread();
    void* b = otherSmallPool.Allocate();
    first = reinterpret_cast<std::uintptr_t>(a);
    second = reinterpret_cast<std::uintptr_t>(b);
    smallPool.Free(a);
    otherSmallPool.Free(b);
  });
  fresh.join();
  constexpr std::uintptr_t kPage = 2 * 1024 * 1024;
  EXPECT_EQ(first / kPage, second / kPage);
  EXPECT_NE(first, second);
}

constinit NodePool growingPool(NodePool::BlockSizeFor(64), 59, NodePool::Chunks::Small);

// A pool's first small chunks on a thread are 16, 32 and 64 KB, the rest
// 128 KB: a short run pays for little memory it never uses. Chunks are cut
// one after another from the thread's page, each with its first block kept
// for the link, so a skipped block marks where a chunk begins.
TEST(NodePoolTest, APoolsFirstChunksOnAThreadGrowToTheirSize) {
  constexpr std::size_t kBlock = 64;
  std::vector<std::uintptr_t> blocks;
  std::thread fresh([&] {
    for (int i = 0; i < 6000; ++i) blocks.push_back(reinterpret_cast<std::uintptr_t>(growingPool.Allocate()));
    for (std::uintptr_t block : blocks) growingPool.Free(reinterpret_cast<void*>(block));
  });
  fresh.join();
  std::vector<std::size_t> chunkBlocks;
  std::size_t run = 1;
  for (std::size_t i = 1; i < blocks.size(); ++i) {
    std::uintptr_t step = blocks[i] - blocks[i - 1];
    ASSERT_TRUE(step == kBlock || step == 2 * kBlock) << i << " " << step;
    if (step == kBlock) {
      ++run;
      continue;
    }
    chunkBlocks.push_back(run + 1);  // and its link
    run = 1;
  }
  std::vector<std::size_t> expected{256, 512, 1024, 2048};
  ASSERT_GE(chunkBlocks.size(), expected.size());
  chunkBlocks.resize(expected.size());
  EXPECT_EQ(chunkBlocks, expected);
}
#endif
}  // namespace
