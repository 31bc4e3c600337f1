#include "foundation/NumericArrays.h"

#include <cmath>
#include <cstdint>

#include "foundation/Utility.h"

double DoubleArray::Sum() const {
  double sum = 0.0;
  for (int i = 0; i < size; ++i) sum += data[i];
  return sum;
}

double DoubleArray::Product() const {
  double product = 1.0;
  for (int i = 0; i < size; ++i) product *= data[i];
  return product;
}

double DoubleArray::Mean() const { return Sum() / static_cast<double>(size); }

double DoubleArray::StdDev() const {
  double squares = 0.0;
  for (int i = 0; i < size; ++i) squares += data[i] * data[i];
  double mean = Mean();
  double variance = squares / static_cast<double>(size) - mean * mean;
  // Rounding can leave a tiny negative variance for equal values; that is 0.
  return variance < 0.0 ? 0.0 : std::sqrt(variance);
}

int DoubleArray::Roulette() const {
  double total = Sum();
  double r = GetUtility()->RandomDouble(total);
  double running = 0.0;
  for (int i = 0; i < size; ++i) {
    running += data[i];
    if (r < running) return i;
  }
  return GetUtility()->RandomInt(size);
}

int IntArray::Sum() const {
  std::uint32_t sum = 0;
  for (int i = 0; i < size; ++i) sum += static_cast<std::uint32_t>(data[i]);
  return static_cast<int>(sum);
}

int IntArray::Product() const {
  std::uint32_t product = 1;
  for (int i = 0; i < size; ++i) product *= static_cast<std::uint32_t>(data[i]);
  return static_cast<int>(product);
}

void IntArray::Sort() { QuickSort(0, size - 1); }

void IntArray::QuickSort(int low, int high) {
  if (low >= high) return;
  int pivot = Get((low + high) / 2);
  int i = low;
  int j = high;
  while (i <= j) {
    while (Get(i) < pivot) ++i;
    while (pivot < Get(j)) --j;
    if (i <= j) {
      int a = Get(i);
      Set(i, Get(j));
      Set(j, a);
      ++i;
      --j;
    }
  }
  QuickSort(low, j);
  QuickSort(i, high);
}
