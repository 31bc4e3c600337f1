// Times a cache line's trip from one processor to another and back: two
// threads, each held on one of the first two processors the process may run
// on, take turns writing one word. Where the two processors share a cache
// the trip takes tens of nanoseconds; where they do not (a virtual machine
// whose host has put its processors far apart), several hundred, and threads
// that pass work to each other lose much of their gain. scripts/thread-gain.sh
// prints it beside its timings.
//
// Usage: morvane2-cache-trip   (prints "N ns", the median of 5 rounds, or
// nothing with exit status 1 where there are not two processors to use or
// the trips take more than two seconds in all)
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {
constexpr int kTrips = 40000;
constexpr int kRounds = 5;

// On two cache lines of its own: the processors fetch lines in pairs.
struct alignas(128) Line {
  std::atomic<int> turn{0};
};
Line line;

bool HoldOn(int processor) {
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(processor, &set);
  return pthread_setaffinity_np(pthread_self(), sizeof set, &set) == 0;
}

// Set when the trips take far too long (the two threads share one processor
// after all): both stop, and nothing is printed.
std::atomic<bool> giveUp{false};
constexpr auto kMostTime = std::chrono::seconds(2);

// The mean trip of each of kRounds rounds, in nanoseconds (none when given
// up): the other thread bounces the line back every time, through all of
// them.
std::vector<double> Rounds(int first, int second) {
  std::thread other([second] {
    HoldOn(second);
    for (int k = 0; k < kRounds * kTrips; ++k) {
      while (line.turn.load(std::memory_order_acquire) != 1) {
        if (giveUp.load(std::memory_order_relaxed)) return;
      }
      line.turn.store(0);
    }
  });
  HoldOn(first);
  std::vector<double> rounds;
  auto begun = std::chrono::steady_clock::now();
  for (int r = 0; r < kRounds && !giveUp.load(); ++r) {
    auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < kTrips && !giveUp.load(std::memory_order_relaxed); ++k) {
      line.turn.store(1);
      for (unsigned spins = 1; line.turn.load(std::memory_order_acquire) != 0; ++spins) {
        if (spins % 4096 == 0 && std::chrono::steady_clock::now() - begun > kMostTime) {
          giveUp.store(true);
          break;
        }
      }
      if (k % 1024 == 0 && std::chrono::steady_clock::now() - begun > kMostTime) giveUp.store(true);
    }
    auto end = std::chrono::steady_clock::now();
    rounds.push_back(std::chrono::duration<double, std::nano>(end - start).count() / kTrips);
  }
  other.join();
  if (giveUp.load()) rounds.clear();
  return rounds;
}
}  // namespace

int main() {
  cpu_set_t allowed;
  if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return 1;
  std::vector<int> processors;
  for (int c = 0; c < CPU_SETSIZE && processors.size() < 2; ++c) {
    if (CPU_ISSET(c, &allowed)) processors.push_back(c);
  }
  if (processors.size() < 2) return 1;
  std::vector<double> rounds = Rounds(processors[0], processors[1]);
  if (rounds.empty()) return 1;
  std::sort(rounds.begin(), rounds.end());
  std::printf("%.0f ns\n", rounds[kRounds / 2]);
  return 0;
}
