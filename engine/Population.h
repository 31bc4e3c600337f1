// The individuals of one generation, sorted lazily best first: every change
// marks the population unsorted and the next Get sorts it again.
#pragma once

#include <atomic>
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
  // preferredThread: the thread (see ThreadSlot) best placed to evaluate the
  // new member, or -1 for any.
  void Add(Individual* individual, int preferredThread = -1);
  // The i-th member in comparator order, sorting first if needed: Get(0) is
  // the best.
  Individual* Get(int i);
  // The i-th member in the current order, never sorting.
  Individual* GetUnsorted(int i) { return individuals->Get(i); }
  int Size() const { return individuals->Size(); }
  int Capacity() const { return individuals->Capacity(); }
  // For a thread that reads the members while another adds them: the number
  // of members added so far (each one complete before it counts), and the
  // i-th of them, i below that number.
  int GetPublishedCount() const { return published.load(std::memory_order_acquire); }
  Individual* GetPublished(int i) const { return individuals->Data()[i]; }
  // The preferred thread the i-th member was added with (until the
  // population is sorted).
  int GetPublishedPreference(int i) const { return preferences[static_cast<std::size_t>(i)]; }
  void Sort();
  // Whether the members are in comparator order now; RestoreSorted sets it
  // as a checkpoint kept it (the members added back in their saved order),
  // so that the next Get sorts only if the saved population would have.
  bool IsSorted() const { return sorted; }
  void RestoreSorted(bool value) { sorted = value; }
  // Each member, in index order, accepts the visitor.
  void AcceptAll(IndividualVisitor* visitor);
  // Destroys every member with its chromosome; the population is then empty.
  void DeleteAll();

 private:
  std::unique_ptr<IndividualArray> individuals;
  std::unique_ptr<int[]> preferences;
  std::atomic<int> published{0};
  bool sorted = false;
  IndividualSorter* sorter;
};
