// A lock for short critical sections that several threads take often: a
// waiting thread spins (yielding now and then) rather than sleeping in the
// kernel, whose wake-up on a busy or virtual machine can take longer than
// the whole section. Usable with std::lock_guard.
#pragma once

#include <atomic>
#include <thread>

class SpinLock {
 public:
  void lock() {
    for (unsigned k = 1;; ++k) {
      if (!held.load(std::memory_order_relaxed) && !held.exchange(true, std::memory_order_acquire)) return;
#if defined(__x86_64__) || defined(__i386__)
      __builtin_ia32_pause();
#endif
      // The holder may have been taken off its processor: let it run.
      if ((k & 1023U) == 0) std::this_thread::yield();
    }
  }
  bool try_lock() { return !held.load(std::memory_order_relaxed) && !held.exchange(true, std::memory_order_acquire); }
  void unlock() { held.store(false, std::memory_order_release); }

 private:
  std::atomic<bool> held{false};
};
