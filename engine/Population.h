// The individuals of one generation, sorted lazily best first: every change
// marks the population unsorted and the next Get sorts it again.
#pragma once

#include <memory>

#include "engine/IndividualComparator.h"

class IndividualVisitor;

class Population {
 public:
  // sorter is not owned.
  Population(int capacity, IndividualSorter* sorter);
  Population(const Population&) = delete;
  Population& operator=(const Population&) = delete;
  // Destroys the array, not the individuals in it (DeleteAll does that).
  virtual ~Population();

  // Appends; a full population ends the process with the array's report.
  void Add(Individual* individual);
  // The i-th member in comparator order, sorting first if needed: Get(0) is
  // the best.
  Individual* Get(int i);
  // The i-th member in the current order, never sorting.
  Individual* GetUnsorted(int i) { return individuals->Get(i); }
  int Size() const { return individuals->Size(); }
  void Sort();
  // Each member, in index order, accepts the visitor.
  void AcceptAll(IndividualVisitor* visitor);
  // Destroys every member with its chromosome; the population is then empty.
  void DeleteAll();

 private:
  std::unique_ptr<IndividualArray> individuals;
  bool sorted = false;
  IndividualSorter* sorter;
};
