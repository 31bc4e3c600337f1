#include "engine/Population.h"

#include "engine/Individual.h"

Population::Population(int capacity, IndividualSorter* sorter)
    : individuals(std::make_unique<IndividualArray>(capacity)), sorter(sorter) {}

Population::~Population() = default;

void Population::Add(Individual* individual) {
  individuals->Add(individual);
  published.store(individuals->Size(), std::memory_order_release);
  sorted = false;
}

Individual* Population::Get(int i) {
  if (!sorted) Sort();
  return individuals->Get(i);
}

void Population::Sort() {
  sorter->Sort(individuals.get());
  sorted = true;
}

void Population::AcceptAll(IndividualVisitor* visitor) {
  for (int i = 0; i < individuals->Size(); ++i) individuals->Get(i)->Accept(visitor);
  sorted = false;
}

void Population::DeleteAll() {
  for (int i = 0; i < individuals->Size(); ++i) individuals->Get(i)->DeleteChromosome();
  individuals->DeleteAll();
  published.store(0, std::memory_order_release);
}
