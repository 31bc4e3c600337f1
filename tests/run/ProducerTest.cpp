#include "run/Producer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "config/Log.h"
#include "engine/TestRun.h"
#include "run/ParameterKeys.h"

namespace {
using ::testing::ExitedWithCode;

const char* const kParameters = "population_size 6\nmax_generation 9\niteration_num 3\nseed 42\n";

std::string Report(const std::string& lines) { return "^" + ExactLine(lines) + "$"; }

TEST(ProducerTest, ReadsEveryInputFile) {
  ScratchDir dir;
  DeleteLog();
  TestProducer producer(WriteRunFiles(dir, kParameters, "Test\n\n  2.5\n"));
  EXPECT_EQ(producer.GetPopulationSize(), 6);
  EXPECT_EQ(producer.GetMaxGeneration(), 9);
  EXPECT_EQ(producer.GetIterationNum(), 3);
  EXPECT_EQ(producer.GetSeed(), 42);
  EXPECT_EQ(producer.GetDoubleParameter("crossover_ratio"), 0.5);
  EXPECT_EQ(producer.GetIntParameter("population_size"), 6);
  EXPECT_EQ(producer.GetFileName("table"), dir.File("table.txt"));
  EXPECT_EQ(producer.GetTestProblem()->solvedAt, 2.5);
  EXPECT_EQ(GetLog()->Exists("best"), 1);
  IndividualLogCollectorsRegister* collectors = producer.GetIndividualLogCollectorsRegister();
  EXPECT_EQ(collectors->GetIterationCount(), 3);
  EXPECT_EQ(collectors->GetGenerationCount(), 9);
}

TEST(ProducerTest, CreatePopulationMakesANewPopulationOfThePopulationSize) {
  ScratchDir dir;
  DeleteLog();
  TestProducer producer(WriteRunFiles(dir, kParameters));
  std::unique_ptr<Population> a(producer.CreatePopulation());
  std::unique_ptr<Population> b(producer.CreatePopulation());
  EXPECT_NE(a.get(), b.get());
  for (int i = 0; i < 6; ++i) a->Add(MakeIndividual("x" + std::to_string(i), 6 - i));
  EXPECT_EQ(a->Get(0)->GetChromosome()->ToString(), "x5");  // sorted with the producer's sorter
  EXPECT_EXIT(a->Add(nullptr), ExitedWithCode(1), Report("Capacity 6 is full  at IndividualArray::Add\n"));
  a->DeleteAll();
}

TEST(ProducerTest, SeedIsLookedUpOnlyWhenAskedFor) {
  ScratchDir dir;
  DeleteLog();
  TestProducer producer(WriteRunFiles(dir, "population_size 6\nmax_generation 9\niteration_num 3\n"));
  EXPECT_EXIT(producer.GetSeed(), ExitedWithCode(1),
              Report("seed\nFatal error: Can not find  at IntRegister::Create\n"));
}

TEST(ProducerTest, RebuildingAProducerTruncatesTheLogFiles) {
  ScratchDir dir;
  DeleteLog();
  std::string files = WriteRunFiles(dir, kParameters);
  {
    TestProducer producer(files);
    *GetLog()->Get("log") << "first run" << std::endl;
  }
  EXPECT_EQ(ReadWholeFile(dir.File("log.txt")), "first run\n");
  EXPECT_EQ(GetLog()->Count(), 0);  // the old producer took the log with it
  TestProducer producer(files);
  EXPECT_EQ(ReadWholeFile(dir.File("log.txt")), "");
  EXPECT_EQ(GetLog()->Exists("log"), 1);
}

// A missing input file is named, with the system's reason, on a warning line
// just before its report.
std::string MissingFileReport(const std::string& role, const std::string& name, const std::string& method,
                              const std::string& after) {
  // The scratch folder of a death test's child differs from the parent's.
  return "^" + ExactLine("Warning: " + role + " ") + "/[^ ]*/" +
         ExactLine(name + " can not be opened: No such file or directory at Producer::" + method + "\n" + after) +
         "$";
}

TEST(ProducerDeathTest, MissingInputFilesAreNamedThenReported) {
  ScratchDir dir;
  DeleteLog();
  EXPECT_EXIT(TestProducer{dir.File("no-files.txt")}, ExitedWithCode(1),
              MissingFileReport("File list", "no-files.txt", "ReadFile",
                                "Fatal error: Can not open file at Producer::ReadFile\n"));

  std::string files = WriteRunFiles(dir, kParameters);
  std::filesystem::remove(dir.File("log_setting.txt"));
  EXPECT_EXIT(TestProducer{files}, ExitedWithCode(1),
              MissingFileReport("Log setting", "log_setting.txt", "Readfile",
                                "Fatal error: Can not open file at Producer::Readfile\n"));

  files = WriteRunFiles(dir, kParameters);
  std::filesystem::remove(dir.File("parameter.txt"));
  EXPECT_EXIT(TestProducer{files}, ExitedWithCode(1),
              MissingFileReport("Parameter file", "parameter.txt", "ReadFile",
                                "population_size\nFatal error: Can not find  at IntRegister::Create\n"));

  files = WriteRunFiles(dir, kParameters);
  std::filesystem::remove(dir.File("problem.txt"));
  EXPECT_EXIT(TestProducer{files}, ExitedWithCode(1),
              MissingFileReport("Problem file", "problem.txt", "ReadFile",
                                "Fatal error: Can not open file at Producer::ReadFile\n"));
}

// Keys no run reads are named, with the nearest known key when one is close;
// the run goes on. So does a thread count above the greatest.
TEST(ProducerTest, UnknownKeysAndTooManyThreadsAreWarnedAbout) {
  ScratchDir dir;
  DeleteLog();
  std::string files = WriteRunFiles(dir, std::string(kParameters) + "populaton_size 9\nmutation_ratio 1\nthreads 300\nzzz 1\n");
  testing::internal::CaptureStderr();
  {
    TestProducer producer(files);
    EXPECT_EQ(producer.GetPopulationSize(), 6);
    EXPECT_EQ(producer.GetThreadCount(), Producer::kMaxThreads);
  }
  std::string path = dir.File("parameter.txt");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Warning: Parameter file " + path +
                ": unknown key populaton_size; did you mean population_size? at Producer::ReadFile\n"
                "Warning: Parameter file " + path +
                ": mutation_ratio belongs in the double_parameter section; here it is not read at "
                "Producer::ReadFile\n"
                "Warning: Parameter file " + path + ": unknown key zzz at Producer::ReadFile\n"
                "Warning: Parameter threads in " + path + " is 300; at most 256 threads are used at "
                "Producer::Producer\n");
  EXPECT_EQ(NearestKnownKey("tournamentsize"), "tournament_size");
  EXPECT_EQ(NearestKnownKey("seeds"), "seed");
  EXPECT_EQ(NearestKnownKey("generations"), "");
}

