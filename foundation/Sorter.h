// The system's one quicksort, over a pointer array and a comparator whose
// Compare(a, b) answers 1 when a must come before b. The exact partition
// scheme fixes the order of equal elements, so it is kept as it is.
#pragma once

#include "foundation/Exception.h"

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
    if (low >= high) return;
    Element* pivot = array->Get((low + high) / 2);
    int i = low;
    int j = high;
    while (i <= j) {
      while (with->Compare(array->Get(i), pivot) == 1) ++i;
      while (with->Compare(pivot, array->Get(j)) == 1) --j;
      if (i <= j) {
        Element* a = array->Get(i);
        array->Set(i, array->Get(j));
        array->Set(j, a);
        ++i;
        --j;
      }
    }
    QuickSort(array, with, low, j);
    QuickSort(array, with, i, high);
  }

 protected:
  Comparator* comparator;
};
