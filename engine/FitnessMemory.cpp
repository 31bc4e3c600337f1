#include "engine/FitnessMemory.h"

#include <array>
#include <bit>
#include <cstring>
#include <mutex>
#include <new>
#include <typeinfo>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "foundation/WorkSharing.h"
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

bool FitnessMemory::Entry::Holds(const Key& key) {
  return count == key.words.size() &&
         std::memcmp(Words(), key.words.data(), count * sizeof(std::uintptr_t)) == 0;
}

FitnessMemory::Entry* FitnessMemory::MakeEntry(const Key& key, bool failed, double fitness,
                                               const std::string& text) {
  std::size_t count = key.words.size();
  void* block = ::operator new(sizeof(Entry) + count * sizeof(std::uintptr_t));
  auto* entry = new (block) Entry{fitness, failed, count, text};
  if (count > 0) std::memcpy(entry->Words(), key.words.data(), count * sizeof(std::uintptr_t));
  return entry;
}

void FitnessMemory::DestroyEntry(Entry* entry) {
  entry->~Entry();
  ::operator delete(static_cast<void*>(entry));
}

FitnessMemory::Table::Table(std::size_t size)
    : mask(size - 1), shift(64 - std::countr_zero(size)), cells(std::make_unique<Cell[]>(size)) {}

FitnessMemory::~FitnessMemory() { Clear(); }

FitnessMemory::Found FitnessMemory::Recall(const Key& key, double& fitness, std::string& text) {
  Shard& shard = ShardOf(key);
  Table* table = shard.table.load(std::memory_order_acquire);
  if (table == nullptr) return Found::Nothing;
  std::uint64_t hash = CellHash(key);
  // Never more than half full: an empty cell ends every search. A program
  // added meanwhile by another thread may be missed; it is then evaluated
  // again, as when two threads score it at once.
  for (std::size_t at = table->Home(hash);; at = (at + 1) & table->mask) {
    Cell& cell = table->cells[at];
    std::uint64_t found = cell.hash.load(std::memory_order_acquire);
    if (found == 0) return Found::Nothing;
    if (found != hash) continue;
    std::uintptr_t held = cell.held.load(std::memory_order_relaxed);
    Entry* entry = Cell::EntryOf(held);
    if (!entry->Holds(key)) continue;
    // Still in use: kept through the next generation. Written only when it
    // changes, so that threads recalling it do not take its line from each
    // other. Either the table's copier sees the mark, or this thread sees
    // that the table moved (both sequentially consistent).
    if ((held & ~kAddressMask) != Stamp(generation)) {
      cell.held.store((held & kAddressMask) | Stamp(generation));
      if (table->moved.load()) StampAgain(shard, hash, entry, generation);
    }
    if (entry->failed) return Found::Failure;
    fitness = entry->fitness;
    // Written only when there are lines (see Scoring::Score).
    if (!entry->text.empty() || !text.empty()) text = entry->text;
    return Found::Fitness;
  }
}

void FitnessMemory::StampAgain(Shard& shard, std::uint64_t hash, const Entry* entry, long long asked) {
  std::lock_guard<SpinLock> lock(shard.busy);
  Table* table = shard.current.get();
  for (std::size_t at = table->Home(hash);; at = (at + 1) & table->mask) {
    Cell& cell = table->cells[at];
    if (cell.hash.load(std::memory_order_relaxed) == 0) return;
    std::uintptr_t held = cell.held.load(std::memory_order_relaxed);
    if (Cell::EntryOf(held) != entry) continue;
    cell.held.store((held & kAddressMask) | Stamp(asked), std::memory_order_relaxed);
    return;
  }
}

void FitnessMemory::Place(Table& table, std::uint64_t hash, std::uintptr_t held) {
  std::size_t at = table.Home(hash);
  while (table.cells[at].hash.load(std::memory_order_relaxed) != 0) at = (at + 1) & table.mask;
  Cell& cell = table.cells[at];
  cell.held.store(held, std::memory_order_relaxed);
  cell.hash.store(hash, std::memory_order_release);
}

void FitnessMemory::PlaceAll(const Table& from, Table& to) {
  for (std::size_t k = 0; k <= from.mask; ++k) {
    const Cell& cell = from.cells[k];
    std::uint64_t hash = cell.hash.load(std::memory_order_relaxed);
    // The stamp read after the table was marked moved (see Recall).
    if (hash != 0) Place(to, hash, cell.held.load());
  }
}

void FitnessMemory::Insert(Shard& shard, std::uint64_t hash, std::uintptr_t held) {
  Table* table = shard.current.get();
  std::size_t size = table == nullptr ? 0 : table->mask + 1;
  if ((shard.used + 1) * 2 > size) {
    auto grown = std::make_unique<Table>(size == 0 ? kFirstSize : size * 2);
    if (table != nullptr) {
      table->moved.store(true);
      PlaceAll(*table, *grown);
      shard.outgrown.push_back(std::move(shard.current));
    }
    shard.current = std::move(grown);
    shard.table.store(shard.current.get(), std::memory_order_release);
  }
  Place(*shard.current, hash, held);
  ++shard.used;
}

