// A small complete run for engine tests: a producer with scripted evolutions
// around the test problem, and the input files that build it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "engine/Evolution.h"
#include "engine/FakeLispCode.h"
#include "engine/Individual.h"
#include "engine/IndividualComparator.h"
#include "engine/Population.h"
#include "problems/TestProblem.h"
#include "run/Producer.h"

class ScriptedEvolution : public Evolution {
 public:
  void Evolve(Population* from, Population* to, int n) override {
    ++evolveCalls;
    evolve(from, to, n);
  }
  void Apply(Population* population, int n) override {
    ++applyCalls;
    apply(population, n);
  }
  std::function<void(Population*, Population*, int)> evolve = [](Population*, Population*, int) {};
  std::function<void(Population*, int)> apply = [](Population*, int) {};
  int evolveCalls = 0;
  int applyCalls = 0;
};

// The first generation takes its values from initialValues in turn (programs
// "P0", "P1", ...); each next generation derives child i from the parent at
// index i of the sorted old one through nextValue.
class TestProducer : public Producer {
 public:
  explicit TestProducer(const std::string& fileName)
      : Producer(fileName, new TestProblemRegister()), sorter(&comparator) {
    initial.apply = [this](Population* population, int n) {
      for (int i = 0; i < n; ++i) {
        double value = initialValues[static_cast<std::size_t>(i) % initialValues.size()];
        population->Add(MakeIndividual("P" + std::to_string(i), value));
      }
    };
    next.evolve = [this](Population* from, Population* to, int n) {
      for (int i = 0; i < n; ++i) {
        FakeLispCode* parent = FakeCodeOf(from->Get(i % from->Size()));
        to->Add(MakeIndividual(parent->ToString() + "'", nextValue(parent->Value())));
      }
    };
  }

  Evolution* GetEvolution() override { return &next; }
  Evolution* GetInitialEvolution() override { return &initial; }
  IndividualSorter* GetSorter() override { return &sorter; }
  IndividualComparator* GetComparator() override { return &comparator; }

  TestProblem* GetTestProblem() { return dynamic_cast<TestProblem*>(GetProblem()); }
  void ForgetProblem() { SetProblem(nullptr); }

  std::vector<double> initialValues{4.0, 2.0, 3.0, 5.0};
  std::function<double(double)> nextValue = [](double value) { return value - 1.0; };
  ScriptedEvolution initial;
  ScriptedEvolution next;
  DoubleTypeFitnessIndividualLessComparator comparator;
  IndividualSorter sorter;
};

inline const char* const kAllStreams =
    "log log.txt\nsave save.txt\ntimer timer.txt\nonline-mean online-mean.txt\n"
    "online-sd online-sd.txt\noffline-mean offline-mean.txt\noffline-sd offline-sd.txt\nbest best.txt\n";

// Writes a file list, log setting (every stream to a file of its own name),
// parameter file and problem file into dir; returns the file list's path.
inline std::string WriteRunFiles(const ScratchDir& dir, const std::string& intParameters,
                                 const std::string& problem = "Test -1000\n",
                                 const std::string& streams = kAllStreams) {
  dir.Write("files.txt", "log_setting " + dir.File("log_setting.txt") + "\nparameter " +
                             dir.File("parameter.txt") + "\nproblem " + dir.File("problem.txt") +
                             "\ntable " + dir.File("table.txt") + "\n");
  dir.Write("log_setting.txt", "prefix " + dir.Path() + "/ streams\n" + streams);
  dir.Write("parameter.txt",
            "----- int_parameter\n" + intParameters + "-----\ndouble_parameter\ncrossover_ratio 0.5\n-----\n");
  dir.Write("problem.txt", problem);
  return dir.File("files.txt");
}
