// A WorkSharing for tests: each Share runs the step on the calling thread
// and on threads of its own, started for it, and counts the steps each took.
#pragma once

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "foundation/WorkSharing.h"

class ThreadsSharing : public WorkSharing {
 public:
  explicit ThreadsSharing(int threads) : threads(threads) {}

  void Share(const std::function<bool()>& step) override {
    std::vector<std::thread> others;
    for (int t = 1; t < threads; ++t) {
      others.emplace_back([&] {
        while (step()) ++otherSteps;
      });
    }
    while (step()) ++ownSteps;
    for (std::thread& other : others) other.join();
  }

  std::atomic<long long> ownSteps{0};
  std::atomic<long long> otherSteps{0};

 private:
  int threads;
};
