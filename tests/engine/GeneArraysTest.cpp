#include "engine/GeneArrays.h"

#include <gtest/gtest.h>

#include <thread>

#include "foundation/NumericArrays.h"

namespace {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kReused = false;
#else
constexpr bool kReused = true;
#endif

// An array given back is taken again, empty, on the same thread for the same
// capacity only; one of another capacity makes the kept ones go.
TEST(GeneArraysTest, GivenBackArraysComeBackEmptyOnTheirThreadForTheirCapacity) {
  IntArray* first = GeneArrays::Take(8);
  ASSERT_EQ(first->Capacity(), 8);
  EXPECT_EQ(first->Size(), 0);
  for (int i = 0; i < 8; ++i) first->Add(1);
  GeneArrays::Give(first);

  // Another thread keeps arrays of its own.
  IntArray* elsewhere = nullptr;
  std::thread other([&] { elsewhere = GeneArrays::Take(8); });
  other.join();
  if (kReused) {
    EXPECT_NE(elsewhere, first);
  }
  EXPECT_EQ(elsewhere->Size(), 0);
  delete elsewhere;

  IntArray* again = GeneArrays::Take(8);
  if (kReused) {
    EXPECT_EQ(again, first);
  }
  EXPECT_EQ(again->Size(), 0);
  EXPECT_EQ(again->Capacity(), 8);
  again->Add(1);
  GeneArrays::Give(again);

  IntArray* wider = GeneArrays::Take(12);
  EXPECT_EQ(wider->Capacity(), 12);
  EXPECT_EQ(wider->Size(), 0);
  GeneArrays::Give(wider);
  IntArray* narrow = GeneArrays::Take(8);
  EXPECT_EQ(narrow->Capacity(), 8);
  EXPECT_EQ(narrow->Size(), 0);
  delete narrow;
  GeneArrays::Give(nullptr);
  // The 12-gene array is still kept: it goes with the thread.
}
}  // namespace
