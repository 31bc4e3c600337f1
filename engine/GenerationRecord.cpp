#include "engine/GenerationRecord.h"

#include <cmath>
#include <limits>
#include <typeinfo>
#include <vector>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "engine/Population.h"
#include "foundation/CastFast.h"
#include "foundation/WorkSharing.h"

double FitnessOf(Individual* individual) {
  auto* scored = CastFast<DoubleTypeFitnessIndividual>(individual);
  return scored != nullptr ? scored->GetFitness() : std::numeric_limits<double>::quiet_NaN();
}

namespace {
// How many members ahead the measuring loop fetches.
constexpr int kAhead = 8;
// Below this many members a generation is measured on one thread; above,
// members are read this many at a time by each thread that shares the work.
constexpr int kShareFrom = 2048;
constexpr int kReadChunk = 512;

// Each member's fitness, size and depth, read once by whichever thread takes
// it (the sums are made in order on the calling thread).
void ReadMembers(Population* sorted, WorkSharing* sharing, double* fitnessOf, int* sizeOf, int* depthOf) {
  int n = sorted->Size();
  ForEachShared(n >= kShareFrom ? sharing : nullptr, n, kReadChunk, [&](int i) {
    // The members were last written by the threads that scored them: the
    // members and their chromosomes a few ahead are fetched meanwhile.
    if (i + 2 * kAhead < n) __builtin_prefetch(sorted->GetUnsorted(i + 2 * kAhead));
    if (i + kAhead < n) __builtin_prefetch(sorted->GetUnsorted(i + kAhead)->GetChromosome());
    Individual* member = sorted->GetUnsorted(i);
    fitnessOf[i] = FitnessOf(member);
    sizeOf[i] = member->GetChromosome()->GetSize();
    depthOf[i] = member->GetChromosome()->GetDepth();
  });
}
}  // namespace

void GenerationRecord::Measure(Population* sorted, WorkSharing* sharing) {
  population = sorted;
  int n = sorted->Size();
  if (n == 0) return;
  generationBest = sorted->Get(0);  // sorts first if need be
  // Kept between generations: a run measures one of the same size each time.
  thread_local std::vector<double> fitness;
  thread_local std::vector<int> sizes;
  thread_local std::vector<int> depths;
  fitness.resize(static_cast<std::size_t>(n));
  sizes.resize(static_cast<std::size_t>(n));
  depths.resize(static_cast<std::size_t>(n));
  double* fitnessOf = fitness.data();
  int* sizeOf = sizes.data();
  int* depthOf = depths.data();
  if (const Population::ScoredFacts* facts = sorted->GetScoredFacts()) {
    // Noted as the members were scored, and kept in their order.
    for (int i = 0; i < n; ++i) {
      fitnessOf[i] = facts[i].fitness;
      sizeOf[i] = facts[i].size;
      depthOf[i] = facts[i].depth;
    }
  } else {
    ReadMembers(sorted, sharing, fitnessOf, sizeOf, depthOf);
  }
  double sum = 0.0;
  double sizeSum = 0.0;
  double depthSum = 0.0;
  for (int i = 0; i < n; ++i) {
    sum += fitnessOf[i];
    sizeSum += sizeOf[i];
    depthSum += depthOf[i];
  }
  double count = static_cast<double>(n);
  mean = sum / count;
  double squares = 0.0;
  for (double value : fitness) squares += (value - mean) * (value - mean);
  deviation = std::sqrt(squares / count);
  best = fitness.front();
  worst = fitness.back();
  std::size_t middle = static_cast<std::size_t>(n / 2);
  median = n % 2 == 1 ? fitness[middle] : (fitness[middle - 1] + fitness[middle]) / 2.0;
  meanSize = sizeSum / count;
  meanDepth = depthSum / count;
  bestSize = generationBest->GetChromosome()->GetSize();
  bestDepth = generationBest->GetChromosome()->GetDepth();
}
