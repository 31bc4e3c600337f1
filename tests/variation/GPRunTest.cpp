// The GP producer and its generation schemes on a real problem (even
// 3-parity), and whole seeded runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "TestSupport.h"
#include "config/Log.h"
#include "engine/Individual.h"
#include "engine/Population.h"
#include "engine/Problem.h"
#include "foundation/Utility.h"
#include "run/EvolutionarySystem.h"
#include "run/GPProducer.h"
#include "variation/GPEvolution.h"
#include "variation/GenerationSplit.h"

namespace {
using ::testing::ExitedWithCode;

const char* kStreams =
    "log log.txt\nsave save.txt\ntimer timer.txt\nonline-mean online-mean.txt\nonline-sd online-sd.txt\n"
    "offline-mean offline-mean.txt\noffline-sd offline-sd.txt\nbest best.txt\n";

// Writes a parity run's input files into dir and returns the file list's path.
std::string ParityFiles(const ScratchDir& dir, const std::string& ints, const std::string& doubles,
                        const std::string& table = "1\tb0 b1 b2 \n1\tand2 or2 nand2 nor2 \n") {
  dir.Write("files.txt", "log_setting " + dir.File("log.set") + "\nparameter " + dir.File("parameter.txt") +
                             "\nproblem " + dir.File("problem.txt") + "\ntable " + dir.File("table.txt") + "\n");
  dir.Write("log.set", "a " + dir.Path() + "/ b\n" + kStreams);
  dir.Write("parameter.txt", "----- int_parameter\n" + ints + "-----\ndouble_parameter\n" + doubles);
  dir.Write("problem.txt", "Parity bool 3\n");
  dir.Write("table.txt", table);
  return dir.File("files.txt");
}

const char* kInts =
    "initial_depth 4\nmax_depth 8\nseed 3\niteration_num 1\nmax_generation 6\npopulation_size 40\n"
    "elite_size 1\ntournament_size 3\n";
const char* kRatios = "crossover_ratio 0.8\nmutation_ratio 0.1\n";

TEST(GPRunTest, ObjectsAreBuiltOnceAndReused) {
  ScratchDir dir;
  GPProducer producer(ParityFiles(dir, kInts, kRatios));
  EXPECT_EQ(producer.GetComparator(), producer.GetComparator());
  EXPECT_EQ(producer.GetSorter(), producer.GetSorter());
  EXPECT_EQ(producer.GetGPSymbolRegister(), producer.GetGPSymbolRegister());
  EXPECT_EQ(producer.GetInitialEvolution(), producer.GetInitialEvolution());
  Evolution* evolution = producer.GetEvolution();
  EXPECT_EQ(producer.GetEvolution(), evolution);
  EXPECT_NE(dynamic_cast<GPWithMutationEvolution*>(evolution), nullptr);
  EXPECT_NE(dynamic_cast<GPGenerationEvolution*>(producer.GetInitialEvolution()), nullptr);
}

TEST(GPRunDeathTest, MissingSchemeParametersAreReportedAtFirstUse) {
  ScratchDir dir;
  std::string ints = "initial_depth 4\nmax_depth 8\nseed 3\niteration_num 1\nmax_generation 6\npopulation_size 40\n"
                     "elite_size 1\n";
  std::string files = ParityFiles(dir, ints, kRatios);
  GPProducer producer(files);  // no tournament_size: construction is fine
  producer.GetInitialEvolution();
  EXPECT_EXIT(producer.GetEvolution(), ExitedWithCode(1),
              "^" + ExactLine("tournament_size\nFatal error: Can not find  at IntRegister::Create\n") + "$");
}

TEST(GPRunDeathTest, MissingTableAndTooDeepLimitsAreReported) {
  ScratchDir dir;
  std::string files = ParityFiles(dir, kInts, kRatios);
  std::remove(dir.File("table.txt").c_str());
  GPProducer producer(files);
  EXPECT_EXIT(producer.GetInitialEvolution(), ExitedWithCode(1),
              "^" + ExactLine("Warning: Node-set table ") + "/[^ ]*/" +
                  ExactLine("table.txt can not be opened: No such file or directory at "
                            "GPProducer::GetGPSymbolRegister\n"
                            "Fatal error: Can not open file at GPProducer::GetGPSymbolRegister\n") +
                  "$");
  ScratchDir deep;
  std::string text = "initial_depth 100000\n" + std::string(kInts);
  GPProducer deepProducer(ParityFiles(deep, text, kRatios));
  EXPECT_EXIT(deepProducer.GetInitialEvolution(), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: initial_depth is 100000, more than the greatest depth 1000 at "
                              "GPProducer::GetInitialEvolution\n") + "$");
}

TEST(GPRunTest, GenerationSplitOfTheSchemes) {
  GenerationSplit split = GenerationSplit::Of(100, 1, 0.9, 0.05);
  EXPECT_EQ(split.elite, 1);
  EXPECT_EQ(split.crossover, 89);
  EXPECT_EQ(split.mutation, 4);
  EXPECT_EQ(split.rest, 6);
  GenerationSplit allReproduction = GenerationSplit::Of(10, 0, 0.0, 0.0);
  EXPECT_EQ(allReproduction.rest, 10);
  GenerationSplit odd = GenerationSplit::Of(10, 1, 1.0, 0.0);
  EXPECT_EQ(odd.crossover, 9);
  EXPECT_EQ(odd.rest, 0);
  GenerationSplit negative = GenerationSplit::Of(10, 0, -0.5, 0.0);
  EXPECT_EQ(negative.rest, 15);
  GenerationSplit huge = GenerationSplit::Of(10, 0, 1e12, 0.0);
  EXPECT_GT(huge.rest, 10);  // overflows the population instead of leaving it short
}