void FitnessMemory::Add(const Key& key, bool failed, double fitness, const std::string& text) {
  Shard& shard = ShardOf(key);
  std::uint64_t hash = CellHash(key);
  // Made before the lock is taken: the other threads may want the shard.
  Entry* entry = MakeEntry(key, failed, fitness, text);
  auto address = reinterpret_cast<std::uintptr_t>(entry);
  if ((address & ~kAddressMask) != 0) {
    DestroyEntry(entry);  // a cell cannot hold it: not remembered
    return;
  }
  {
    std::lock_guard<SpinLock> lock(shard.busy);
    // Forgotten when the last generation ended; destroyed here, in the
    // scoring of the next, on the thread that first adds to the shard,
    // rather than on every shard while the generations change.
    if (!shard.forgotten.empty()) DestroyForgotten(shard);
    bool known = false;
    if (Table* table = shard.current.get()) {
      for (std::size_t at = table->Home(hash);; at = (at + 1) & table->mask) {
        Cell& cell = table->cells[at];
        std::uint64_t found = cell.hash.load(std::memory_order_relaxed);
        if (found == 0) break;
        std::uintptr_t held = cell.held.load(std::memory_order_relaxed);
        if (found != hash || !Cell::EntryOf(held)->Holds(key)) continue;
        // Already known (found by another thread meanwhile): keep it fresh.
        cell.held.store((held & kAddressMask) | Stamp(generation), std::memory_order_relaxed);
        raced.fetch_add(1, std::memory_order_relaxed);
        known = true;
        break;
      }
    }
    if (!known) {
      try {
        Insert(shard, hash, address | Stamp(generation));
      } catch (...) {
        DestroyEntry(entry);  // no room for a larger table
        throw;
      }
      return;
    }
  }
  DestroyEntry(entry);
}

void FitnessMemory::Remember(const Key& key, double fitness, const std::string& text) {
  Add(key, false, fitness, text);
}

void FitnessMemory::RememberFailure(const Key& key) { Add(key, true, 0.0, std::string()); }

void FitnessMemory::NextGeneration(WorkSharing* sharing) {
  ++generation;
  long long keep = generation - 1;
  ForEachShared(sharing, static_cast<int>(kShards), 1,
                [&](int k) { Sweep(shards[static_cast<std::size_t>(k)], keep); });
}

void FitnessMemory::Sweep(Shard& shard, long long keep) {
  shard.outgrown.clear();
  Table* table = shard.current.get();
  if (table == nullptr) return;
  std::size_t size = table->mask + 1;
  std::size_t kept = 0;
  std::uintptr_t keepStamp = Stamp(keep);
  for (std::size_t k = 0; k < size; ++k) {
    Cell& cell = table->cells[k];
    if (cell.hash.load(std::memory_order_relaxed) == 0) continue;
    std::uintptr_t held = cell.held.load(std::memory_order_relaxed);
    // Stamped before keep: the difference of the stamps, as a signed 16-bit
    // number, is negative.
    auto behind = static_cast<std::int16_t>(
        static_cast<std::uint16_t>(((held & ~kAddressMask) - keepStamp) >> kStampShift));
    if (behind < 0) {
      shard.forgotten.push_back(Cell::EntryOf(held));
      cell.hash.store(0, std::memory_order_relaxed);
    } else {
      ++kept;
    }
  }
  if (kept == shard.used) return;
  shard.used = kept;
  // The entries kept go in a new table (the cells emptied would cut the
  // searches short), of the same size, which the next generation's programs
  // will fill again, unless they would leave it mostly empty.
  std::unique_ptr<Table> old = std::move(shard.current);
  shard.table.store(nullptr, std::memory_order_relaxed);
  if (kept == 0) return;
  while (size > kFirstSize && kept * 8 < size) size /= 2;
  shard.current = std::make_unique<Table>(size);
  PlaceAll(*old, *shard.current);
  shard.table.store(shard.current.get(), std::memory_order_release);
}

void FitnessMemory::DestroyForgotten(Shard& shard) {
  for (Entry* entry : shard.forgotten) DestroyEntry(entry);
  shard.forgotten.clear();
}

void FitnessMemory::Clear() {
  for (Shard& shard : shards) {
    shard.outgrown.clear();
    DestroyForgotten(shard);
    if (Table* table = shard.current.get()) {
      for (std::size_t k = 0; k <= table->mask; ++k) {
        if (table->cells[k].hash.load(std::memory_order_relaxed) != 0) {
          DestroyEntry(Cell::EntryOf(table->cells[k].held.load(std::memory_order_relaxed)));
        }
      }
    }
    shard.current.reset();
    shard.table.store(nullptr, std::memory_order_relaxed);
    shard.used = 0;
  }
  raced.store(0, std::memory_order_relaxed);
}
