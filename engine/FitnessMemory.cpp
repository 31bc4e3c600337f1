#include "engine/FitnessMemory.h"

#include <array>
#include <mutex>
#include <typeinfo>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "programs/FlatLispCode.h"
#include "programs/Head.h"
#include "programs/HeadLispCode.h"
#include "programs/ListingCodes.h"

namespace {
// The key word of a node: the operator's address, which lies below bit 48
// as every user-space address does, and the arity above it; false for a
// node the word cannot hold (its program is not remembered).
inline bool KeyWord(const Operator* op, int arity, std::uintptr_t& word) {
  auto address = reinterpret_cast<std::uintptr_t>(op);
  if ((address >> 48) != 0 || arity < 0 || arity > 0xFFFF) return false;
  word = address | static_cast<std::uintptr_t>(arity) << 48;
  return true;
}
}  // namespace

bool FitnessMemory::KeyOf(Individual* individual, Key& key) {
  static_assert(kArityShift == 48 && kMostArity == 0xFFFF, "KeyWord packs the words");
  // Exact classes only: the common case, told apart without casts.
  if (individual == nullptr || typeid(*individual) != typeid(DoubleTypeFitnessIndividual)) return false;
  Chromosome* chromosome = individual->GetChromosome();
  if (chromosome == nullptr || typeid(*chromosome) != typeid(GPChromosome)) return false;
  LispCode* lispCode = static_cast<GPChromosome*>(chromosome)->GetCode();
  if (lispCode == nullptr) return false;
  key.words.clear();
  std::uint64_t hash = 0xCBF29CE484222325ULL;
  if (typeid(*lispCode) == typeid(FlatLispCode)) {
    const FlatProgram& program = static_cast<FlatLispCode*>(lispCode)->GetProgram();
    if (program.IsEmpty()) return false;
    // The nodes lie in preorder already.
    int count = program.Size();
    key.words.resize(static_cast<std::size_t>(count));
    std::uintptr_t* words = key.words.data();
    const FlatNode* nodes = program.Root();
    for (int k = 0; k < count; ++k) {
      std::uintptr_t word = 0;
      if (!KeyWord(nodes[k].GetOperator(), nodes[k].arity, word)) return false;
      words[k] = word;
      hash = (hash ^ word) * 0x100000001B3ULL;
    }
    key.hash = hash;
    return true;
  }
  if (typeid(*lispCode) != typeid(HeadLispCode)) return false;
  auto* code = static_cast<HeadLispCode*>(lispCode);
  if (code->GetRoot() == nullptr) return false;
  // Preorder, with an explicit stack: programs may be deep.
  thread_local std::vector<Head*> pending;
  pending.clear();
  pending.push_back(code->GetRoot());
  while (!pending.empty()) {
    Head* node = pending.back();
    pending.pop_back();
    node->PrefetchChildren();
    std::uintptr_t word = 0;
    if (!KeyWord(node->GetOperator(), node->GetArity(), word)) return false;
    key.words.push_back(word);
    hash = (hash ^ word) * 0x100000001B3ULL;
    for (int i = node->GetArity() - 1; i >= 0; --i) pending.push_back(node->GetChild(i));
  }
  key.hash = hash;
  return true;
}

bool FitnessMemory::AppendListingCodes(const Key& key, ListingCodes& codes) {
  // The pair numbers of this program's words, found by hashing the word:
  // a search of the pairs for each node would mispredict a branch a node.
  // A slot belongs to the program whose stamp it bears.
  struct Slot {
    std::uintptr_t word;
    std::uint32_t stamp;
    int pair;
  };
  constexpr int kSlotBits = 9;
  thread_local std::array<Slot, std::size_t{1} << kSlotBits> slots{};
  thread_local std::uint32_t stamp = 0;
  if (++stamp == 0) {
    slots.fill(Slot{});
    stamp = 1;
  }
  for (std::uintptr_t word : key.words) {
    Slot& slot = slots[(word * 0x9E3779B97F4A7C15ULL) >> (64 - kSlotBits)];
    if (slot.stamp != stamp || slot.word != word) {
      int pair = codes.PairOf(OperatorOf(word), ArityOf(word));
      if (pair < 0) return false;
      slot = Slot{word, stamp, pair};
    }
    codes.AddPair(slot.pair);
  }
  return true;
}

FitnessMemory::Shard& FitnessMemory::ShardOf(const Key& key) { return shards[key.hash % kShards]; }

FitnessMemory::Found FitnessMemory::Recall(const Key& key, double& fitness, std::string& text) {
  Shard& shard = ShardOf(key);
  std::lock_guard<SpinLock> lock(shard.busy);
  Sweep(shard);
  auto range = shard.entries.equal_range(key.hash);
  for (auto at = range.first; at != range.second; ++at) {
    Entry& entry = at->second;
    if (entry.words != key.words) continue;
    entry.generation = generation;  // still in use: kept through the next generation
    if (entry.failed) return Found::Failure;
    fitness = entry.fitness;
    // Written only when there are lines (see Scoring::Score).
    if (!entry.text.empty() || !text.empty()) text = entry.text;
    return Found::Fitness;
  }
  return Found::Nothing;
}

void FitnessMemory::Add(const Key& key, Entry entry) {
  Shard& shard = ShardOf(key);
  std::lock_guard<SpinLock> lock(shard.busy);
  Sweep(shard);
  auto range = shard.entries.equal_range(key.hash);
  for (auto at = range.first; at != range.second; ++at) {
    // Already known (found by another thread meanwhile): keep it fresh.
    if (at->second.words == key.words) {
      at->second.generation = generation;
      raced.fetch_add(1, std::memory_order_relaxed);
      return;
    }
  }
  entry.generation = generation;
  shard.entries.emplace(key.hash, std::move(entry));
}

void FitnessMemory::Remember(const Key& key, double fitness, const std::string& text) {
  Add(key, Entry{key.words, false, fitness, text, 0});
}

void FitnessMemory::RememberFailure(const Key& key) {
  Add(key, Entry{key.words, true, 0.0, std::string(), 0});
}

void FitnessMemory::NextGeneration() { ++generation; }

void FitnessMemory::Sweep(Shard& shard) {
  if (shard.swept == generation) return;
  shard.swept = generation;
  for (auto at = shard.entries.begin(); at != shard.entries.end();) {
    if (at->second.generation < generation - 1) {
      at = shard.entries.erase(at);
    } else {
      ++at;
    }
  }
}

void FitnessMemory::Clear() {
  for (Shard& shard : shards) {
    std::lock_guard<SpinLock> lock(shard.busy);
    shard.entries.clear();
    shard.swept = generation;
  }
  raced.store(0, std::memory_order_relaxed);
}
