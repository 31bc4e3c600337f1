#include "run/GAProducer.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "TestSupport.h"
#include "config/Log.h"
#include "engine/Population.h"
#include "problems/MultiVariate.h"
#include "run/EvolutionarySystem.h"
#include "run/ProblemRegister.h"
#include "variation/GAEvolution.h"
#include "variation/GATestRun.h"

namespace {
using ::testing::ExitedWithCode;

std::string Report(const std::string& lines) { return "^" + ExactLine(lines) + "$"; }

const char* const kParameters =
    "population_size 8\nmax_generation 3\niteration_num 1\nseed 9\ntournament_size 2\nelite_size 1\n";

const char* const kRastrigin10 =
    "MultiVariate\n10 10\nRastrigin\n0.01\n-5.12 -5.12 -5.12 -5.12 -5.12 -5.12 -5.12 -5.12 -5.12 -5.12\n";

TEST(GAProducerTest, BuildsItsSchemesOnceFromTheProblemAndTheParameters) {
  ScratchDir dir;
  DeleteLog();
  GAProducer producer(WriteGARunFiles(dir, "MultiVariate 3 4 Ackley 0.5\n", kParameters));
  EXPECT_EQ(producer.GetGeneCount(), 12);
  EXPECT_EQ(producer.GetMultiVariate(), producer.GetProblem());
  EXPECT_EQ(producer.GetSorter(), producer.GetSorter());
  EXPECT_EQ(producer.GetComparator(), producer.GetComparator());
  auto* initial = dynamic_cast<GAGenerationEvolution*>(producer.GetInitialEvolution());
  ASSERT_NE(initial, nullptr);
  EXPECT_EQ(initial->GetLength(), 12);
  EXPECT_EQ(producer.GetInitialEvolution(), initial);
  auto* next = dynamic_cast<GAWithMutationEvolution*>(producer.GetEvolution());
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(producer.GetEvolution(), next);
  EXPECT_EQ(next->GetEliteSize(), 1);
  EXPECT_EQ(next->CrossoverCount(8), 6);  // trunc(7 * 0.9)
  EXPECT_EQ(next->MutationCount(8), 0);   // trunc(7 * 0.05)

  std::unique_ptr<Population> population(producer.CreatePopulation());
  initial->Apply(population.get(), 8);
  EXPECT_EQ(population->Size(), 8);
  for (int i = 0; i < 8; ++i) {
    std::string genes = population->GetUnsorted(i)->GetChromosome()->ToString();
    EXPECT_EQ(genes.size(), 12u);
    EXPECT_EQ(genes.find_first_not_of("01"), std::string::npos);
  }
  population->DeleteAll();
}

TEST(GAProducerTest, TheProblemFileDecidesWhichProducerABatchBuilds) {
  ScratchDir dir;
  std::string files = WriteGARunFiles(dir, "  MultiVariate 2 2 Rastrigin 1\n", kParameters);
  EXPECT_TRUE(IsGAProblemFile(files));
  dir.Write("problem.txt", "Regression Rastrigin 0 10 101\n");
  EXPECT_FALSE(IsGAProblemFile(files));
  dir.Write("problem.txt", "MultiVariate2 2 2 Rastrigin 1\n");
  EXPECT_FALSE(IsGAProblemFile(files));
  dir.Write("problem.txt", "");
  EXPECT_FALSE(IsGAProblemFile(files));
  EXPECT_FALSE(IsGAProblemFile(dir.File("missing.txt")));
  dir.Write("files.txt", "parameter " + dir.File("parameter.txt") + "\n");
  EXPECT_FALSE(IsGAProblemFile(files));

  std::istringstream regression("Regression Rastrigin 0 10 101");
  ProblemRegister problems(20);
  EXPECT_FALSE(IsGAProblem(problems.Create(regression)));
  std::istringstream bits("MultiVariate 1 1 Rastrigin 1");
  EXPECT_TRUE(IsGAProblem(problems.Create(bits)));
}

TEST(GAProducerDeathTest, OnlyTheBitStringProblemAndItsParametersWhenNeeded) {
  ScratchDir dir;
  DeleteLog();
  std::string regression = WriteGARunFiles(dir, "Regression Rastrigin 0 10 101\n", kParameters);
  EXPECT_EXIT(GAProducer producer(regression), ExitedWithCode(1),
              Report("Fatal error: Not a bit-string problem at GAProducer::GAProducer\n"));

  DeleteLog();
  GAProducer producer(WriteGARunFiles(dir, "MultiVariate 2 2 Rastrigin 1\n",
                                      "population_size 8\nmax_generation 3\niteration_num 1\nelite_size 1\n"));
  producer.GetInitialEvolution();
  EXPECT_EXIT(producer.GetEvolution(), ExitedWithCode(1),
              Report("tournament_size\nFatal error: Can not find  at IntRegister::Create\n"));
}

// A seeded batch on Rastrigin in 10 variables of 10 bits over [-5.12, 5.11].
class GARunTest : public ::testing::Test {
 protected:
  std::string RunBatch(const std::string& seed, int iterations) {
    system.reset();
    producer.reset();
    DeleteLog();
    producer = std::make_unique<GAProducer>(
        WriteGARunFiles(dir, kRastrigin10,
                        "population_size 40\nmax_generation 25\niteration_num " + std::to_string(iterations) +
                            "\nseed " + seed + "\ntournament_size 3\nelite_size 1\n",
                        "crossover_ratio 0.8\nmutation_ratio 0.1\n"));
    system = std::make_unique<EvolutionarySystem>(producer.get());
    system->Execute();
    GetLog()->FlushAll();
    return ReadWholeFile(dir.File("log.txt")) + "|" + ReadWholeFile(dir.File("best.txt")) + "|" +
           ReadWholeFile(dir.File("online-mean.txt"));
  }
  ~GARunTest() override {
    system.reset();
    producer.reset();
  }
  DoubleArray* Collected(const std::string& name, int run) {
    return producer->GetIndividualLogCollectorsRegister()->Get(name)->Get(run)->GetValues();
  }

  ScratchDir dir;
  std::unique_ptr<GAProducer> producer;
  std::unique_ptr<EvolutionarySystem> system;
};

TEST_F(GARunTest, ASeededRunImprovesItsBestFitness) {
  std::string log = RunBatch("12345", 1);
  DoubleArray* online = Collected("online", 0);
  DoubleArray* offline = Collected("offline", 0);
  ASSERT_EQ(online->Size(), 26);
  ASSERT_EQ(offline->Size(), 26);
  EXPECT_LT(offline->Get(25), offline->Get(0));
  // The elite keeps the best: the generations' best never gets worse.
  for (int g = 1; g < 26; ++g) EXPECT_LE(online->Get(g), online->Get(g - 1)) << g;
  EXPECT_EQ(log.substr(0, 4), "0 : ");
  EXPECT_NE(log.find("25 : "), std::string::npos);
  std::string firstBest = log.substr(log.find('\n') + 1, 100);
  EXPECT_EQ(firstBest.find_first_not_of("01"), std::string::npos);
}

TEST_F(GARunTest, TheSameSeedRepeatsTheRunExactly) {
  std::string first = RunBatch("77", 2);
  std::string second = RunBatch("77", 2);
  EXPECT_EQ(first, second);
  EXPECT_NE(first.find("|"), std::string::npos);
  std::string other = RunBatch("78", 2);
  EXPECT_NE(first, other);
}
}  // namespace
