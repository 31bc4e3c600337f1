// A batch resumed from a checkpoint goes on as the batch never stopped did:
// the same generations with the same fitnesses, the same counts of
// evaluations and of fitnesses the memory gave, the same logs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "config/Log.h"
#include "engine/GenerationObserver.h"
#include "engine/GenerationRecord.h"
#include "run/Checkpoint.h"
#include "run/EvolutionarySystem.h"
#include "run/ProducerFactory.h"

namespace fs = std::filesystem;

namespace {
// Notes each generation; at one of them, takes a checkpoint's text.
class Recorder : public GenerationObserver {
 public:
  void GenerationFinished(const GenerationRecord& record) override {
    lines.push_back(std::to_string(record.run) + ":" + std::to_string(record.generation) + " best " +
                    std::to_string(record.best) + " mean " + std::to_string(record.mean) + " evaluated " +
                    std::to_string(record.evaluations) + " remembered " + std::to_string(record.remembered));
    std::vector<CheckpointData::LogFile> read;
    lengths.Take(read);
    std::vector<CheckpointData::LogFile> byPath = TakeMoment(system).data.logs;
    bool same = read.size() == byPath.size() && !read.empty();
    for (std::size_t i = 0; same && i < read.size(); ++i) {
      same = read[i].path == byPath[i].path && read[i].length == byPath[i].length;
    }
    if (!same) ++lengthsWrong;
    if (record.run == checkpointRun && record.generation == checkpointGeneration) {
      checkpoint = FormatCheckpoint(CaptureCheckpoint(system, TakeMoment(system), "input/files.txt", {}));
      atCheckpoint = lines.size();
    }
  }
  EvolutionarySystem* system = nullptr;
  // Log lengths read from the open files at every generation, and how many
  // differed from the files' lengths found by their paths.
  LogLengths lengths;
  int lengthsWrong = 0;
  int checkpointRun = -1;
  int checkpointGeneration = -1;
  std::string checkpoint;
  std::size_t atCheckpoint = 0;
  std::vector<std::string> lines;
};

class CheckpointResumeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home = fs::current_path();
    fs::copy(fs::path(MORVANE2_SOURCE_DIR) / "examples" / "regression-f2" / "input", fs::path(dir.Path()) / "input",
             fs::copy_options::recursive);
    std::string parameters = ReadWholeFile(dir.File("input/parameter.txt"));
    parameters = std::regex_replace(parameters, std::regex("max_generation\t[0-9]+"), "max_generation\t6");
    parameters = std::regex_replace(parameters, std::regex("population_size\t[0-9]+"), "population_size\t80");
    parameters = std::regex_replace(parameters, std::regex("iteration_num\t[0-9]+"), "iteration_num\t2");
    parameters = std::regex_replace(parameters, std::regex("----- int_parameter\n"), "----- int_parameter\nthreads\t1\n");
    dir.Write("input/parameter.txt", parameters);
    fs::current_path(dir.Path());
  }
  void TearDown() override {
    GetLog()->SetAppending(false);
    fs::current_path(home);
  }

  // A whole batch, or one resumed from checkpoint; the logs it leaves.
  std::string Batch(Recorder& recorder, const std::string& checkpoint = std::string()) {
    if (!checkpoint.empty()) GetLog()->SetAppending(true);
    std::unique_ptr<Producer> producer = CreateProducer("input/files.txt");
    GetLog()->SetAppending(false);
    {
      EvolutionarySystem system(producer.get());
      recorder.system = &system;
      system.AddObserver(&recorder);
      if (checkpoint.empty()) {
        system.Execute();
      } else {
        CheckpointData data;
        std::string error;
        EXPECT_TRUE(ParseCheckpoint(checkpoint, data, error)) << error;
        ResumeBatch(data, "checkpoint.txt", &system);
      }
      system.SaveBest();
    }
    producer.reset();
    std::string logs;
    for (const char* name : {"log.txt", "save.txt", "online-mean.txt", "online-sd.txt", "offline-mean.txt",
                             "offline-sd.txt", "best.txt"}) {
      logs += std::string("== ") + name + "\n" + ReadWholeFile(name);
    }
    return logs;
  }

  fs::path home;
  ScratchDir dir;
};

TEST_F(CheckpointResumeTest, GoesOnExactlyFromAnyGeneration) {
  Recorder whole;
  std::string logs = Batch(whole);
  ASSERT_EQ(whole.lines.size(), 14U);
  EXPECT_EQ(whole.lengthsWrong, 0);
  // The memory gave some fitnesses: the counts after a resumption test it.
  EXPECT_EQ(whole.lines[3].find(" remembered 0"), std::string::npos) << whole.lines[3];
  for (int run : {1, 2}) {
    for (int generation : {0, 3, 6}) {
      SCOPED_TRACE(std::to_string(run) + ":" + std::to_string(generation));
      Recorder first;
      first.checkpointRun = run;
      first.checkpointGeneration = generation;
      Batch(first);
      ASSERT_FALSE(first.checkpoint.empty());
      Recorder resumed;
      EXPECT_EQ(Batch(resumed, first.checkpoint), logs);
      // Also after the logs were cut back to the checkpoint's lengths.
      EXPECT_EQ(resumed.lengthsWrong, 0);
      std::vector<std::string> rest(whole.lines.begin() + static_cast<long>(first.atCheckpoint), whole.lines.end());
      EXPECT_EQ(resumed.lines, rest);
    }
  }
}
}  // namespace
