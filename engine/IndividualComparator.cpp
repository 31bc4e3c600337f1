#include "engine/IndividualComparator.h"

#include <cmath>
#include <typeinfo>
#include <utility>

#include "foundation/CastFast.h"
#include "foundation/SharedQuickSort.h"

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

namespace {
// Below this many members a generation is sorted on one thread: sharing it
// would cost more than it saves.
constexpr int kShareFrom = 2048;
// Parts of at least this many members are partitioned, smaller ones sorted
// whole, by the thread that takes them. Large enough that a part's keys
// stay with one thread for most of their sorting: a part partitioned by
// one thread and taken by another crosses between their caches (16 KB of
// keys here, 64 KB for a generation of 4 000).
constexpr int kWholeBelow = 1024;
}  // namespace

void IndividualSorter::Sort(IndividualArray* array, IndividualComparator* with) {
  Sort(array, with, nullptr);
}

void IndividualSorter::SortShared(IndividualArray* array, WorkSharing* sharing) {
  if (comparator == nullptr || sharing == nullptr || array->Size() < kShareFrom) {
    Sort(array);
    return;
  }
  Sort(array, comparator, sharing);
}

bool IndividualSorter::IsByFitness(IndividualComparator* with) const {
  return with != nullptr && typeid(*with) == typeid(DoubleTypeFitnessIndividualLessComparator);
}

bool IndividualSorter::SortByFitness(IndividualArray* array, WorkSharing* sharing, const double* fitness,
                                     std::vector<int>& order) {
  if (!IsByFitness(comparator)) return false;
  int size = array->Size();
  if (sharing != nullptr && size < kShareFrom) sharing = nullptr;
  keyed.resize(static_cast<std::size_t>(size));
  bool anyNaN = false;
  for (int i = 0; i < size; ++i) {
    anyNaN = anyNaN || std::isnan(fitness[i]);
    keyed[static_cast<std::size_t>(i)] = Keyed{fitness[i], i};
  }
  SortKeys(sharing, anyNaN);
  Reorder(array);
  order.resize(static_cast<std::size_t>(size));
  for (int i = 0; i < size; ++i)
    order[static_cast<std::size_t>(i)] = keyed[static_cast<std::size_t>(i)].index;
  return true;
}

void IndividualSorter::Sort(IndividualArray* array, IndividualComparator* with, WorkSharing* sharing) {
  int size = array->Size();
  bool byFitness = IsByFitness(with);
  keyed.clear();
  bool anyNaN = false;
  for (int i = 0; byFitness && i < size; ++i) {
    // The members were last written by the threads that scored them.
    if (i + 8 < size) __builtin_prefetch(array->Get(i + 8));
    auto* individual = CastFast<DoubleTypeFitnessIndividual>(array->Get(i));
    // Anything else is compared (and reported) by the comparator itself.
    if (individual == nullptr) {
      byFitness = false;
    } else {
      double fitness = individual->GetFitness();
      anyNaN = anyNaN || std::isnan(fitness);
      keyed.push_back({fitness, i});
    }
  }
  if (!byFitness) {
    Sorter<Individual, IndividualArray, IndividualComparator>::Sort(array, with);
    return;
  }
  SortKeys(sharing, anyNaN);
  Reorder(array);
}

void IndividualSorter::SortKeys(WorkSharing* sharing, bool anyNaN) {
  int size = static_cast<int>(keyed.size());
  auto get = [this](int i) { return keyed[static_cast<std::size_t>(i)]; };
  auto swap = [this](int i, int j) { std::swap(keyed[static_cast<std::size_t>(i)], keyed[static_cast<std::size_t>(j)]); };
  auto sort = [&](const auto& compare) {
    if (sharing != nullptr) {
      QuickSortShared(sharing, get, swap, compare, 0, size - 1, kWholeBelow);
    } else {
      QuickSortRange(get, swap, compare, 0, size - 1);
    }
  };
  if (anyNaN) {
    sort([](const Keyed& a, const Keyed& b) { return CompareFitness(a.fitness, b.fitness); });
  } else {
    // Without a NaN, CompareFitness answers 1 exactly when a < b: the same
    // sort, with one comparison a step.
    sort([](const Keyed& a, const Keyed& b) { return a.fitness < b.fitness ? 1 : 0; });
  }
}

void IndividualSorter::Reorder(IndividualArray* array) {
  int size = array->Size();
  before.resize(static_cast<std::size_t>(size));
  for (int i = 0; i < size; ++i) before[static_cast<std::size_t>(i)] = array->Get(i);
  for (int i = 0; i < size; ++i)
    array->Set(i, before[static_cast<std::size_t>(keyed[static_cast<std::size_t>(i)].index)]);
}
