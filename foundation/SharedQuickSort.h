// QuickSortRange on several threads (see WorkSharing), leaving exactly the
// order it leaves on one: the parts of a partition never overlap, so the
// same steps on them give the same result whichever thread takes them.
#pragma once

#include <mutex>
#include <thread>
#include <vector>

#include "foundation/Sorter.h"
#include "foundation/SpinLock.h"
#include "foundation/WorkSharing.h"

// Parts of positions low..high of at least wholeFrom positions are
// partitioned by the thread that takes them, and their two parts put back
// for any thread to take; smaller parts are sorted whole. get, swap and
// compare are called on several threads at once, for different positions.
template <class Get, class Swap, class Compare>
void QuickSortShared(WorkSharing* sharing, const Get& get, const Swap& swap, const Compare& compare, int low,
                     int high, int wholeFrom) {
  if (wholeFrom < 2) wholeFrom = 2;
  struct Part {
    int low;
    int high;
  };
  SpinLock lock;
  std::vector<Part> parts{{low, high}};
  int busy = 0;  // parts being partitioned: each gives two more
  sharing->Share([&]() -> bool {
    Part part{};
    {
      std::lock_guard<SpinLock> hold(lock);
      if (parts.empty()) {
        if (busy == 0) return false;
      } else {
        part = parts.back();
        parts.pop_back();
        if (part.high - part.low + 1 >= wholeFrom) ++busy;
      }
    }
    if (part.low >= part.high) {
      // Nothing taken (or nothing to sort): the parts being partitioned
      // will come.
#if defined(__x86_64__) || defined(__i386__)
      __builtin_ia32_pause();
#endif
      return true;
    }
    if (part.high - part.low + 1 < wholeFrom) {
      QuickSortRange(get, swap, compare, part.low, part.high);
      return true;
    }
    int last = 0;
    int first = 0;
    PartitionRange(get, swap, compare, part.low, part.high, last, first);
    std::lock_guard<SpinLock> hold(lock);
    // The larger part is taken next (by this thread or another).
    Part left{part.low, last};
    Part right{first, part.high};
    bool leftLarger = last - part.low > part.high - first;
    parts.push_back(leftLarger ? right : left);
    parts.push_back(leftLarger ? left : right);
    --busy;
    return true;
  });
}
