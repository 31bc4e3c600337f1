// Per-run fitness logs of the batch mode: a collector records one fitness per
// visit; arrays of collectors (one per run) live in a register under the names
// "online" and "offline"; an iterator gathers one generation across the runs.
#pragma once

#include <memory>
#include <string>

#include "config/IndividualVisitor.h"
#include "config/Register.h"
#include "foundation/NumericArrays.h"

class IndividualLogCollector : public IndividualVisitor {
 public:
  explicit IndividualLogCollector(int capacity);
  // Appends the individual's fitness; beyond the capacity the array reports.
  void Visit(Individual* individual) override;
  DoubleArray* GetValues() { return values.get(); }

 private:
  std::unique_ptr<DoubleArray> values;
};

class IndividualLogCollectorVisitor {
 public:
  virtual ~IndividualLogCollectorVisitor() = default;
  virtual void Visit(IndividualLogCollector* collector) = 0;
};

// Gathers the value of one generation from every visited collector. A run
// that stopped early contributes its last value to every later generation; a
// run interrupted before its first generation finished, nothing.
class GenerationFixedIterator : public IndividualLogCollectorVisitor {
 public:
  explicit GenerationFixedIterator(int capacity);
  // Sets the generation and empties the gathered values.
  void SetGeneration(int g);
  void Visit(IndividualLogCollector* collector) override;
  DoubleArray* GetValues() { return values.get(); }
  double Mean() const { return values->Mean(); }
  double StdDev() const { return values->StdDev(); }

 private:
  std::unique_ptr<DoubleArray> values;
  int generation = 0;
};

// One collector per run, the current run's last. Owns its collectors.
class IndividualLogCollectorArray : public PointerArray<IndividualLogCollector> {
 public:
  explicit IndividualLogCollectorArray(int capacity) : PointerArray<IndividualLogCollector>(capacity) {}
  ~IndividualLogCollectorArray() override { DeleteAll(); }
  // Hands every collector, from index 0 upward, to the visitor.
  void Accept(IndividualLogCollectorVisitor* visitor);
  void DeleteAll() { DeletePointees(); }
};

// Arrays of collectors by name. The first request of a name makes its array
// with one collector, for the current run.
class IndividualLogCollectorsRegister : public Register<std::string, IndividualLogCollectorArray> {
 public:
  IndividualLogCollectorsRegister(int capacity, int iterationCount, int generationCount);
  // A new array of room for iteration count + 1 collectors, holding one
  // collector of room for generation count + 1 values, pushed under key.
  IndividualLogCollectorArray* Create(const std::string& key) override;
  // Starts the next run: one new collector at the end of every array, in
  // register order.
  void NextIteration();
  int GetIterationCount() const { return iterationCount; }
  int GetGenerationCount() const { return generationCount; }

 private:
  int iterationCount;
  int generationCount;
};

class Log;

// Writes the summary of a batch of runs to the streams "online-mean",
// "online-sd", "offline-mean", "offline-sd" (one comma-separated row of
// generations + 1 numbers each) and "best" (the final best-so-far of each of
// the runs), in the streams' default number format and without a line end.
// runs is the room to gather in; every run with a value is summarised, so a
// batch interrupted part way is summarised over the runs it made.
void WriteStatistics(IndividualLogCollectorsRegister* collectors, int runs, int generations, Log* log);
