// Orders individuals best first: Compare(a, b) is 1 when a is strictly better
// (lower fitness). IndividualSorter is the system's quicksort over them.
#pragma once

#include <vector>

#include "engine/Individual.h"
#include "foundation/Sorter.h"
#include "foundation/WorkSharing.h"

class IndividualComparator {
 public:
  virtual ~IndividualComparator() = default;
  // 1: a comes before b; 0: equal; -1: a comes after b.
  virtual int Compare(Individual* a, Individual* b) = 0;
};

// Ascending fitness. A NaN fitness counts as the worst value: after every
// number, and two NaNs are equal, so sorting never runs off the array.
class DoubleTypeFitnessIndividualLessComparator : public IndividualComparator {
 public:
  int Compare(Individual* a, Individual* b) override;
};

class DoubleTypeFitnessIndividual;

// The order of DoubleTypeFitnessIndividualLessComparator on two fitness
// values: 1 when a is strictly better, 0 when equal, -1 when worse.
int CompareFitness(double a, double b);

class IndividualSorter : public Sorter<Individual, IndividualArray, IndividualComparator> {
 public:
  explicit IndividualSorter(IndividualComparator* comparator)
      : Sorter<Individual, IndividualArray, IndividualComparator>(comparator) {}

  // With the ascending-fitness comparator over fitness individuals, the same
  // quicksort runs on the fitness values read once each (a generation is
  // sorted on every step, and a comparison through the comparator costs a
  // cast per individual); the order is the comparator's to the last swap.
  void Sort(IndividualArray* array, IndividualComparator* with) override;
  using Sorter<Individual, IndividualArray, IndividualComparator>::Sort;
  // Sort(array) with the sorting shared among sharing's threads (not owned;
  // null for this thread alone) where the array is large enough to gain:
  // the same order.
  void SortShared(IndividualArray* array, WorkSharing* sharing);
  // SortShared with the members' fitness values given (fitness[i] that of
  // the i-th member before sorting, as GetFitness would read it), where the
  // comparator is the ascending-fitness one; false, with nothing done,
  // otherwise. order receives, for each place after sorting, the index its
  // member had before.
  bool SortByFitness(IndividualArray* array, WorkSharing* sharing, const double* fitness,
                     std::vector<int>& order);

 private:
  void Sort(IndividualArray* array, IndividualComparator* with, WorkSharing* sharing);
  // The quicksort on the keys, as it would run on the members.
  void SortKeys(WorkSharing* sharing, bool anyNaN);
  // The members in the keys' order.
  void Reorder(IndividualArray* array);
  bool IsByFitness(IndividualComparator* with) const;

  struct Keyed {
    double fitness;
    int index;  // of the member before sorting
  };
  std::vector<Keyed> keyed;
  std::vector<Individual*> before;
};
