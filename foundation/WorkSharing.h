// Threads that can take a share of a job split into steps, for work between
// two rounds of scoring (sorting and measuring a generation) that would
// otherwise keep every thread but one waiting.
#pragma once

#include <algorithm>
#include <atomic>
#include <functional>

class WorkSharing {
 public:
  virtual ~WorkSharing() = default;
  // Calls step on the calling thread, and on every other thread free to
  // join, again and again until it returns false on that thread; returns
  // once every thread that joined has left. step must not throw, and what
  // it does must not depend on which thread does it.
  virtual void Share(const std::function<bool()>& step) = 0;
};

// Calls each(i) once for every i in 0..n-1, in runs of chunk positions that
// the threads of sharing take in turn (this thread alone where sharing is
// null). each is called on several threads at once, never twice for one i.
template <class Each>
void ForEachShared(WorkSharing* sharing, int n, int chunk, const Each& each) {
  if (sharing == nullptr) {
    for (int i = 0; i < n; ++i) each(i);
    return;
  }
  chunk = std::max(chunk, 1);
  std::atomic<int> next{0};
  sharing->Share([&]() -> bool {
    int from = next.fetch_add(chunk, std::memory_order_relaxed);
    if (from >= n) return false;
    int to = std::min(n, from + chunk);
    for (int i = from; i < to; ++i) each(i);
    return true;
  });
}
