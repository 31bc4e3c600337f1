#include "engine/IndividualComparator.h"

#include <cmath>

namespace {
// The comparator's class is named only when the cast fails: sorting compares
// a great many times.
template <class Reporter>
DoubleTypeFitnessIndividual* AsFitnessIndividual(Individual* individual, const Reporter& reporter) {
  auto* cast = dynamic_cast<DoubleTypeFitnessIndividual*>(individual);
  if (cast == nullptr) {
    GetException()->CastError("Individual", "DoubleTypeFitnessIndividual", ClassNameOf(reporter), "Compare");
  }
  return cast;
}
}  // namespace

int DoubleTypeFitnessIndividualLessComparator::Compare(Individual* a, Individual* b) {
  double fa = AsFitnessIndividual(a, *this)->GetFitness();
  double fb = AsFitnessIndividual(b, *this)->GetFitness();
  bool aIsNaN = std::isnan(fa);
  bool bIsNaN = std::isnan(fb);
  if (aIsNaN || bIsNaN) {
    if (aIsNaN && bIsNaN) return 0;
    return aIsNaN ? -1 : 1;
  }
  if (fa < fb) return 1;
  if (fa > fb) return -1;
  return 0;
}
