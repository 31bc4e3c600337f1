#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "TestSupport.h"
#include "foundation/NumericArrays.h"
#include "foundation/Point.h"
#include "foundation/Sorter.h"

namespace {
using ::testing::ExitedWithCode;

TEST(ArrayTest, AddGetSetPopTopClearAndFill) {
  IntArray a(5);
  a.Add(1);
  a.Push(2);
  EXPECT_EQ(a.Size(), 2);
  EXPECT_EQ(a.Top(), 2);
  a.Set(0, 7);
  EXPECT_EQ(a.Get(0), 7);
  EXPECT_EQ(a.Pop(), 2);
  EXPECT_EQ(a.Size(), 1);
  a.Fill(9);
  EXPECT_EQ(a.Size(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(a.Get(i), 9);
  a.Clear();
  EXPECT_EQ(a.Size(), 0);
  EXPECT_EQ(a.Capacity(), 5);
}

TEST(ArrayDeathTest, CapacityAndIndexReports) {
  IntArray a(3);
  a.Add(1);
  a.Add(2);
  a.Add(3);
  EXPECT_EXIT(a.Add(4), ExitedWithCode(1), "^" + ExactLine("Capacity 3 is full  at IntArray::Add\n") + "$");
  EXPECT_EXIT(a.Get(3), ExitedWithCode(1), ExactLine("Array index 3 is over size 3 at IntArray::Get"));
  EXPECT_EXIT(a.Set(-1, 0), ExitedWithCode(1), ExactLine("Array index -1 is over size 3 at IntArray::Set"));
  DoubleArray empty(2);
  EXPECT_EXIT(empty.Pop(), ExitedWithCode(1), ExactLine("Array index -1 is over size 0 at DoubleArray::Get"));
  EXPECT_EXIT(empty.Top(), ExitedWithCode(1), ExactLine("Array index -1 is over size 0 at DoubleArray::Get"));
  a.Clear();
  EXPECT_EXIT(a.Get(0), ExitedWithCode(1), ExactLine("Array index 0 is over size 0 at IntArray::Get"));
}

// An array whose pages are taken as they are written works as any other:
// zeros where nothing was written, the same reports under its own class's
// name; and until something is written, none of its memory is resident.
TEST(ArrayDeathTest, AnArrayOnDemandWorksAsAnyOtherAndTakesNoPagesUntilWritten) {
  constexpr int kCapacity = 100000;  // 800 KB of doubles
  DoubleArray values(kCapacity, ArrayOnDemand{});
  EXPECT_EQ(values.Capacity(), kCapacity);
  EXPECT_EQ(values.Size(), 0);
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
  auto resident = [&values] {
    long page = ::sysconf(_SC_PAGESIZE);
    auto start = reinterpret_cast<std::uintptr_t>(values.Data());
    auto first = start / static_cast<std::uintptr_t>(page) * static_cast<std::uintptr_t>(page);
    std::size_t length = start + kCapacity * sizeof(double) - first;
    std::vector<unsigned char> pages((length + static_cast<std::size_t>(page) - 1) /
                                     static_cast<std::size_t>(page));
    if (::mincore(reinterpret_cast<void*>(first), length, pages.data()) != 0) return -1;
    int count = 0;
    for (unsigned char p : pages) count += p & 1;
    return count;
  };
  EXPECT_EQ(resident(), 0);
  values.Add(2.5);
  EXPECT_EQ(resident(), 1);
#else
  // Sanitizer builds keep such arrays on the heap.
  values.Add(2.5);
#endif
  values.SetSize(kCapacity);
  EXPECT_EQ(values.Get(0), 2.5);
  EXPECT_EQ(values.Get(kCapacity - 1), 0.0);
  EXPECT_EQ(values.Pop(), 0.0);
  IntArray stack(3, ArrayOnDemand{});
  stack.Push(1);
  stack.Push(2);
  stack.Push(3);
  EXPECT_EXIT(stack.Add(4), ExitedWithCode(1),
              "^" + ExactLine("Capacity 3 is full  at IntArray::Add\n") + "$");
  stack.Clear();
  EXPECT_EXIT(stack.Pop(), ExitedWithCode(1), ExactLine("Array index -1 is over size 0 at IntArray::Get"));
}

TEST(ArrayTest, NumericOperations) {
  DoubleArray d(4);
  EXPECT_EQ(d.Sum(), 0.0);
  EXPECT_EQ(d.Product(), 1.0);
  for (double v : {1.0, 2.0, 3.0, 4.0}) d.Add(v);
  EXPECT_EQ(d.Sum(), 10.0);
  EXPECT_EQ(d.Product(), 24.0);
  EXPECT_EQ(d.Mean(), 2.5);
  EXPECT_DOUBLE_EQ(d.StdDev(), std::sqrt(1.25));
  DoubleArray same(3);
  same.Fill(0.1);  // rounding gives a variance of about -1.7e-18
  EXPECT_EQ(same.StdDev(), 0.0);
  IntArray i(3);
  i.Add(2147483647);
  i.Add(1);
  EXPECT_EQ(i.Sum(), -2147483647 - 1);  // wraps around
  EXPECT_EQ(i.Product(), 2147483647);
}

TEST(ArrayTest, IntSortIsAscending) {
  IntArray a(8);
  for (int v : {5, 3, 9, 3, -1, 0, 7, 3}) a.Add(v);
  a.Sort();
  int expected[] = {-1, 0, 3, 3, 3, 5, 7, 9};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(a.Get(k), expected[k]);
}

TEST(PointTest, TextForms) {
  EXPECT_EQ(DoublePoint(1.5, 2.0).ToString(), "{1.500000,2.000000}");
  EXPECT_EQ(DoublePoint(1.5, 2.0, -0.25).ToString3(), "{1.500000,2.000000,-0.250000}");
  EXPECT_EQ(IntPoint(3, -4).ToString(), "{3,-4}");
  EXPECT_EQ(IntPoint(3, -4, 1).ToString3(), "{3,-4,1}");
  EXPECT_EQ(DoublePoint(1e20, 0).ToString().size(), std::string("{100000000000000000000.000000,0.000000}").size());
}

TEST(PointTest, PointArraysOwnTheirPoints) {
  DoublePointArray points(2);
  points.Add(1.0, 2.0);
  points.Add(3.0, 4.0, 5.0);
  EXPECT_EQ(points.Get(1)->z, 5.0);
  points.AddIfRoom(6.0, 7.0);  // full: dropped
  EXPECT_EQ(points.Size(), 2);
  points.DeleteAll();
  EXPECT_EQ(points.Size(), 0);
}

TEST(PointDeathTest, FullPointArrayReportsCapacity) {
  IntPointArray points(1);
  points.Add(1, 2);
  EXPECT_EXIT(points.Add(3, 4), ExitedWithCode(1), ExactLine("Capacity 1 is full  at IntPointArray::Add"));
}

// A keyed record and comparators for checking the sorter's exact order.
struct Keyed {
  int key;
  int tag;
};
class KeyedArray : public PointerArray<Keyed> {
 public:
  explicit KeyedArray(int capacity) : PointerArray<Keyed>(capacity) {}
};
class KeyedComparator {
 public:
  virtual ~KeyedComparator() = default;
  virtual int Compare(Keyed* a, Keyed* b) {
    ++calls;
    if (a->key < b->key) return 1;
    if (a->key > b->key) return -1;
    return 0;
  }
  int calls = 0;
};
class KeyedSorter : public Sorter<Keyed, KeyedArray, KeyedComparator> {
 public:
  using Sorter::Sorter;
};

TEST(SorterTest, OrderOfEqualKeysFollowsThePartitionScheme) {
  // Traced by hand through the partition loop: pivot (low+high)/2, scan while
  // strictly before, swap when i <= j, recurse on (low, j) then (i, high).
  Keyed items[] = {{2, 0}, {1, 1}, {2, 2}, {1, 3}, {2, 4}};
  KeyedArray array(5);
  for (auto& item : items) array.Add(&item);
  KeyedComparator comparator;
  KeyedSorter sorter(&comparator);
  sorter.Sort(&array);
  int tags[5];
  for (int k = 0; k < 5; ++k) tags[k] = array.Get(k)->tag;
  // Pass (0,4): pivot 2(2); i stops at 0, j at 4 -> swap: [2(4),1(1),2(2),1(3),2(0)];
  // i moves past 1(1) to 2, j stops at 3 -> swap: [2(4),1(1),1(3),2(2),2(0)], i=3, j=2.
  // (0,2): pivot 1(1); swap 0<->2 -> [1(3),1(1),2(4)]; then 1<->1. (3,4): swap -> [2(0),2(2)].
  int expected[] = {3, 1, 4, 0, 2};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(tags[k], expected[k]) << k;
}

TEST(SorterTest, TrivialArraysCallNoComparison) {
  KeyedComparator comparator;
  KeyedSorter sorter(&comparator);
  KeyedArray empty(3);
  sorter.Sort(&empty);
  Keyed one{1, 0};
  KeyedArray single(3);
  single.Add(&one);
  sorter.Sort(&single);
  EXPECT_EQ(comparator.calls, 0);
}

TEST(SorterDeathTest, SortWithoutComparatorWarnsAndLeavesTheArray) {
  Keyed a{2, 0};
  Keyed b{1, 1};
  KeyedArray array(2);
  array.Add(&a);
  array.Add(&b);
  KeyedSorter sorter(nullptr);
  testing::internal::CaptureStderr();
  sorter.Sort(&array);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Warning: Not Sorted at KeyedSorter::Sort\n");
  EXPECT_EQ(array.Get(0), &a);
}
}  // namespace
