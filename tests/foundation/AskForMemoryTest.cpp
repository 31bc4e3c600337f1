#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "foundation/AskForMemory.h"

// The lines asked for run from the one holding the first byte to the one
// holding the last, bounded by the count given; nothing for no bytes. The
// asks themselves change nothing.
TEST(AskForMemoryTest, EveryLineOfTheRangeOnceUpToTheBound) {
  alignas(64) static char bytes[64 * 8] = {};
  auto lines = [](const void* from, std::ptrdiff_t size, int most) {
    std::vector<std::uintptr_t> seen;
    ForEachLineOf(from, size, most,
                  [&](const char* line) { seen.push_back(reinterpret_cast<std::uintptr_t>(line)); });
    return seen;
  };
  auto at = [&](int line) { return reinterpret_cast<std::uintptr_t>(bytes + 64 * line); };
  EXPECT_EQ(lines(bytes, 64, 16), (std::vector<std::uintptr_t>{at(0)}));
  EXPECT_EQ(lines(bytes, 65, 16), (std::vector<std::uintptr_t>{at(0), at(1)}));
  // Two bytes either side of a line's end.
  EXPECT_EQ(lines(bytes + 63, 2, 16), (std::vector<std::uintptr_t>{at(0), at(1)}));
  EXPECT_EQ(lines(bytes + 70, 1, 16), (std::vector<std::uintptr_t>{at(1)}));
  EXPECT_EQ(lines(bytes + 10, 64 * 8 - 10, 3), (std::vector<std::uintptr_t>{at(0), at(1), at(2)}));
  EXPECT_TRUE(lines(bytes, 0, 16).empty());
  EXPECT_TRUE(lines(nullptr, 64, 16).empty());

  bytes[100] = 7;
  AskForMemory(bytes, sizeof bytes);
  AskToWriteMemory(bytes, sizeof bytes, 8);
  AskToWrite(bytes + 100);
  EXPECT_EQ(bytes[100], 7);
  EXPECT_EQ(bytes[0], 0);
}
