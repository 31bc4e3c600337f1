#include "run/EvolutionarySystem.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <map>
#include <thread>

#include "TestSupport.h"
#include "config/Log.h"
#include "engine/GenerationObserver.h"
#include "engine/GenerationRecord.h"
#include "engine/TestRun.h"
#include "foundation/Utility.h"
#include "run/GPProducer.h"

namespace {
using ::testing::ElementsAre;
using ::testing::ExitedWithCode;

// Notes what it hears, one line per notification, and keeps the records and,
// at each run's end, what the system's population then is.
class Listener : public GenerationObserver {
 public:
  void RunStarted(const RunStart& start) override { heard.push_back("start " + std::to_string(start.run)); }
  void GenerationFinished(const GenerationRecord& record) override {
    records.push_back(record);
    heard.push_back(std::to_string(record.run) + ":" + std::to_string(record.generation));
  }
  void RunEnded(const RunEnd& end) override {
    heard.push_back("end " + std::to_string(end.run) + " last " + std::to_string(end.lastGeneration) + " solved " +
                    std::to_string(end.solvedGeneration) + (end.stopped ? " stopped" : ""));
    Population* population = system->GetPopulation();
    endSize = population->Size();
    endFitnesses.clear();
    for (int i = 0; i < endSize; ++i) endFitnesses.push_back(FitnessOf(population->GetUnsorted(i)));
    endRecordBest = end.last != nullptr ? end.last->best : std::nan("");
  }

  EvolutionarySystem* system = nullptr;
  std::vector<std::string> heard;
  std::vector<GenerationRecord> records;
  int endSize = -1;
  std::vector<double> endFitnesses;
  double endRecordBest = 0.0;
};

// Builds a run from a parameter file of population 4 (initial fitnesses 4, 2,
// 3, 5 for programs P0..P3) and the given limit, runs and problem threshold.
class EvolutionarySystemTest : public ::testing::Test {
 protected:
  void Build(int maxGeneration, int iterations = 1, double solvedAt = -1000) {
    system.reset();
    producer.reset();
    DeleteLog();
    std::string files = WriteRunFiles(dir,
                                      "population_size 4\nmax_generation " + std::to_string(maxGeneration) +
                                          "\niteration_num " + std::to_string(iterations) + "\nseed 7\n",
                                      "Test " + std::to_string(solvedAt) + "\n");
    producer = std::make_unique<TestProducer>(files);
    system = std::make_unique<EvolutionarySystem>(producer.get());
    listener.system = system.get();
    system->AddObserver(&listener);
  }
  ~EvolutionarySystemTest() override {
    system.reset();
    producer.reset();
  }
  std::string File(const std::string& name) { return ReadWholeFile(dir.File(name)); }
  std::string Best() { return system->GetBest()->GetChromosome()->ToString(); }
  DoubleArray* Collected(const std::string& name, int run) {
    return producer->GetIndividualLogCollectorsRegister()->Get(name)->Get(run)->GetValues();
  }
  static std::string Row(DoubleArray* values) {
    std::string text;
    for (int i = 0; i < values->Size(); ++i) text += (i > 0 ? "," : "") + std::to_string(values->Get(i));
    return text;
  }

