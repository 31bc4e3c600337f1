// The numeric arrays: DoubleArray (with the roulette draw over weights),
// IntArray (with its ascending sort) and Double2DimensionalArray (rows).
#pragma once

#include "foundation/Array.h"

class DoubleArray : public Array<double> {
 public:
  explicit DoubleArray(int capacity) : Array<double>(capacity) {}
  DoubleArray(int capacity, ArrayOnDemand how) : Array<double>(capacity, how) {}
  double Sum() const;
  double Product() const;
  double Mean() const;
  // Population standard deviation: sqrt(sum of squares / size - mean^2).
  double StdDev() const;
  // Index drawn with probability proportional to its (non-negative) weight;
  // a uniform index when every weight is 0.
  int Roulette() const;
};

class IntArray : public Array<int> {
 public:
  explicit IntArray(int capacity) : Array<int>(capacity) {}
  IntArray(int capacity, ArrayOnDemand how) : Array<int>(capacity, how) {}
  int Sum() const;  // wraps around on overflow
  int Product() const;
  void Sort();  // ascending, by the system's quicksort

 private:
  void QuickSort(int low, int high);
};

// A list of rows. It does not own its rows; owners release them.
class Double2DimensionalArray : public PointerArray<DoubleArray> {
 public:
  explicit Double2DimensionalArray(int capacity) : PointerArray<DoubleArray>(capacity) {}
  void DeleteAll() { DeletePointees(); }
};

// A two-argument kernel of a's arguments 0 and 1, read (and checked) in
// that order.
template <class Array, class Kernel>
auto OfTwo(const Array& a, Kernel kernel) {
  auto x = a.Get(0);
  auto y = a.Get(1);
  return kernel(x, y);
}
