// The batch program as users run it: in a working folder with input files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>

#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {
struct Result {
  int status;
  std::string out;
  std::string err;
};

// Runs the batch program in folder with the given arguments.
Result RunBatch(const std::string& folder, const std::string& arguments = "") {
  std::string out = folder + "/.stdout";
  std::string err = folder + "/.stderr";
  std::string command = "cd '" + folder + "' && '" MORVANE2_BATCH "' " + arguments + " >'" + out + "' 2>'" + err + "'";
  int raw = std::system(command.c_str());
  Result result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWholeFile(out), ReadWholeFile(err)};
  fs::remove(out);
  fs::remove(err);
  return result;
}

// Copies an example's input folder into folder, shortened to a quick run.
void CopyExample(const std::string& name, const std::string& folder) {
  fs::copy(fs::path(MORVANE2_SOURCE_DIR) / "examples" / name / "input", fs::path(folder) / "input",
           fs::copy_options::recursive);
  std::string parameters = ReadWholeFile(folder + "/input/parameter.txt");
  parameters = std::regex_replace(parameters, std::regex("max_generation\t[0-9]+"), "max_generation\t3");
  parameters = std::regex_replace(parameters, std::regex("population_size\t[0-9]+"), "population_size\t24");
  parameters = std::regex_replace(parameters, std::regex("iteration_num\t[0-9]+"), "iteration_num\t2");
  std::FILE* file = std::fopen((folder + "/input/parameter.txt").c_str(), "w");
  std::fputs(parameters.c_str(), file);
  std::fclose(file);
}

std::string Logs(const std::string& folder) {
  std::string all;
  for (const char* name : {"log.txt", "save.txt", "orbit.txt", "online-mean.txt", "online-sd.txt",
                           "offline-mean.txt", "offline-sd.txt", "best.txt"}) {
    all += std::string("== ") + name + "\n" + ReadWholeFile(folder + "/" + name);
  }
  return all;
}

TEST(BatchProgramTest, HelpAndUsage) {
  ScratchDir dir;
  Result help = RunBatch(dir.Path(), "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: morvane2-batch [FILE-LIST]"), std::string::npos);
  EXPECT_NE(help.out.find("log_setting"), std::string::npos);
  Result wrong = RunBatch(dir.Path(), "a b");
  EXPECT_EQ(wrong.status, 1);
  EXPECT_NE(wrong.err.find("Usage:"), std::string::npos);
}

// On a terminal the progress line shows, and a report made while it is open
// starts on a line of its own (the terminal is a pseudo-terminal made by
// util-linux's script).
TEST(BatchProgramTest, OnATerminalAReportFollowsTheProgressLineOnItsOwnLine) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script command";
  ScratchDir dir;
  CopyExample("mux6", dir.Path());
  std::string parameters = ReadWholeFile(dir.File("input/parameter.txt"));
  parameters = std::regex_replace(parameters, std::regex("tournament_size\t[0-9]+"), "tournament_size\t0");
  dir.Write("input/parameter.txt", parameters);
  std::string screen = dir.File("screen.txt");
  std::string command = "cd '" + dir.Path() + "' && script -qec '" MORVANE2_BATCH "' /dev/null >'" + screen +
                        "' 2>&1 </dev/null";
  int raw = std::system(command.c_str());
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
  std::string text = ReadWholeFile(screen);
  EXPECT_NE(text.find("run 1 of 2, generation 0 of 3"), std::string::npos) << text;
  EXPECT_NE(text.find("   \r\nArray index 24 is over size 24 at IndividualArray::Get\r\n"), std::string::npos)
      << text;
}

TEST(BatchProgramTest, MissingFileListIsNamedThenReportedWithStatusOne) {
  ScratchDir dir;
  Result result = RunBatch(dir.Path());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            "Warning: File list input/files.txt can not be opened: No such file or directory at Producer::ReadFile\n"
            "Fatal error: Can not open file at Producer::ReadFile\n");
  EXPECT_EQ(result.out, "");
}

TEST(BatchProgramTest, EveryExampleRunsAndRepeatsByteForByte) {
  for (const auto& entry : fs::directory_iterator(fs::path(MORVANE2_SOURCE_DIR) / "examples")) {
    std::string name = entry.path().filename().string();
    ScratchDir first;
    ScratchDir second;
    CopyExample(name, first.Path());
    CopyExample(name, second.Path());
    Result a = RunBatch(first.Path());
    Result b = RunBatch(second.Path());
    ASSERT_EQ(a.status, 0) << name << ": " << a.err;
    ASSERT_EQ(b.status, 0) << name;
    EXPECT_EQ(a.err, "") << name;  // no progress line when stderr is not a terminal
    EXPECT_EQ(Logs(first.Path()), Logs(second.Path())) << name;
    std::string log = ReadWholeFile(first.Path() + "/log.txt");
    EXPECT_EQ(log.rfind("0 : ", 0), 0U) << name;
    EXPECT_NE(ReadWholeFile(first.Path() + "/best.txt"), "") << name;
    EXPECT_EQ(ReadWholeFile(first.Path() + "/save.txt").find("-----\n") + 6,
              ReadWholeFile(first.Path() + "/save.txt").size())
        << name;
  }
}

TEST(BatchProgramTest, OrbitHoldsTheBestRobotsPath) {
  ScratchDir dir;
  CopyExample("boxmoving", dir.Path());
  ASSERT_EQ(RunBatch(dir.Path()).status, 0);
  std::string orbit = ReadWholeFile(dir.Path() + "/orbit.txt");
  std::string number = "-?[0-9]+\\.[0-9]{6}";
  std::string robot = "\\{" + number + "," + number + "\\}";
  std::string box = "\\{" + number + "," + number + "," + number + "\\}";
  std::regex form("\\{\\{(" + robot + "(," + robot + ")*)?\\},\n\\{(" + box + "(," + box + ")*)?\\}\\}\n");
  EXPECT_TRUE(std::regex_match(orbit, form)) << orbit.substr(0, 200);

  ScratchDir ant;
  CopyExample("santafe", ant.Path());
  ASSERT_EQ(RunBatch(ant.Path()).status, 0);
  std::regex antForm("\\{(\\{[0-9]+,[0-9]+\\}(,\\{[0-9]+,[0-9]+\\})*)?\\}\n");
  EXPECT_TRUE(std::regex_match(ReadWholeFile(ant.Path() + "/orbit.txt"), antForm));
}
}  // namespace