  ScratchDir dir;
  std::unique_ptr<TestProducer> producer;
  std::unique_ptr<EvolutionarySystem> system;
  Listener listener;
};

TEST_F(EvolutionarySystemTest, LimitZeroEvaluatesOnceInIndexOrderAndNeverEvolves) {
  Build(0);
  system->Run();
  EXPECT_EQ(producer->initial.applyCalls, 1);
  EXPECT_EQ(producer->next.evolveCalls, 0);
  EXPECT_THAT(producer->GetTestProblem()->evaluated, ElementsAre("P0", "P1", "P2", "P3"));
  EXPECT_EQ(File("log.txt"), "0 : 2\nP1\n\n");
  EXPECT_EQ(system->GetPopulation()->Size(), 0);  // Finish destroyed the members
  EXPECT_EQ(Best(), "P1");
}

TEST_F(EvolutionarySystemTest, RunEvaluatesGenerationsZeroToTheLimit) {
  Build(3);
  system->Run();
  EXPECT_EQ(producer->next.evolveCalls, 3);
  EXPECT_EQ(producer->GetTestProblem()->evaluated.size(), 16U);
  EXPECT_EQ(File("log.txt"), "0 : 2\nP1\n\n1 : 1\nP1'\n\n2 : 0\nP1''\n\n3 : -1\nP1'''\n\n");
  EXPECT_EQ(Row(Collected("online", 0)), "2.000000,1.000000,0.000000,-1.000000");
  EXPECT_EQ(Row(Collected("offline", 0)), "2.000000,1.000000,0.000000,-1.000000");
  EXPECT_EQ(Best(), "P1'''");
}

TEST_F(EvolutionarySystemTest, ASolvedGenerationIsLoggedButNotEvolved) {
  Build(5, 1, 2);  // P1 (fitness 2) solves the problem
  system->Run();
  EXPECT_EQ(producer->next.evolveCalls, 0);
  EXPECT_EQ(producer->GetTestProblem()->evaluated.size(), 4U);
  EXPECT_EQ(File("log.txt"), "0 : 2\nP1\n\n");

  Build(5, 1, 0);  // solved in generation 2
  system->Run();
  EXPECT_EQ(producer->next.evolveCalls, 2);
  EXPECT_EQ(File("log.txt"), "0 : 2\nP1\n\n1 : 1\nP1'\n\n2 : 0\nP1''\n\n");
}

TEST_F(EvolutionarySystemTest, BestSoFarKeepsTheOlderIndividualOnEqualFitness) {
  Build(2);
  producer->nextValue = [](double value) { return value; };
  system->Run();
  EXPECT_EQ(File("log.txt"), "0 : 2\nP1\n\n1 : 2\nP1'\n\n2 : 2\nP1''\n\n");
  EXPECT_EQ(Best(), "P1");
  EXPECT_EQ(Row(Collected("offline", 0)), "2.000000,2.000000,2.000000");
}

TEST_F(EvolutionarySystemTest, SaveBestWritesLogAndSaveThenForgetsTheBest) {
  Build(1);
  system->Run();
  system->SaveBest();
  EXPECT_EQ(system->GetBest(), nullptr);
  EXPECT_EQ(File("log.txt"), "0 : 2\nP1\n\n1 : 1\nP1'\n\n1 : P1'\n");
  EXPECT_EQ(File("save.txt"), "P1'\t0\n\n-----\n");
  system->SaveBest();  // nothing new to save
  EXPECT_EQ(File("save.txt"), "P1'\t0\n\n-----\n");
}

TEST_F(EvolutionarySystemTest, OneRunWritesNoEstimateAndNoStatistics) {
  Build(2, 1);
  system->RunIterations(1);
  producer.reset();  // closes the log files
  EXPECT_EQ(File("timer.txt"), "");
  for (const char* name : {"online-mean.txt", "online-sd.txt", "offline-mean.txt", "offline-sd.txt", "best.txt"}) {
    EXPECT_EQ(File(name), "") << name;
  }
}

TEST_F(EvolutionarySystemTest, TwoIdenticalRunsGiveZeroDeviation) {
  Build(2, 2);
  producer->nextValue = [](double value) { return value + 0.5; };  // the best keeps its fitness
  system->RunIterations(2);
  EXPECT_EQ(producer->initial.applyCalls, 2);
  EXPECT_EQ(Row(Collected("online", 1)), "2.000000,2.500000,3.000000");
  producer.reset();
  EXPECT_EQ(File("online-mean.txt"), "2,2.5,3");
  EXPECT_EQ(File("online-sd.txt"), "0,0,0");
  EXPECT_EQ(File("offline-mean.txt"), "2,2,2");
  EXPECT_EQ(File("offline-sd.txt"), "0,0,0");
  EXPECT_EQ(File("best.txt"), "2,2");
  std::string timer = File("timer.txt");  // one estimate, between the two runs
  EXPECT_EQ(timer.size(), 25U) << timer;
  EXPECT_EQ(timer.back(), '\n');
}

TEST_F(EvolutionarySystemTest, EachRunStartsUnsolvedAndAnEarlyStopCarriesItsLastValue) {
  Build(3, 2, 1);  // both runs are solved in generation 1
  system->RunIterations(2);
  EXPECT_EQ(producer->next.evolveCalls, 2);
  EXPECT_EQ(Row(Collected("online", 1)), "2.000000,1.000000");
  // The best-so-far individual outlives the first run, so the second run's
  // offline values are the first run's final best.
  EXPECT_EQ(Row(Collected("offline", 1)), "1.000000,1.000000");
  producer.reset();
  EXPECT_EQ(File("online-mean.txt"), "2,1,1,1");
  EXPECT_EQ(File("offline-mean.txt"), "1.5,1,1,1");
  EXPECT_EQ(File("offline-sd.txt"), "0.5,0,0,0");
  EXPECT_EQ(File("best.txt"), "1,1");
}

TEST_F(EvolutionarySystemTest, ExecuteSeedsThenRunsIterationNumRuns) {
  Build(1, 3);
  std::uint32_t firstDraw = 0;
  auto fill = producer->initial.apply;
  producer->initial.apply = [&](Population* population, int n) {
    if (producer->initial.applyCalls == 1) firstDraw = GetUtility()->NextWord();
    fill(population, n);
  };
  GetUtility()->Seed(99);
  system->Execute();
  EXPECT_EQ(producer->initial.applyCalls, 3);
  GetUtility()->Seed(7);
  EXPECT_EQ(firstDraw, GetUtility()->NextWord());
  producer.reset();
  EXPECT_EQ(File("best.txt"), "1,1,1");
}

// A program that ends right after the batch has its last run leave its
// members (the destructor releases them, checked by LeakSanitizer); the runs
// before it are tidied as always.
TEST_F(EvolutionarySystemTest, TheLastRunLeftStandingKeepsItsMembersUntilTheEnd) {
  Build(1, 2);
  system->SetLeaveLastRun(true);
  system->Execute();
  EXPECT_EQ(listener.endSize, 4);
  EXPECT_EQ(system->GetPopulation()->Size(), 4);
  const std::string log = File("log.txt");
  Build(1, 2);
  system->Execute();
  EXPECT_EQ(system->GetPopulation()->Size(), 0);
  EXPECT_EQ(File("log.txt"), log);  // the same logs either way
}

TEST_F(EvolutionarySystemTest, StepsKeepOnePopulationAndReleaseTheOldOne) {
  Build(3);
  Population* first = system->GetPopulation();
  system->Initialize();
  system->Evaluate();
  EXPECT_EQ(system->GetPopulation()->GetUnsorted(0)->GetChromosome()->ToString(), "P1");
  system->Evolve();
  EXPECT_NE(system->GetPopulation(), first);
  EXPECT_EQ(system->GetPopulation()->Size(), 4);
  EXPECT_EQ(system->GetProblem(), producer->GetProblem());
  EXPECT_EQ(system->GetProducer(), producer.get());
  // Destroying the system without Finish releases the members too
  // (checked by LeakSanitizer).
}

TEST_F(EvolutionarySystemTest, NoProblemIsReportedAtConstruction) {
  Build(1);
  producer->ForgetProblem();
  EXPECT_EXIT(EvolutionarySystem{producer.get()}, ExitedWithCode(1),
              "^" + ExactLine("Fatal error: Not initialized at TestProducer::GetProblem\n") + "$");
}

TEST_F(EvolutionarySystemTest, AStreamMissingFromTheLogSettingEndsTheRun) {
  DeleteLog();
  std::string files = WriteRunFiles(dir, "population_size 2\nmax_generation 0\niteration_num 1\n",
                                    "Test -1000\n", "save save.txt\n");
  producer = std::make_unique<TestProducer>(files);
  system = std::make_unique<EvolutionarySystem>(producer.get());
  EXPECT_EXIT(system->Run(), ExitedWithCode(1),
              "^" + ExactLine("log\nFatal error: Can not find  at Log::Create\n") + "$");
}
// Fitnesses 4, 2, 3, 5, then each child one less than its parent, solved at
// 1: both runs end in generation 1.
TEST_F(EvolutionarySystemTest, ObserversHearEachRunAndEachGenerationAsOneRecord) {
  Build(3, 2, 1);
  system->RunIterations(2);
  EXPECT_THAT(listener.heard, ElementsAre("start 1", "1:0", "1:1", "end 1 last 1 solved 1", "start 2", "2:0", "2:1",
                                          "end 2 last 1 solved 1"));
  ASSERT_EQ(listener.records.size(), 4U);
  const GenerationRecord& first = listener.records[0];
  EXPECT_EQ(first.best, 2.0);
  EXPECT_EQ(first.mean, 3.5);
  EXPECT_EQ(first.median, 3.5);
  EXPECT_EQ(first.worst, 5.0);
  EXPECT_DOUBLE_EQ(first.deviation, std::sqrt(1.25));
  EXPECT_EQ(first.bestSoFar, 2.0);
  EXPECT_EQ(first.evaluations, 4);
  EXPECT_EQ(first.remembered, 0);
  EXPECT_FALSE(first.solved);
  EXPECT_GE(first.seconds, 0.0);
  const GenerationRecord& solved = listener.records[1];
  EXPECT_EQ(solved.best, 1.0);
  EXPECT_EQ(solved.worst, 4.0);
  EXPECT_EQ(solved.median, 2.5);
  EXPECT_TRUE(solved.solved);
  // The best so far outlives its run.
  EXPECT_EQ(listener.records[2].best, 2.0);
  EXPECT_EQ(listener.records[2].bestSoFar, 1.0);
  EXPECT_EQ(listener.endSize, 4);
}

TEST_F(EvolutionarySystemTest, WithoutBatchLoggingOnlyTheObserversHear) {
  Build(1);
  system = std::make_unique<EvolutionarySystem>(producer.get(), EvolutionarySystem::Logging::None);
  listener.system = system.get();
  system->AddObserver(&listener);
  system->Run();
  EXPECT_EQ(listener.records.size(), 2U);
  EXPECT_EQ(File("log.txt"), "");
  EXPECT_EQ(Best(), "P1'");
}

// Generation 2 is cut short after its first member: the run ends with
// generation 1 as its population, and the batch ends with it, its statistics
// summarising the generations finished.
TEST_F(EvolutionarySystemTest, AStopWhileEvaluatingEndsTheRunWithItsLastFinishedGeneration) {
  Build(5, 3);
  producer->GetTestProblem()->onEvaluate = [this](const std::string& text) {
    if (text == "P1''") system->RequestStop();
  };
  system->Execute();
  EXPECT_EQ(producer->GetTestProblem()->evaluated.size(), 9U);
  EXPECT_THAT(listener.heard, ElementsAre("start 1", "1:0", "1:1", "end 1 last 1 solved -1 stopped"));
  EXPECT_THAT(listener.endFitnesses, ElementsAre(1.0, 2.0, 3.0, 4.0));
  EXPECT_EQ(listener.endRecordBest, 1.0);
  EXPECT_TRUE(system->WasStopped());
  EXPECT_EQ(system->GetLastFinishedGeneration(), 1);
  EXPECT_EQ(system->GetPopulation()->Size(), 0);  // Finish came after
  EXPECT_EQ(File("log.txt"), "0 : 2\nP1\n\n1 : 1\nP1'\n\n");
  EXPECT_EQ(producer->initial.applyCalls, 1);
  producer.reset();
  EXPECT_EQ(File("best.txt"), "1");
  EXPECT_EQ(File("online-mean.txt"), "2,1,1,1,1,1");
  EXPECT_EQ(File("offline-sd.txt"), "0,0,0,0,0,0");
}

// Stopped as run 2 starts, before any of its generations finished: the
// statistics are those of run 1 alone; stopped before anything finished,
// the batch writes none.
TEST_F(EvolutionarySystemTest, AStopBetweenRunsSummarisesTheRunsMade) {
  Build(1, 3);
  producer->GetTestProblem()->onEvaluate = [this](const std::string&) {
    if (producer->initial.applyCalls == 2) system->RequestStop();
  };
  system->Execute();
  EXPECT_THAT(listener.heard, ElementsAre("start 1", "1:0", "1:1", "end 1 last 1 solved -1", "start 2",
                                          "end 2 last -1 solved -1 stopped"));
  producer.reset();
  EXPECT_EQ(File("best.txt"), "1");
  EXPECT_EQ(File("online-mean.txt"), "2,1");

  Build(1, 3);
  system->RequestStop();
  system->Execute();
  producer.reset();
  EXPECT_EQ(File("best.txt"), "");
  EXPECT_EQ(File("online-mean.txt"), "");
}

// A scheme that does not look at the request breeds on; nothing of what it
// bred is evaluated.
TEST_F(EvolutionarySystemTest, AStopWhileBreedingLeavesTheNewGenerationUnevaluated) {
  Build(5);
  auto breed = producer->next.evolve;
  producer->next.evolve = [this, breed](Population* from, Population* to, int n) {
    breed(from, to, n);
    if (producer->next.evolveCalls == 2) system->RequestStop();
  };
  system->Run();
  EXPECT_EQ(producer->GetTestProblem()->evaluated.size(), 8U);
  EXPECT_THAT(listener.heard, ElementsAre("start 1", "1:0", "1:1", "end 1 last 1 solved -1 stopped"));
  EXPECT_THAT(listener.endFitnesses, ElementsAre(1.0, 2.0, 3.0, 4.0));
}

TEST_F(EvolutionarySystemTest, AStopBeforeTheRunEndsItBeforeItsFirstGeneration) {
  Build(5);
  system->RequestStop();
  system->Run();
  EXPECT_TRUE(producer->GetTestProblem()->evaluated.empty());
  EXPECT_THAT(listener.heard, ElementsAre("start 1", "end 1 last -1 solved -1 stopped"));
  EXPECT_EQ(listener.endSize, 0);
  EXPECT_EQ(system->GetBest(), nullptr);
  EXPECT_EQ(File("log.txt"), "");
}

// The input files of a real even-5-parity run of one iteration in dir, with
// the given int parameters (seed, generations, population, threads) besides
// the usual ones; returns the file list's path.
std::string WriteParityFiles(ScratchDir& dir, const std::string& intParameters) {
  dir.Write("table.txt", "1\tb0 b1 b2 b3 b4 \n1\tand2 or2 nand2 nor2 \n");
  std::string files = WriteRunFiles(
      dir, "initial_depth 6\nmax_depth 17\niteration_num 1\nelite_size 1\ntournament_size 7\n" + intParameters,
      "Parity bool 5\n");
  std::string parameters = ReadWholeFile(dir.File("parameter.txt"));
  dir.Write("parameter.txt", parameters.substr(0, parameters.find("-----\ndouble_parameter")) +
                                 "-----\ndouble_parameter\ncrossover_ratio 0.9\nmutation_ratio 0.05\n-----\n");
  return files;
}

// Real runs on one thread and on two, stopped from another thread at
// whatever point they have reached: each ends within moments, holding its
// last finished generation whole and sorted (or nothing, before the first),
// and leaks nothing (the sanitizer build checks).
TEST(EvolutionarySystemStopTest, RealRunsStopPromptlyWithTheirLastFinishedGeneration) {
  for (int threads : {1, 2}) {
    for (int delay : {0, 5, 40}) {
      ScratchDir dir;
      std::string files = WriteParityFiles(dir, "seed 3\nmax_generation 1000\npopulation_size 2000\nthreads " +
                                                    std::to_string(threads) + "\n");
      GPProducer producer(files);
      EvolutionarySystem system(&producer, EvolutionarySystem::Logging::None);
      Listener listener;
      listener.system = &system;
      system.AddObserver(&listener);
      std::chrono::steady_clock::time_point requested;
      std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        requested = std::chrono::steady_clock::now();
        system.RequestStop();
      });
      system.Run();
      auto ended = std::chrono::steady_clock::now();
      stopper.join();
      SCOPED_TRACE("threads " + std::to_string(threads) + ", delay " + std::to_string(delay));
      EXPECT_TRUE(system.WasStopped());
      EXPECT_LT(std::chrono::duration<double>(ended - requested).count(), 2.0);
      if (listener.records.empty()) {
        EXPECT_EQ(listener.endSize, 0);
        continue;
      }
      EXPECT_EQ(system.GetLastFinishedGeneration(), listener.records.back().generation);
      ASSERT_EQ(listener.endSize, 2000);
      EXPECT_EQ(listener.endFitnesses.front(), listener.endRecordBest);
      for (int i = 1; i < 2000; ++i) {
        EXPECT_LE(listener.endFitnesses[i - 1], listener.endFitnesses[i]);
      }
    }
  }
}

