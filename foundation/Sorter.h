// The system's one quicksort, over a pointer array and a comparator whose
// Compare(a, b) answers 1 when a must come before b. The exact partition
// scheme fixes the order of equal elements, so it is kept as it is.
#pragma once

#include "foundation/Exception.h"

// The quicksort itself over positions low..high of any sequence: get(i) is
// the i-th element, swap(i, j) exchanges two, compare(a, b) is 1 when a must
// come before b.
template <class Get, class Swap, class Compare>
void QuickSortRange(const Get& get, const Swap& swap, const Compare& compare, int low, int high);

// The quicksort's step over positions low..high (low < high): it partitions
// them around their middle element and leaves the two parts still to sort,
// low..last and first..high (last < first, neither overlapping the other).
template <class Get, class Swap, class Compare>
void PartitionRange(const Get& get, const Swap& swap, const Compare& compare, int low, int high, int& last,
                    int& first) {
  auto pivot = get((low + high) / 2);
  int i = low;
  int j = high;
  while (i <= j) {
    while (compare(get(i), pivot) == 1) ++i;
    while (compare(pivot, get(j)) == 1) --j;
    if (i <= j) {
      swap(i, j);
      ++i;
      --j;
    }
  }
  last = j;
  first = i;
}

template <class Get, class Swap, class Compare>
void QuickSortRange(const Get& get, const Swap& swap, const Compare& compare, int low, int high) {
  if (low >= high) return;
  int last = 0;
  int first = 0;
  PartitionRange(get, swap, compare, low, high, last, first);
  QuickSortRange(get, swap, compare, low, last);
  QuickSortRange(get, swap, compare, first, high);
}

template <class Element, class ArrayType, class Comparator>
class Sorter {
 public:
  explicit Sorter(Comparator* comparator) : comparator(comparator) {}
  virtual ~Sorter() = default;

  virtual void Sort(ArrayType* array, Comparator* with) { QuickSort(array, with, 0, array->Size() - 1); }

  virtual void Sort(ArrayType* array) {
    if (comparator == nullptr) {
      GetException()->Warning("Not Sorted", ClassNameOf(*this), "Sort");
      return;
    }
    Sort(array, comparator);
  }

  virtual void QuickSort(ArrayType* array, Comparator* with, int low, int high) {
    QuickSortRange([array](int i) { return array->Get(i); },
                   [array](int i, int j) {
                     Element* a = array->Get(i);
                     array->Set(i, array->Get(j));
                     array->Set(j, a);
                   },
                   [with](Element* a, Element* b) { return with->Compare(a, b); }, low, high);
  }

 protected:
  Comparator* comparator;
};
