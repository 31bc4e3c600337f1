#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "ThreadsSharing.h"
#include "foundation/SharedQuickSort.h"

namespace {
// Keys with few distinct values (ties decide the order of what they stand
// for) and tags that tell equal keys apart.
std::vector<std::pair<int, int>> Keys(int size, int distinct, std::uint32_t seed) {
  std::vector<std::pair<int, int>> keys;
  for (int i = 0; i < size; ++i) {
    seed = seed * 1664525U + 1013904223U;
    keys.emplace_back(static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(distinct)), i);
  }
  return keys;
}

// Sorted on several threads, parts partitioned down to a few positions or
// sorted whole from many: exactly the order of the one-thread quicksort,
// ties included, for any split of the parts among the threads.
TEST(SharedQuickSortTest, LeavesTheOneThreadOrder) {
  auto compare = [](const std::pair<int, int>& a, const std::pair<int, int>& b) {
    return a.first < b.first ? 1 : 0;
  };
  std::uint32_t seed = 7;
  for (int size : {0, 1, 2, 3, 10, 257, 3000}) {
    for (int distinct : {1, 2, 5, 1000000}) {
      for (int wholeFrom : {0, 2, 3, 16, 256, 100000}) {
        for (int threads : {1, 2, 4}) {
          std::vector<std::pair<int, int>> keys = Keys(size, distinct, ++seed);
          std::vector<std::pair<int, int>> expected = keys;
          auto get = [&](int i) { return expected[static_cast<std::size_t>(i)]; };
          auto swap = [&](int i, int j) {
            std::swap(expected[static_cast<std::size_t>(i)], expected[static_cast<std::size_t>(j)]);
          };
          QuickSortRange(get, swap, compare, 0, size - 1);

          ThreadsSharing sharing(threads);
          auto getShared = [&](int i) { return keys[static_cast<std::size_t>(i)]; };
          auto swapShared = [&](int i, int j) {
            std::swap(keys[static_cast<std::size_t>(i)], keys[static_cast<std::size_t>(j)]);
          };
          QuickSortShared(&sharing, getShared, swapShared, compare, 0, size - 1, wholeFrom);
          ASSERT_EQ(keys, expected) << "size " << size << ", " << distinct << " keys, whole from "
                                    << wholeFrom << ", " << threads << " threads";
        }
      }
    }
  }
}

TEST(SharedQuickSortTest, ForEachSharedVisitsEveryPositionOnce) {
  for (int n : {0, 1, 511, 512, 513, 5000}) {
    for (WorkSharing* sharing :
         {static_cast<WorkSharing*>(nullptr), static_cast<WorkSharing*>(new ThreadsSharing(3))}) {
      std::vector<std::atomic<int>> visits(static_cast<std::size_t>(n));
      ForEachShared(sharing, n, 64, [&](int i) { ++visits[static_cast<std::size_t>(i)]; });
      for (int i = 0; i < n; ++i)
        ASSERT_EQ(visits[static_cast<std::size_t>(i)].load(), 1) << "n " << n << ", i " << i;
      delete sharing;
    }
  }
}
}  // namespace
