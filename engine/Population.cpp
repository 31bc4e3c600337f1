#include "engine/Population.h"

#include "engine/Individual.h"

Population::Population(int capacity, IndividualSorter* sorter)
    : individuals(std::make_unique<IndividualArray>(capacity)),
      entries(individuals->Data()),
      preferences(std::make_unique<int[]>(capacity > 0 ? static_cast<std::size_t>(capacity) : 1)),
      sorter(sorter) {}

Population::~Population() = default;

void Population::Add(Individual* individual, int preferredThread) {
  // Noted before the member counts as added (the array reports a full
  // population before anything changes).
  int size = individuals->Size();
  if (size < individuals->Capacity()) preferences[static_cast<std::size_t>(size)] = preferredThread;
  individuals->Add(individual);
  published.count.store(individuals->Size(), std::memory_order_release);
  // Written only when it changes (it shares the lines the threads read).
  if (sorted) sorted = false;
}

Individual* Population::Get(int i) {
  if (!sorted) Sort();
  return individuals->Get(i);
}

void Population::Sort(WorkSharing* sharing) {
  sorter->SortShared(individuals.get(), sharing);
  sorted = true;
}

void Population::AcceptAll(IndividualVisitor* visitor) {
  for (int i = 0; i < individuals->Size(); ++i) individuals->Get(i)->Accept(visitor);
  sorted = false;
}

void Population::OpenPlaces(int n) {
  int size = individuals->Size();
  if (n < 0 || n > individuals->Capacity() - size)
    ReportArrayCapacity(individuals->Capacity(), ClassNameOf(*individuals), "Add");
  for (int i = size; i < size + n; ++i) entries[i] = nullptr;
  placesFrom = size;
  placesTo = size + n;
}

void Population::ClosePlaces(bool keep) {
  if (keep) {
    individuals->SetSize(placesTo);
    published.count.store(placesTo, std::memory_order_release);
    sorted = false;
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