// One Evolve of a seeded, evaluated first generation with the given ratios.
void EvolveOnce(const std::string& ints, const std::string& ratios, int* size = nullptr) {
  ScratchDir dir;
  GPProducer producer(ParityFiles(dir, ints, ratios));
  EvolutionarySystem system(&producer);
  GetUtility()->Seed(producer.GetSeed());
  system.Initialize();
  system.Evaluate();
  system.Evolve();
  if (size != nullptr) *size = system.GetPopulation()->Size();
  system.Finish();
}

TEST(GPRunTest, EveryGenerationIsFullWhateverTheSplit) {
  for (const char* ratios : {"crossover_ratio 0.8\nmutation_ratio 0.1\n", "crossover_ratio 1\nmutation_ratio 0\n",
                             "crossover_ratio 0\nmutation_ratio 0\n", "crossover_ratio 0.5\nmutation_ratio 0.5\n"}) {
    int size = 0;
    EvolveOnce(kInts, ratios, &size);
    EXPECT_EQ(size, 40) << ratios;
  }
}

TEST(GPRunDeathTest, RatiosOverOneOverflowThePopulation) {
  EXPECT_EXIT(EvolveOnce(kInts, "crossover_ratio 0.6\nmutation_ratio 0.6\n"), ExitedWithCode(1),
              "^" + ExactLine("Capacity 40 is full  at IndividualArray::Add\n") + "$");
  std::string bigElite = std::string("elite_size 41\n") + kInts;
  EXPECT_EXIT(EvolveOnce(bigElite, kRatios), ExitedWithCode(1),
              "^" + ExactLine("Array index 40 is over size 40 at IndividualArray::Get\n") + "$");
}

// The old generation is destroyed by each Evolve, so the elite must be copies
// (the sanitizer build would catch a shared program); the best never worsens.
TEST(GPRunTest, EliteCopiesAreIndependentAndKeepTheBest) {
  ScratchDir dir;
  GPProducer producer(ParityFiles(dir, kInts, kRatios));
  EvolutionarySystem system(&producer);
  GetUtility()->Seed(9U);
  system.Initialize();
  system.Evaluate();
  double best = dynamic_cast<DoubleTypeFitnessIndividual*>(system.GetPopulation()->Get(0))->GetFitness();
  for (int g = 0; g < 5; ++g) {
    system.Evolve();
    system.Evaluate();
    double now = dynamic_cast<DoubleTypeFitnessIndividual*>(system.GetPopulation()->Get(0))->GetFitness();
    EXPECT_LE(now, best);
    best = now;
  }
  system.Finish();
}

std::string RunLog(std::uint32_t seed) {
  ScratchDir dir;
  std::string ints = "initial_depth 4\nmax_depth 8\nseed " + std::to_string(seed) +
                     "\niteration_num 3\nmax_generation 5\npopulation_size 30\nelite_size 1\ntournament_size 3\n";
  std::string files = ParityFiles(dir, ints, kRatios);
  {
    GPProducer producer(files);
    EvolutionarySystem system(&producer);
    system.Execute();
    if (system.GetBest() != nullptr) system.SaveBest();
  }
  std::string all;
  for (const char* name : {"log.txt", "save.txt", "online-mean.txt", "online-sd.txt", "offline-mean.txt",
                           "offline-sd.txt", "best.txt"}) {
    all += std::string("== ") + name + "\n" + ReadWholeFile(dir.File(name));
  }
  return all;
}

TEST(GPRunTest, SameSeedSameLogsAndTheLoggedBestNeverWorsens) {
  std::string first = RunLog(17U);
  EXPECT_EQ(first, RunLog(17U));
  EXPECT_NE(first, RunLog(18U));
  // Per run, the generation lines "g : fitness" never rise with an elite.
  std::istringstream lines(first.substr(0, first.find("== save.txt")));
  std::string line;
  double previous = 1e300;
  while (std::getline(lines, line)) {
    std::size_t colon = line.find(" : ");
    if (colon == std::string::npos) continue;
    std::string right = line.substr(colon + 3);
    char* end = nullptr;
    double fitness = std::strtod(right.c_str(), &end);
    if (*end != '\0') continue;  // the saved best: "fitness : program"
    int generation = std::stoi(line.substr(0, colon));
    if (generation == 0) previous = 1e300;
    EXPECT_LE(fitness, previous) << line;
    previous = fitness;
  }
}
// With a stop requested, the GP schemes add nothing: neither the first
// generation's nor any part of a next generation's.
TEST(GPRunTest, SchemesAddNothingOnceAStopIsRequested) {
  ScratchDir dir;
  GPProducer producer(ParityFiles(dir, kInts, kRatios));
  std::unique_ptr<Population> from(producer.CreatePopulation());
  std::unique_ptr<Population> to(producer.CreatePopulation());
  producer.GetInitialEvolution()->Apply(from.get(), 40);
  for (int i = 0; i < 40; ++i) producer.GetProblem()->FitnessFunction(from->GetUnsorted(i));
  StopRequest stop;
  stop.Request();
  for (Evolution* scheme : {producer.GetInitialEvolution(), producer.GetEvolution()}) {
    scheme->WatchStop(&stop);
    scheme->Evolve(from.get(), to.get(), 40);
    scheme->WatchStop(nullptr);
    EXPECT_EQ(to->Size(), 0);
  }
  producer.GetEvolution()->Evolve(from.get(), to.get(), 40);
  EXPECT_EQ(to->Size(), 40);
  from->DeleteAll();
  to->DeleteAll();
}
}  // namespace
