#include "engine/IndividualComparator.h"

#include <cmath>

namespace {
DoubleTypeFitnessIndividual* AsFitnessIndividual(Individual* individual, const std::string& cls) {
  auto* cast = dynamic_cast<DoubleTypeFitnessIndividual*>(individual);
  if (cast == nullptr) {
    GetException()->CastError("Individual", "DoubleTypeFitnessIndividual", cls, "Compare");
  }
  return cast;
}
}  // namespace

int DoubleTypeFitnessIndividualLessComparator::Compare(Individual* a, Individual* b) {
  double fa = AsFitnessIndividual(a, ClassNameOf(*this))->GetFitness();
  double fb = AsFitnessIndividual(b, ClassNameOf(*this))->GetFitness();
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
