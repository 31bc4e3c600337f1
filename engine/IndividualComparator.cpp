#include "engine/IndividualComparator.h"

#include <cmath>
#include <typeinfo>
#include <utility>

#include "foundation/CastFast.h"

namespace {
// The comparator's class is named only when the cast fails: sorting compares
// a great many times.
template <class Reporter>
DoubleTypeFitnessIndividual* AsFitnessIndividual(Individual* individual, const Reporter& reporter) {
  auto* cast = CastFast<DoubleTypeFitnessIndividual>(individual);
  if (cast == nullptr) {
    GetException()->CastError("Individual", "DoubleTypeFitnessIndividual", ClassNameOf(reporter), "Compare");
  }
  return cast;
}
}  // namespace

int CompareFitness(double fa, double fb) {
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

int DoubleTypeFitnessIndividualLessComparator::Compare(Individual* a, Individual* b) {
  double fa = AsFitnessIndividual(a, *this)->GetFitness();
  double fb = AsFitnessIndividual(b, *this)->GetFitness();
  return CompareFitness(fa, fb);
}

void IndividualSorter::Sort(IndividualArray* array, IndividualComparator* with) {
  int size = array->Size();
  bool byFitness = with != nullptr && typeid(*with) == typeid(DoubleTypeFitnessIndividualLessComparator);
  keyed.clear();
  for (int i = 0; byFitness && i < size; ++i) {
    // The members were last written by the threads that scored them.
    if (i + 8 < size) __builtin_prefetch(array->Get(i + 8));
    auto* individual = CastFast<DoubleTypeFitnessIndividual>(array->Get(i));
    // Anything else is compared (and reported) by the comparator itself.
    if (individual == nullptr) byFitness = false;
    else keyed.push_back({individual->GetFitness(), individual});
  }
  if (!byFitness) {
    Sorter<Individual, IndividualArray, IndividualComparator>::Sort(array, with);
    return;
  }
  QuickSortRange([this](int i) { return keyed[static_cast<std::size_t>(i)]; },
                 [this](int i, int j) { std::swap(keyed[static_cast<std::size_t>(i)], keyed[static_cast<std::size_t>(j)]); },
                 [](const Keyed& a, const Keyed& b) { return CompareFitness(a.fitness, b.fitness); }, 0, size - 1);
  for (int i = 0; i < size; ++i) array->Set(i, keyed[static_cast<std::size_t>(i)].individual);
}
