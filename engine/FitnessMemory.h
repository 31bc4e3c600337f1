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
#include <memory>
#include <string>
#include <vector>

#include "foundation/SpinLock.h"

class Individual;
class ListingCodes;
class Operator;
class WorkSharing;

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
  // wrote, or that its evaluation made a fatal report. Takes no lock: the
  // threads scoring a generation ask for every program they score.
  Found Recall(const Key& key, double& fitness, std::string& text);
  void Remember(const Key& key, double fitness, const std::string& text);
  void RememberFailure(const Key& key);
  // How many programs were remembered a second time since the last take:
  // each was evaluated by one thread while another evaluated it too.
  long long TakeRaced() { return raced.exchange(0, std::memory_order_relaxed); }
  // Ends a generation: its programs stay known through the next one; those
  // of the generation before, unless asked for since, are forgotten, the
  // shards shared among the threads of sharing (may be null). Only while no
  // thread asks for or adds programs.
  void NextGeneration(WorkSharing* sharing = nullptr);
  // Forgets everything (a new run). Only while no thread uses the memory.
  void Clear();

  FitnessMemory() = default;
  FitnessMemory(const FitnessMemory&) = delete;
  FitnessMemory& operator=(const FitnessMemory&) = delete;
  ~FitnessMemory();

 private:
  static_assert(sizeof(std::uintptr_t) == 8, "a key word holds an address and an arity");
  static constexpr int kArityShift = 48;
  static constexpr int kMostArity = 0xFFFF;
  // A program remembered, its key words following it in the same block.
  struct Entry {
    double fitness;
    bool failed;
    std::size_t count;
    std::string text;
    std::uintptr_t* Words() { return reinterpret_cast<std::uintptr_t*>(this + 1); }
    bool Holds(const Key& key);
  };
  static_assert(sizeof(Entry) % alignof(std::uintptr_t) == 0, "the words follow the entry");
  static Entry* MakeEntry(const Key& key, bool failed, double fitness, const std::string& text);
  static void DestroyEntry(Entry* entry);
  // Open addressing, a cell's hash written last: a reader that sees a hash
  // sees its entry. The hash 0 marks an empty cell (a key whose hash is 0
  // goes in as 1). Beside the entry's address (below bit 48, as every
  // user-space address is), the cell holds the generation that last asked
  // for the entry or added it, modulo 2^16: forgetting old entries reads the
  // cells alone, and as every entry kept is at most a generation old when
  // generations end, the stamps never wrap around.
  static constexpr int kStampShift = 48;
  static constexpr std::uintptr_t kAddressMask = (std::uintptr_t{1} << kStampShift) - 1;
  static std::uintptr_t Stamp(long long generation) {
    return static_cast<std::uintptr_t>(static_cast<std::uint16_t>(generation)) << kStampShift;
  }
  struct Cell {
    std::atomic<std::uint64_t> hash{0};
    std::atomic<std::uintptr_t> held{0};  // the entry's address and stamp
    static Entry* EntryOf(std::uintptr_t held) { return reinterpret_cast<Entry*>(held & kAddressMask); }
  };
  struct Table {
    explicit Table(std::size_t size);
    // Where a hash's search begins: from its high bits, mixed (the low
    // ones chose the shard, and are the same for all of the shard's keys).
    std::size_t Home(std::uint64_t hash) const {
      return static_cast<std::size_t>((hash * 0x9E3779B97F4A7C15ULL) >> shift);
    }
    std::size_t mask;
    int shift;
    // Set before the cells are copied into a larger table: a reader that
    // stamps a cell here afterwards stamps its entry again there.
    std::atomic<bool> moved{false};
    std::unique_ptr<Cell[]> cells;
  };
  // The programs known, in shards by key. Readers look in a shard's table
  // without a lock; writers take the shard's lock. A table outgrown stays
  // until the generation ends, for readers that may still look in it. The
  // table pointer is on a cache line of its own: taking the lock does not
  // take the line from the threads reading it.
  static constexpr std::size_t kShards = 16;
  static constexpr std::size_t kFirstSize = 64;
  struct alignas(64) Shard {
    std::atomic<Table*> table{nullptr};
    alignas(64) SpinLock busy;
    std::unique_ptr<Table> current;
    std::size_t used = 0;  // the entries in current
    std::vector<std::unique_ptr<Table>> outgrown;
    // Taken out of the table when the last generation ended, not destroyed
    // yet (no thread can reach them).
    std::vector<Entry*> forgotten;
  };
  static std::uint64_t CellHash(const Key& key) { return key.hash == 0 ? 1 : key.hash; }
  void Add(const Key& key, bool failed, double fitness, const std::string& text);
  Shard& ShardOf(const Key& key);
  // Puts held (an entry and its stamp) in table, whose room it has (the
  // hash written last).
  static void Place(Table& table, std::uint64_t hash, std::uintptr_t held);
  // Places every entry of from in to.
  static void PlaceAll(const Table& from, Table& to);
  // Puts held, whose key is not there, in shard's table, growing it when it
  // would be more than half full; under the shard's lock.
  static void Insert(Shard& shard, std::uint64_t hash, std::uintptr_t held);
  // Stamps entry asked for in shard's current table, for a reader that
  // stamped it in a table outgrown meanwhile.
  static void StampAgain(Shard& shard, std::uint64_t hash, const Entry* entry, long long asked);
  // While no thread uses the memory: takes the shard's entries last asked
  // for before keep out of its table (to be destroyed with the shard's next
  // addition), and puts the rest in a new table.
  static void Sweep(Shard& shard, long long keep);
  static void DestroyForgotten(Shard& shard);

  std::array<Shard, kShards> shards;
  std::atomic<long long> raced{0};
  // Changed only between evaluations (NextGeneration, Clear).
  long long generation = 0;
};
