// Predicts when a series of repeated runs will finish, from the average
// duration of the runs finished so far.
#pragma once

#include <ctime>
#include <memory>
#include <ostream>
#include <string>

#include "foundation/NumericArrays.h"

class TimeEstimator {
 public:
  explicit TimeEstimator(int capacity);
  // One that began at start and has made count estimates already (a batch
  // resumed from a checkpoint); the earlier estimates count as 0.
  TimeEstimator(int capacity, std::time_t start, int count);
  // Records the next estimate and returns it in the C library's ctime form
  // (24 characters and a line feed).
  std::string NextEstimate();
  template <class Stream>
  void Estimate(Stream& stream) {
    stream << NextEstimate();
    stream << std::flush;
  }
  int Count() const { return count; }

 private:
  std::time_t start;
  std::unique_ptr<IntArray> estimates;
  int capacity;
  int count = 0;
};
