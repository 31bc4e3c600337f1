#include "engine/IndividualLogCollector.h"

#include "config/Log.h"
#include "engine/Individual.h"

IndividualLogCollector::IndividualLogCollector(int capacity) : values(std::make_unique<DoubleArray>(capacity)) {}

void IndividualLogCollector::Visit(Individual* individual) {
  auto* scored = dynamic_cast<DoubleTypeFitnessIndividual*>(individual);
  if (scored == nullptr) {
    GetException()->CastError("Individual", "DoubleTypeFitnessIndividual", ClassNameOf(*this), "Visit");
  }
  values->Add(scored->GetFitness());
}

GenerationFixedIterator::GenerationFixedIterator(int capacity) : values(std::make_unique<DoubleArray>(capacity)) {}

void GenerationFixedIterator::SetGeneration(int g) {
  generation = g;
  values->Clear();
}

void GenerationFixedIterator::Visit(IndividualLogCollector* collector) {
  DoubleArray* logged = collector->GetValues();
  if (logged->Size() == 0) return;
  if (logged->Size() > generation) {
    values->Add(logged->Get(generation));
  } else {
    values->Add(logged->Top());
  }
}

void IndividualLogCollectorArray::Accept(IndividualLogCollectorVisitor* visitor) {
  for (int i = 0; i < Size(); ++i) visitor->Visit(Get(i));
}

IndividualLogCollectorsRegister::IndividualLogCollectorsRegister(int capacity, int iterationCount,
                                                                 int generationCount)
    : Register<std::string, IndividualLogCollectorArray>(capacity),
      iterationCount(iterationCount),
      generationCount(generationCount) {}

IndividualLogCollectorArray* IndividualLogCollectorsRegister::Create(const std::string& key) {
  auto* array = new IndividualLogCollectorArray(iterationCount + 1);
  array->Add(new IndividualLogCollector(generationCount + 1));
  Push(key, array);
  return array;
}

void IndividualLogCollectorsRegister::NextIteration() {
  for (int i = 0; i < Count(); ++i) ValueAt(i)->Add(new IndividualLogCollector(generationCount + 1));
}

void WriteStatistics(IndividualLogCollectorsRegister* collectors, int runs, int generations, Log* log) {
  GenerationFixedIterator iterator(runs);
  IndividualLogCollectorArray* online = collectors->Get("online");
  IndividualLogCollectorArray* offline = collectors->Get("offline");
  for (int g = 0; g <= generations; ++g) {
    iterator.SetGeneration(g);
    online->Accept(&iterator);
    *log->Get("online-mean") << iterator.Mean();
    *log->Get("online-sd") << iterator.StdDev();
    iterator.SetGeneration(g);
    offline->Accept(&iterator);
    *log->Get("offline-mean") << iterator.Mean();
    *log->Get("offline-sd") << iterator.StdDev();
    if (g < generations) {
      *log->Get("online-mean") << ",";
      *log->Get("online-sd") << ",";
      *log->Get("offline-mean") << ",";
      *log->Get("offline-sd") << ",";
    }
  }
  DoubleArray* finals = iterator.GetValues();
  for (int r = 0; r < finals->Size(); ++r) {
    *log->Get("best") << finals->Get(r);
    if (r < finals->Size() - 1) *log->Get("best") << ",";
  }
}
