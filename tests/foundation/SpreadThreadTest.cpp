#include <gtest/gtest.h>
#include <sched.h>

#include <atomic>
#include <utility>

#include "foundation/SpreadThread.h"

namespace {
cpu_set_t Allowed() {
  cpu_set_t processors;
  CPU_ZERO(&processors);
  sched_getaffinity(0, sizeof processors, &processors);
  return processors;
}
}  // namespace

// The body runs once, Join waits for it, and a thread moved on is joined by
// its new owner only. Placed elsewhere to start, the thread may then run on
// every processor its starter may: a thread left pinned away from its
// starter's processor would leave that processor idle for good.
TEST(SpreadThreadTest, RunsItsBodyAndMayThenRunAnywhere) {
  cpu_set_t starter = Allowed();
  std::atomic<int> runs{0};
  cpu_set_t seen;
  CPU_ZERO(&seen);
  SpreadThread thread([&] {
    seen = Allowed();
    ++runs;
  });
  EXPECT_TRUE(thread.Joinable());
  SpreadThread owner(std::move(thread));
  EXPECT_FALSE(thread.Joinable());
  owner.Join();
  EXPECT_FALSE(owner.Joinable());
  EXPECT_EQ(runs.load(), 1);
  EXPECT_TRUE(CPU_EQUAL(&seen, &starter));

  // Destroying a thread not joined waits for it.
  {
    SpreadThread waited([&] { ++runs; });
  }
  EXPECT_EQ(runs.load(), 2);
}

// A starter that may run on one processor only starts its thread there.
TEST(SpreadThreadTest, StartsWhereTheStarterMayRunWithOneProcessor) {
  cpu_set_t before = Allowed();
  cpu_set_t one;
  CPU_ZERO(&one);
  int here = sched_getcpu();
  ASSERT_GE(here, 0);
  CPU_SET(here, &one);
  ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
  cpu_set_t seen;
  CPU_ZERO(&seen);
  bool ran = false;
  SpreadThread thread([&] {
    seen = Allowed();
    ran = true;
  });
  thread.Join();
  sched_setaffinity(0, sizeof before, &before);
  EXPECT_TRUE(ran);
  EXPECT_TRUE(CPU_EQUAL(&seen, &one));
}