// A run whose thread count changes between generations (as a study lends it
// the cores of processes that are done) breeds and scores exactly as it
// does on one thread throughout: every generation's figures and the best
// program are the same.
TEST(EvolutionarySystemThreadsTest, ChangingTheThreadCountBetweenGenerationsChangesNothing) {
  class Changer : public GenerationObserver {
   public:
    void GenerationFinished(const GenerationRecord& record) override {
      lines.push_back(std::to_string(record.generation) + " " + std::to_string(record.best) + " " +
                      std::to_string(record.mean) + " " + std::to_string(record.meanSize) + " " +
                      std::to_string(record.evaluations) + " " + std::to_string(record.remembered));
      auto change = counts.find(record.generation);
      if (change != counts.end()) system->SetThreadCount(change->second);
    }
    EvolutionarySystem* system = nullptr;
    std::map<int, int> counts;
    std::vector<std::string> lines;
  };
  auto runWith = [](std::map<int, int> counts) {
    ScratchDir dir;
    std::string files = WriteParityFiles(dir, "seed 5\nmax_generation 12\npopulation_size 300\nthreads 1\n");
    GPProducer producer(files);
    EvolutionarySystem system(&producer, EvolutionarySystem::Logging::None);
    Changer changer;
    changer.system = &system;
    changer.counts = std::move(counts);
    system.AddObserver(&changer);
    system.Execute();
    changer.lines.push_back(system.GetBest()->GetChromosome()->ToString());
    return changer.lines;
  };
  std::vector<std::string> steady = runWith({});
  EXPECT_EQ(runWith({{0, 2}, {3, 3}, {6, 1}, {7, 2}, {11, 1}}), steady);
  EXPECT_EQ(runWith({{4, 2}}), steady);
}
}  // namespace
