// The study of the MPI program without MPI: units made in capture mode and
// handed to the study out of order give the serial batch's files; a failed
// run skips its folder; a result survives its message.
#include "shell/mpi/Study.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>

#include "TestSupport.h"
#include "config/Log.h"
#include "run/BatchStreams.h"
#include "run/ProducerFactory.h"
#include "run/RobotEvolutionarySystem.h"
#include "shell/mpi/RunUnit.h"
#include "shell/mpi/UnitMessage.h"

namespace {
namespace fs = std::filesystem;

// A copy of an example at folder with the int parameters given set (added at
// the top of the int section where missing).
void MakeFolder(const std::string& folder, const std::string& example,
                const std::map<std::string, std::string>& parameters) {
  fs::copy(std::string(MORVANE2_SOURCE_DIR) + "/examples/" + example, folder, fs::copy_options::recursive);
  std::string path = folder + "/input/parameter.txt";
  std::string text = ReadWholeFile(path);
  for (const auto& [key, value] : parameters) {
    std::regex line("(^|\n)" + key + "[ \t][^\n]*");
    if (std::regex_search(text, line)) {
      text = std::regex_replace(text, line, "$1" + key + "\t" + value);
    } else {
      text = std::regex_replace(text, std::regex("int_parameter\n"), "int_parameter\n" + key + "\t" + value + "\n",
                                std::regex_constants::format_first_only);
    }
  }
  std::ofstream(path) << text;
}

// Runs in a folder and comes back.
class InFolder {
 public:
  explicit InFolder(const std::string& folder) : back(fs::current_path()) { fs::current_path(folder); }
  ~InFolder() { fs::current_path(back); }

