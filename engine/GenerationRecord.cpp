#include "engine/GenerationRecord.h"

#include <cmath>
#include <limits>
#include <typeinfo>
#include <vector>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "engine/Population.h"
#include "foundation/CastFast.h"

double FitnessOf(Individual* individual) {
  auto* scored = CastFast<DoubleTypeFitnessIndividual>(individual);
  return scored != nullptr ? scored->GetFitness() : std::numeric_limits<double>::quiet_NaN();
}

namespace {
// How many members ahead the measuring loop fetches.
constexpr int kAhead = 8;
}  // namespace

void GenerationRecord::Measure(Population* sorted) {
  population = sorted;
  int n = sorted->Size();
  if (n == 0) return;
  // Kept between generations: a run measures one of the same size each time.
  thread_local std::vector<double> fitness;
  fitness.resize(static_cast<std::size_t>(n));
  double sum = 0.0;
  double sizes = 0.0;
  double depths = 0.0;
  generationBest = sorted->Get(0);  // sorts first if need be
  for (int i = 0; i < n; ++i) {
    // The members were last written by the threads that scored them: the
    // members and their chromosomes a few ahead are fetched meanwhile.
    if (i + 2 * kAhead < n) __builtin_prefetch(sorted->GetUnsorted(i + 2 * kAhead));
    if (i + kAhead < n) __builtin_prefetch(sorted->GetUnsorted(i + kAhead)->GetChromosome());
    Individual* member = sorted->GetUnsorted(i);
    fitness[static_cast<std::size_t>(i)] = FitnessOf(member);
    sum += fitness[static_cast<std::size_t>(i)];
    sizes += member->GetChromosome()->GetSize();
    depths += member->GetChromosome()->GetDepth();
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
  meanSize = sizes / count;
  meanDepth = depths / count;
  bestSize = generationBest->GetChromosome()->GetSize();
  bestDepth = generationBest->GetChromosome()->GetDepth();
}