TEST(ProducerDeathTest, MissingKeysAreReported) {
  ScratchDir dir;
  DeleteLog();
  std::string files = WriteRunFiles(dir, "population_size 6\nmax_generation 9\n");
  EXPECT_EXIT(TestProducer{files}, ExitedWithCode(1),
              Report("iteration_num\nFatal error: Can not find  at IntRegister::Create\n"));

  files = WriteRunFiles(dir, kParameters);
  dir.Write("files.txt", "log_setting " + dir.File("log_setting.txt") + "\nproblem " + dir.File("problem.txt") + "\n");
  EXPECT_EXIT(TestProducer{files}, ExitedWithCode(1),
              Report("parameter\nFatal error: Can not find  at StringRegister::Create\n"));
}

// Sizes that cannot make a run (or would only run out of memory) are named
// with the parameter file and the accepted range, before anything runs.
TEST(ProducerDeathTest, RunSizesOutsideTheirRangesAreReported) {
  ScratchDir dir;
  DeleteLog();
  auto report = [](const std::string& key, const std::string& value, const std::string& range) {
    return "^" + ExactLine("Fatal error: Parameter " + key + " in ") + "[^\n]*/" +
           ExactLine("parameter.txt is " + value + "; expected " + range + " at Producer::Producer\n") + "$";
  };
  EXPECT_EXIT(TestProducer{WriteRunFiles(dir, "population_size 0\nmax_generation 9\niteration_num 3\n")},
              ExitedWithCode(1), report("population_size", "0", "1 to 1000000"));
  EXPECT_EXIT(TestProducer{WriteRunFiles(dir, "population_size -6\nmax_generation 9\niteration_num 3\n")},
              ExitedWithCode(1), report("population_size", "-6", "1 to 1000000"));
  EXPECT_EXIT(TestProducer{WriteRunFiles(dir, "population_size 2000000000\nmax_generation 9\niteration_num 3\n")},
              ExitedWithCode(1), report("population_size", "2000000000", "1 to 1000000"));
  EXPECT_EXIT(TestProducer{WriteRunFiles(dir, "population_size 6\nmax_generation -1\niteration_num 3\n")},
              ExitedWithCode(1), report("max_generation", "-1", "0 to 1000000"));
  EXPECT_EXIT(TestProducer{WriteRunFiles(dir, "population_size 6\nmax_generation 2147483647\niteration_num 3\n")},
              ExitedWithCode(1), report("max_generation", "2147483647", "0 to 1000000"));
  EXPECT_EXIT(TestProducer{WriteRunFiles(dir, "population_size 6\nmax_generation 9\niteration_num -1\n")},
              ExitedWithCode(1), report("iteration_num", "-1", "0 to 100000"));

  TestProducer largest(WriteRunFiles(dir, "population_size 1000000\nmax_generation 0\niteration_num 0\n"));
  EXPECT_EQ(largest.GetPopulationSize(), Producer::kMaxPopulationSize);
  EXPECT_EQ(largest.GetMaxGeneration(), 0);
}

// A parameter file read only in part says so before the missing key's report.
TEST(ProducerDeathTest, AParameterFileReadInPartIsNamed) {
  ScratchDir dir;
  DeleteLog();
  std::string files = WriteRunFiles(dir, "population_size 6\nmax_generation 9x\niteration_num three\n");
  EXPECT_EXIT(TestProducer{files}, ExitedWithCode(1),
              "^" + ExactLine("Warning: Parameter file ") + "[^\n]*/" +
                  ExactLine("parameter.txt: x needs an integer from -2147483648 to 2147483647, not iteration_num; the rest of the file is not "
                            "read at Producer::ReadFile\n"
                            "iteration_num\nFatal error: Can not find  at IntRegister::Create\n") +
                  "$");
}

TEST(ProducerDeathTest, AProblemFileNamingNoProblemIsReported) {
  ScratchDir dir;
  DeleteLog();
  std::string files = WriteRunFiles(dir, kParameters, "Tests 1\n");
  EXPECT_EXIT(TestProducer{files}, ExitedWithCode(1),
              Report("Fatal error: Problem can not be created : Tests at ProblemRegister::Create\n"));
}

TEST(ProducerDeathTest, GetProblemWithoutAProblemIsReported) {
  ScratchDir dir;
  DeleteLog();
  TestProducer producer(WriteRunFiles(dir, kParameters));
  producer.ForgetProblem();
  EXPECT_EXIT(producer.GetProblem(), ExitedWithCode(1),
              Report("Fatal error: Not initialized at TestProducer::GetProblem\n"));
}
}  // namespace
