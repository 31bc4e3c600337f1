// How a composite generation scheme divides the places of a new generation:
// e elite copies, then floor(r * crossover ratio) crossover offspring and
// floor(r * mutation ratio) mutants, the rest reproductions (r = n - e).
#pragma once

#include <climits>

#include "foundation/Numeric.h"

struct GenerationSplit {
  int elite;
  int crossover;
  int mutation;
  int rest;

  static GenerationSplit Of(int n, int eliteSize, double crossoverRatio, double mutationRatio) {
    long long r = static_cast<long long>(n) - eliteSize;
    int nc = TruncToInt(static_cast<double>(r) * crossoverRatio);
    int nm = TruncToInt(static_cast<double>(r) * mutationRatio);
    // Absurd ratios (huge or NaN) give counts far outside the generation; the
    // rest is worked out without int overflow, so the population's capacity
    // report ends such a run instead of a silently short generation.
    long long rest = r - nc - nm;
    int clamped = rest > INT_MAX ? INT_MAX : rest < INT_MIN ? INT_MIN : static_cast<int>(rest);
    return {eliteSize, nc, nm, clamped};
  }
};
