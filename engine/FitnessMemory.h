// Remembers the fitness of the programs of the latest two generations, so
// that a program identical node for node to one evaluated before (a copy
// made by reproduction, an elite, a crossover that changed nothing) gets that
// fitness again without being evaluated. Only for problems whose fitness
// depends on the program alone and whose evaluation changes nothing else that
// counts (Problem::CanReuseFitness). Safe to use from several threads.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/SpinLock.h"

class Individual;
class ListingCodes;
class Operator;

class FitnessMemory {
 public:
  // A program node for node: each node's operator and arity in preorder,
  // one word a node.
  struct Key {
    std::uint64_t hash = 0;
    std::vector<std::uintptr_t> words;
  };
  enum class Found { Nothing, Fitness, Failure };

  // The key of individual's program; false when it has none (not a program
  // tree of a fitness individual).
  static bool KeyOf(Individual* individual, Key& key);
  // A key word's node: its operator and its arity.
  static const Operator* OperatorOf(std::uintptr_t word) {
    return reinterpret_cast<const Operator*>(word & ((std::uintptr_t{1} << kArityShift) - 1));
  }
  static int ArityOf(std::uintptr_t word) { return static_cast<int>(word >> kArityShift); }
  // The program key holds, appended to codes as Head::AppendListingCodes
  // appends it, from the key's array rather than the tree; false when the
  // codes cannot hold it.
  static bool AppendListingCodes(const Key& key, ListingCodes& codes);

  // What was remembered for key: the fitness and the lines its evaluation
  // wrote, or that its evaluation made a fatal report.
  Found Recall(const Key& key, double& fitness, std::string& text);
  void Remember(const Key& key, double fitness, const std::string& text);
  void RememberFailure(const Key& key);
  // How many programs were remembered a second time since the last take:
  // each was evaluated by one thread while another evaluated it too.
  long long TakeRaced() { return raced.exchange(0, std::memory_order_relaxed); }
  // Ends a generation: its programs stay known through the next one.
  void NextGeneration();
  // Forgets everything (a new run).
  void Clear();

 private:
  static_assert(sizeof(std::uintptr_t) == 8, "a key word holds an address and an arity");
  static constexpr int kArityShift = 48;
  static constexpr int kMostArity = 0xFFFF;
  struct Entry {
    std::vector<std::uintptr_t> words;
    bool failed;
    double fitness;
    std::string text;
    long long generation;
  };
  // The programs known, in shards by key, each behind its own lock: the
  // evaluating threads ask for every program, and one lock would keep
  // them waiting for each other. Each shard has cache lines of its own, so
  // that threads using two shards do not take the lines from each other.
  static constexpr std::size_t kShards = 16;
  struct alignas(64) Shard {
    SpinLock busy;
    std::unordered_multimap<std::uint64_t, Entry> entries;
    // The generation the entries were last swept for.
    long long swept = 0;
  };
  void Add(const Key& key, Entry entry);
  Shard& ShardOf(const Key& key);
  // Under the shard's lock: forgets the entries of generations ended since
  // the last sweep. Each shard is swept when it is first used after a
  // generation ends, by the thread that uses it, rather than all of them by
  // the thread that ends the generation while the others wait for it.
  void Sweep(Shard& shard);

  std::array<Shard, kShards> shards;
  std::atomic<long long> raced{0};
  // Changed only between evaluations (NextGeneration, Clear).
  long long generation = 0;
};
