// A request that a run end at its next safe point, between two individuals.
// It may come from any thread, and from a signal handler: making it only sets
// a flag, which the breeding and scoring loops look at.
#pragma once

#include <atomic>

class StopRequest {
 public:
  void Request() { requested.store(true, std::memory_order_relaxed); }
  bool IsRequested() const { return requested.load(std::memory_order_relaxed); }

 private:
  static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler must be able to set the flag");
  std::atomic<bool> requested{false};
};
