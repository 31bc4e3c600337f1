#include "engine/Population.h"

#include <climits>
#include <vector>

#include "engine/Chromosome.h"
#include "engine/GenerationRecord.h"
#include "engine/Individual.h"
#include "foundation/AskForMemory.h"

Population::Population(int capacity, IndividualSorter* sorter)
    : individuals(std::make_unique<IndividualArray>(capacity)),
      entries(individuals->Data()),
      capacity(individuals->Capacity()),
      preferences(std::make_unique<int[]>(capacity > 0 ? static_cast<std::size_t>(capacity) : 1)),
      sorter(sorter),
      // Not cleared: the pages are first written by the threads that score.
      facts(new ScoredFacts[capacity > 0 ? static_cast<std::size_t>(capacity) : 1]) {}

Population::~Population() = default;

void Population::Add(Individual* individual, int preferredThread) {
  // Noted before the member counts as added (the array reports a full
  // population before anything changes).
  int size = individuals->Size();
  if (size < capacity) preferences[static_cast<std::size_t>(size)] = preferredThread;
  individuals->Add(individual);
  int added = individuals->Size();
  if (added % kPublishEvery == 0 || added == capacity) {
    published.count.store(added, std::memory_order_release);
  }
  Changed();
}

void Population::Publish() {
  int added = individuals->Size();
  if (published.count.load(std::memory_order_relaxed) != added) {
    published.count.store(added, std::memory_order_release);
  }
}

Individual* Population::Get(int i) {
  if (!sorted) Sort();
  return individuals->Get(i);
}

void Population::Sort(WorkSharing* sharing) {
  int n = individuals->Size();
  if (factsTrusted && n <= 1) {
    sorted = true;
    return;
  }
  if (factsTrusted) {
    thread_local std::vector<double> keys;
    thread_local std::vector<int> order;
    thread_local std::vector<ScoredFacts> before;
    keys.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) keys[static_cast<std::size_t>(i)] = facts[i].fitness;
    if (sorter->SortByFitness(individuals.get(), sharing, keys.data(), order)) {
      // The facts follow their members.
      before.assign(facts.get(), facts.get() + n);
      for (int i = 0; i < n; ++i)
        facts[i] = before[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])];
      sorted = true;
      return;
    }
  }
  sorter->SortShared(individuals.get(), sharing);
  sorted = true;
  // The members moved without their facts.
  factsTrusted = false;
}

void Population::AskToPlace(int from, int to) const {
  if (from >= to) return;
  // A part at most a few kilobytes each.
  auto count = static_cast<std::ptrdiff_t>(to - from);
  AskToWriteMemory(entries + from, count * static_cast<std::ptrdiff_t>(sizeof(Individual*)), INT_MAX);
  AskToWriteMemory(&preferences[static_cast<std::size_t>(from)],
                   count * static_cast<std::ptrdiff_t>(sizeof(int)), INT_MAX);
  AskToWriteMemory(&facts[from], count * static_cast<std::ptrdiff_t>(sizeof(ScoredFacts)), INT_MAX);
}

void Population::NoteScored(int i, Individual* member) {
  Chromosome* chromosome = member->GetChromosome();
  facts[i] = ScoredFacts{FitnessOf(member), chromosome->GetSize(), chromosome->GetDepth(),
                         chromosome->BreedingForm()};
}

void Population::AcceptAll(IndividualVisitor* visitor) {
  for (int i = 0; i < individuals->Size(); ++i) individuals->Get(i)->Accept(visitor);
  Changed();
}

void Population::OpenPlaces(int n) {
  int size = individuals->Size();
  if (n < 0 || n > individuals->Capacity() - size)
    ReportArrayCapacity(individuals->Capacity(), ClassNameOf(*individuals), "Add");
  for (int i = size; i < size + n; ++i) entries[i] = nullptr;
  factsTrusted = false;
  placesFrom = size;
  placesTo = size + n;
}

void Population::ClosePlaces(bool keep) {
  if (keep) {
    individuals->SetSize(placesTo);
    published.count.store(placesTo, std::memory_order_release);
    Changed();
  } else {
    for (int i = placesFrom; i < placesTo; ++i) {
      Individual* placed = entries[i];
      entries[i] = nullptr;
      if (placed == nullptr) continue;
      placed->DeleteChromosome();
      delete placed;
    }
    lanes.clear();
  }
  placesFrom = placesTo = individuals->Size();
}

void Population::DeleteAll() {
  for (int i = 0; i < individuals->Size(); ++i) individuals->Get(i)->DeleteChromosome();
  individuals->DeleteAll();
  factsTrusted = false;
  published.count.store(0, std::memory_order_release);
  lanes.clear();
}

void Population::StartScoredLanes(int threads) {
  lanes.clear();
  lanes.resize(static_cast<std::size_t>(threads));
}

bool Population::ScoredLanesComplete() const {
  if (lanes.empty()) return false;
  std::size_t count = 0;
  for (const Lane& lane : lanes) count += lane.members.size();
  return count == static_cast<std::size_t>(individuals->Size());
}
