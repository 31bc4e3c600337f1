// Breeding every part of a plan as two threads taking turns would, for the
// tests of the plans of both kinds.
#pragma once

#include <gtest/gtest.h>

#include "engine/Evolution.h"
#include "engine/Population.h"
#include "foundation/Utility.h"

// The two threads' copies of the generator, the draws each made, and the
// thread that bred the last part.
struct TwoThreads {
  Utility copies[2];
  long long drawn[2] = {0, 0};
  int last = -1;
};

// Breeds every part of plan into next (its places open), in increasing
// order but alternating unevenly between two threads, each drawing from its
// own copy of start: thread 1 takes parts 1, 2, 4, 5, 7, ... and thread 0
// the others. Fails the test on a part that can not be bred.
inline void BreedAllParts(SharedBreeding* plan, Population* next, const Utility& start, TwoThreads& threads) {
  threads.copies[0] = start;
  threads.copies[1] = start;
  for (int k = 0; k < plan->PartCount(); ++k) {
    int thread = k % 3 == 0 ? 0 : 1;
    ASSERT_TRUE(plan->Breed(next, k, thread, &threads.copies[thread], threads.drawn[thread])) << k;
    threads.last = thread;
  }
}
