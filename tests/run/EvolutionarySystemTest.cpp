#include "run/EvolutionarySystem.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/Log.h"
#include "engine/TestRun.h"
#include "foundation/Utility.h"

namespace {
using ::testing::ElementsAre;
using ::testing::ExitedWithCode;

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
}  // namespace