 private:
  fs::path back;
};

void SerialBatch(const std::string& folder) {
  InFolder in(folder);
  SetLogCapture(false);
  std::unique_ptr<Producer> producer = CreateProducer("input/files.txt");
  CheckBatchStreams(producer.get());
  {
    RobotEvolutionarySystem system(producer.get());
    system.Execute();
    if (system.GetBest() != nullptr) system.SaveBest();
    GetLog()->CheckWritten();
  }
  producer.reset();
}

UnitResult Unit(const std::string& folder, int index, int run) {
  InFolder in(folder);
  return RunUnit("input/files.txt", index, run, {});
}

class StudyTest : public ::testing::Test {
 protected:
  // Prepare enters each folder in turn.
  void Prepare(Study* study) {
    InFolder in(dir.Path());
    study->Prepare();
  }
  std::string Folder(const std::string& name) { return dir.Path() + "/" + name; }
  ScratchDir dir;
};

TEST_F(StudyTest, RunsTakenOutOfOrderAreWrittenAsTheSerialBatchWritesThem) {
  const std::map<std::string, std::string> parameters = {
      {"iteration_num", "4"}, {"max_generation", "5"}, {"population_size", "80"}, {"run_seeding", "1"}};
  MakeFolder(Folder("serial"), "santafe", parameters);
  MakeFolder(Folder("study"), "santafe", parameters);
  SerialBatch(Folder("serial"));

  testing::internal::CaptureStderr();
  Study study({"study"}, {Folder("study")}, "input/files.txt");
  Prepare(&study);
  ASSERT_EQ(study.Units().size(), 4u);
  EXPECT_EQ(study.RunsTotal(), 4);
  std::vector<UnitResult> results;
  for (int run = 0; run < 4; ++run) results.push_back(Unit(Folder("study"), 0, run));
  study.Accept(std::move(results[3]));
  study.Accept(std::move(results[1]));
  // Nothing can be written before run 0.
  EXPECT_EQ(ReadWholeFile(Folder("study") + "/log.txt"), "");
  EXPECT_EQ(study.RunsDone(), 0);
  study.Accept(std::move(results[0]));
  EXPECT_EQ(study.RunsDone(), 2);
  study.Accept(std::move(results[2]));
  EXPECT_EQ(study.RunsDone(), 4);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_FALSE(study.AnyFailed());

  for (const char* name : {"log.txt", "save.txt", "orbit.txt", "online-mean.txt", "online-sd.txt",
                           "offline-mean.txt", "offline-sd.txt", "best.txt"}) {
    EXPECT_EQ(ReadWholeFile(Folder("study") + "/" + name), ReadWholeFile(Folder("serial") + "/" + name)) << name;
  }
  // A line between each two runs.
  std::string timer = ReadWholeFile(Folder("study") + "/timer.txt");
  EXPECT_EQ(std::count(timer.begin(), timer.end(), '\n'), 3);
}

TEST_F(StudyTest, AFailedRunSkipsItsFolderAndOnlyIt) {
  const std::map<std::string, std::string> parameters = {
      {"iteration_num", "3"}, {"max_generation", "2"}, {"population_size", "40"}, {"run_seeding", "1"}};
  MakeFolder(Folder("a"), "parity3", parameters);
  MakeFolder(Folder("b"), "parity3", parameters);
  MakeFolder(Folder("serial"), "parity3", parameters);
  SerialBatch(Folder("serial"));

  testing::internal::CaptureStderr();
  Study study({"a", "b"}, {Folder("a"), Folder("b")}, "input/files.txt");
  Prepare(&study);
  ASSERT_EQ(study.Units().size(), 6u);
  UnitResult failed = Unit(Folder("a"), 0, 1);
  failed.failed = true;
  failed.report = "Fatal error: Out of memory at Exception::New";
  study.Accept(std::move(failed));
  study.Accept(Unit(Folder("a"), 0, 0));
  EXPECT_FALSE(study.Wanted(study.Units()[2]));
  EXPECT_TRUE(study.Wanted(study.Units()[3]));
  study.Accept(Unit(Folder("a"), 0, 2));
  for (int run = 0; run < 3; ++run) study.Accept(Unit(Folder("b"), 1, run));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "a: Fatal error: Out of memory at Exception::New\n");
  EXPECT_TRUE(study.AnyFailed());
  EXPECT_EQ(ReadWholeFile(Folder("a") + "/best.txt"), "");
  EXPECT_EQ(ReadWholeFile(Folder("b") + "/log.txt"), ReadWholeFile(Folder("serial") + "/log.txt"));
  EXPECT_EQ(ReadWholeFile(Folder("b") + "/best.txt"), ReadWholeFile(Folder("serial") + "/best.txt"));
}

TEST(UnitMessageTest, AResultSurvivesItsBytesAndCutBytesAreRefused) {
  UnitResult result;
  result.folder = 2;
  result.run = 7;
  result.failed = true;
  result.report = "Fatal error: x at Y::Z";
  result.diagnostics = "Warning: w\n";
  result.destinations = {"cout", "./log.txt"};
  result.text = {"", std::string("a\0b\n", 4)};
  result.online = {1.5, -0.0};
  result.runBest = {2.25};
  result.bestText = {"x", "y"};
  std::string bytes = EncodeResult(result);
  UnitResult back;
  ASSERT_TRUE(DecodeResult(bytes, &back));
  EXPECT_EQ(back.folder, 2);
  EXPECT_EQ(back.run, 7);
  EXPECT_TRUE(back.failed);
  EXPECT_EQ(back.report, result.report);
  EXPECT_EQ(back.diagnostics, result.diagnostics);
  EXPECT_EQ(back.destinations, result.destinations);
  EXPECT_EQ(back.text, result.text);
  EXPECT_EQ(back.online, result.online);
  EXPECT_EQ(back.runBest, result.runBest);
  EXPECT_EQ(back.bestText, result.bestText);
  for (std::size_t cut : {std::size_t{0}, std::size_t{5}, bytes.size() - 1}) {
    UnitResult partial;
    EXPECT_FALSE(DecodeResult(bytes.substr(0, cut), &partial)) << cut;
  }
  EXPECT_FALSE(DecodeResult(bytes + "x", &back));
}
}  // namespace
