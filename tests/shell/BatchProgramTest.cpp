// The batch program as users run it: in a working folder with input files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "shell/plot/GenerationTable.h"

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

void SetParameter(const std::string& folder, const std::string& key, int value) {
  std::string path = folder + "/input/parameter.txt";
  std::string parameters =
      std::regex_replace(ReadWholeFile(path), std::regex(key + "\t[0-9]+"), key + "\t" + std::to_string(value));
  std::ofstream(path) << parameters;
}

// A CSV file's records, the header first.
std::vector<std::vector<std::string>> ReadCsv(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> fields;
  int line = 0;
  while (ReadCsvRecord(in, fields, line)) records.push_back(fields);
  return records;
}

double Number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

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
  EXPECT_NE(help.out.find("generations 0 … max_generation"), std::string::npos);
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

const char* kGenerationsHeader =
    "run,generation,best,mean,median,worst,sd,best_so_far,best_size,best_depth,mean_size,mean_depth,evaluations,"
    "memory_hits,seconds";
const char* kRunsHeader = "run,seed,generations,best_fitness,solved_generation,best_size,best_depth,seconds,best_program";

// Three runs of even-3-parity: a row per generation logged, each run's rows
// numbered from 0, fitness that reads back to what log.txt holds, the best so
// far per run, and a runs table whose solved runs name the generation.
TEST(BatchTablesTest, ParityBatchWritesAGenerationRowPerLoggedGenerationAndARowPerRun) {
  ScratchDir dir;
  CopyExample("parity3", dir.Path());
  SetParameter(dir.Path(), "iteration_num", 3);
  SetParameter(dir.Path(), "max_generation", 30);
  SetParameter(dir.Path(), "population_size", 200);
  Result result = RunBatch(dir.Path());
  ASSERT_EQ(result.status, 0) << result.err;

  // log.txt: "g : fitness", the program, an empty line per generation, then
  // the final best.
  std::vector<double> logged;
  std::ifstream log(dir.File("log.txt"));
  std::string line;
  std::smatch match;
  while (std::getline(log, line)) {
    if (std::regex_match(line, match, std::regex("([0-9]+) : ([-0-9.e+]+)"))) logged.push_back(Number(match[2]));
  }
  auto generations = ReadCsv(dir.File("generations.csv"));
  ASSERT_FALSE(generations.empty());
  EXPECT_EQ(ReadWholeFile(dir.File("generations.csv")).substr(0, std::string(kGenerationsHeader).size() + 1),
            std::string(kGenerationsHeader) + "\n");
  ASSERT_EQ(generations.size(), logged.size() + 1);
  auto runs = ReadCsv(dir.File("runs.csv"));
  ASSERT_EQ(runs.size(), 4U);
  EXPECT_EQ(ReadWholeFile(dir.File("runs.csv")).substr(0, std::string(kRunsHeader).size() + 1),
            std::string(kRunsHeader) + "\n");

  int solved = 0;
  std::size_t row = 1;
  for (int run = 1; run <= 3; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    double bestSoFar = 1e300;
    int g = 0;
    for (; row < generations.size() && Number(generations[row][0]) == run; ++row, ++g) {
      const std::vector<std::string>& fields = generations[row];
      ASSERT_EQ(fields.size(), 15U);
      EXPECT_EQ(fields[1], std::to_string(g));
      EXPECT_EQ(Number(fields[2]), logged[row - 1]);
      EXPECT_LE(Number(fields[2]), Number(fields[3]));  // best <= mean <= worst
      EXPECT_LE(Number(fields[3]), Number(fields[5]));
      bestSoFar = std::min(bestSoFar, Number(fields[2]));
      EXPECT_EQ(Number(fields[7]), bestSoFar);
      EXPECT_GE(Number(fields[8]), 1.0);
      EXPECT_LE(Number(fields[12]) + Number(fields[13]), 200.0);  // evaluated or remembered
      if (g == 0) {
        EXPECT_GT(Number(fields[12]), 0.0);
      }
      EXPECT_GE(Number(fields[14]), 0.0);
    }
    ASSERT_GT(g, 0);
    const std::vector<std::string>& summary = runs[static_cast<std::size_t>(run)];
    ASSERT_EQ(summary.size(), 9U);
    EXPECT_EQ(summary[0], std::to_string(run));
    EXPECT_EQ(summary[1], "10");  // the batch's seed
    EXPECT_EQ(summary[2], std::to_string(g));
    EXPECT_EQ(Number(summary[3]), bestSoFar);
    if (bestSoFar == 0.0) {
      ++solved;
      EXPECT_EQ(summary[4], std::to_string(g - 1));
    } else {
      EXPECT_EQ(summary[4], "");
      EXPECT_EQ(g, 31);
    }
    EXPECT_NE(summary[8], "");
  }
  EXPECT_EQ(row, generations.size());
  EXPECT_GT(solved, 0);
}

// Numbers in the tables read back exactly: the best program's fitness on a
// real-valued problem is not a short decimal.
TEST(BatchTablesTest, RealValuedFitnessReadsBackExactlyAndAGARowHasTheStringLengthAndDepthZero) {
  ScratchDir dir;
  CopyExample("rastrigin10", dir.Path());
  SetParameter(dir.Path(), "max_generation", 4);
  SetParameter(dir.Path(), "iteration_num", 1);
  ASSERT_EQ(RunBatch(dir.Path()).status, 0);
  auto generations = ReadCsv(dir.File("generations.csv"));
  ASSERT_EQ(generations.size(), 6U);  // header and generations 0..4
  auto runs = ReadCsv(dir.File("runs.csv"));
  ASSERT_EQ(runs.size(), 2U);
  for (std::size_t i = 1; i < generations.size(); ++i) {
    EXPECT_EQ(generations[i][9], "0");                 // best_depth
    EXPECT_EQ(generations[i][11], "0");                // mean_depth
    EXPECT_EQ(generations[i][8], generations[i][10]);  // every string as long
    EXPECT_EQ(generations[i][8], std::to_string(runs[1][8].size()));  // the best's length
  }
  // best_fitness of run 1 is the least best of its rows, written in 17 digits.
  double least = 1e300;
  for (std::size_t i = 1; i < generations.size(); ++i) {
    if (generations[i][0] == "1") least = std::min(least, Number(generations[i][2]));
  }
  EXPECT_EQ(Number(runs[1][3]), least);
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", least);
  EXPECT_EQ(runs[1][3], text);
  EXPECT_EQ(runs[1][6], "0");
  EXPECT_TRUE(std::regex_match(runs[1][8], std::regex("[01]+")));
}

// A log setting of an earlier release (no table streams) runs as before:
// no report, no table file, the same logs.
TEST(BatchTablesTest, ALogSettingWithoutTheTablesWritesNone) {
  ScratchDir with;
  ScratchDir without;
  CopyExample("mux6", with.Path());
  CopyExample("mux6", without.Path());
  std::string setting = ReadWholeFile(without.File("input/log_setting.txt"));
  setting = std::regex_replace(setting, std::regex("(generations|runs) [a-z]+\\.csv\\n"), "");
  ASSERT_EQ(setting.find(".csv"), std::string::npos);
  without.Write("input/log_setting.txt", setting);
  Result a = RunBatch(with.Path());
  Result b = RunBatch(without.Path());
  ASSERT_EQ(b.status, 0);
  EXPECT_EQ(b.err, "");
  EXPECT_EQ(b.out, a.out);
  EXPECT_FALSE(fs::exists(without.File("generations.csv")));
  EXPECT_FALSE(fs::exists(without.File("runs.csv")));
  EXPECT_EQ(Logs(without.Path()), Logs(with.Path()));
  EXPECT_NE(ReadWholeFile(with.File("runs.csv")), "");
}

// Starts the batch program in folder, waits until generations.csv holds rows
// (the header and `rows` more; at most a minute), sends the signal and waits
// for the program to end.
Result InterruptBatch(const std::string& folder, const char* signal, int rows) {
  std::string script = "cd '" + folder + "' && { '" MORVANE2_BATCH "' >.stdout 2>.stderr & pid=$!; " +
                       "for i in $(seq 6000); do [ \"$(wc -l <generations.csv 2>/dev/null || echo 0)\" -gt " +
                       std::to_string(rows) + " ] && break; sleep 0.01; done; kill -" + signal +
                       " $pid; wait $pid; echo $? >.status; }";
  std::system(("bash -c \"" + std::regex_replace(script, std::regex("([\"$])"), "\\$1") + "\"").c_str());
  Result result{std::atoi(ReadWholeFile(folder + "/.status").c_str()), ReadWholeFile(folder + "/.stdout"),
                ReadWholeFile(folder + "/.stderr")};
  return result;
}

// Long runs of the 11-multiplexer, interrupted after a few generations: the
// program ends promptly with the signal's status, and what it wrote covers
// every generation finished and no other, as a completed batch would.
TEST(BatchInterruptionTest, SigintAndSigtermEndTheBatchWithCompleteLogsOfTheFinishedGenerations) {
  for (auto [signal, status] : {std::pair<const char*, int>{"INT", 130}, std::pair<const char*, int>{"TERM", 143}}) {
    SCOPED_TRACE(signal);
    ScratchDir dir;
    CopyExample("mux11", dir.Path());
    SetParameter(dir.Path(), "iteration_num", 4);
    SetParameter(dir.Path(), "max_generation", 1000);
    SetParameter(dir.Path(), "population_size", 3000);
    Result result = InterruptBatch(dir.Path(), signal, 3);
    ASSERT_EQ(result.status, status) << result.err;

    auto generations = ReadCsv(dir.File("generations.csv"));
    ASSERT_GE(generations.size(), 4U);
    const std::vector<std::string>& last = generations.back();
    EXPECT_EQ(result.err, "Interrupted after run " + last[0] + ", generation " + last[1] + "\n");
    // Every generation row has its log entry, then comes the best so far.
    std::string log = ReadWholeFile(dir.File("log.txt"));
    std::size_t entries = 0;
    for (std::size_t at = 0; (at = log.find(" : ", at)) != std::string::npos; ++at) ++entries;
    EXPECT_EQ(entries, generations.size());  // one per row, plus the final best's line
    EXPECT_NE(log.find("\n\n" + last[1] + " : "), std::string::npos);
    std::string save = ReadWholeFile(dir.File("save.txt"));
    ASSERT_GT(save.size(), 6U);
    EXPECT_EQ(save.substr(save.size() - 6), "-----\n");
    // A row for each run, the interrupted one with the generations it finished.
    auto runs = ReadCsv(dir.File("runs.csv"));
    ASSERT_EQ(runs.size(), static_cast<std::size_t>(std::stoi(last[0])) + 1);
    EXPECT_EQ(runs.back()[2], std::to_string(std::stoi(last[1]) + 1));
    // The statistics of the runs made: one best per run, a value per
    // generation of the batch's limit.
    std::string best = ReadWholeFile(dir.File("best.txt"));
    EXPECT_EQ(std::count(best.begin(), best.end(), ',') + 1, std::stoi(last[0])) << best;
    std::string mean = ReadWholeFile(dir.File("online-mean.txt"));
    EXPECT_EQ(std::count(mean.begin(), mean.end(), ','), 1000);
  }
}

// A log that can not be written is reported after the first generation, not
// at the end of the batch.
TEST(BatchInterruptionTest, ALogOnAFullDeviceIsReportedAfterTheFirstGeneration) {
  ScratchDir dir;
  CopyExample("santafe", dir.Path());
  SetParameter(dir.Path(), "max_generation", 20);
  fs::create_symlink("/dev/full", dir.File("full.txt"));
  std::string setting = ReadWholeFile(dir.File("input/log_setting.txt"));
  dir.Write("input/log_setting.txt", std::regex_replace(setting, std::regex("\nlog log.txt\n"), "\nlog full.txt\n"));
  Result result = RunBatch(dir.Path());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "Fatal error: Can not write log file ./full.txt: No space left on device at Log::CheckWritten\n");
  EXPECT_EQ(ReadCsv(dir.File("generations.csv")).size(), 2U);  // the header and generation 0
}

// A robot problem's log setting without orbit is refused before generation 0:
// the tables hold nothing, not even their header.
TEST(BatchInterruptionTest, AMissingOrbitStreamIsReportedBeforeTheFirstGeneration) {
  ScratchDir dir;
  CopyExample("santafe", dir.Path());
  std::string setting = ReadWholeFile(dir.File("input/log_setting.txt"));
  dir.Write("input/log_setting.txt", std::regex_replace(setting, std::regex("orbit orbit.txt\n"), ""));
  Result result = RunBatch(dir.Path());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "orbit\nFatal error: Can not find  at Log::Create\n");
  EXPECT_EQ(ReadWholeFile(dir.File("generations.csv")), "");
  EXPECT_EQ(ReadWholeFile(dir.File("log.txt")), "");
}

// On a terminal the batch ends with a short summary; elsewhere with nothing
// (EveryExampleRunsAndRepeatsByteForByte checks standard error is empty).
TEST(BatchProgramTest, OnATerminalTheBatchEndsWithASummary) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script command";
  ScratchDir dir;
  CopyExample("parity3", dir.Path());
  SetParameter(dir.Path(), "population_size", 200);
  SetParameter(dir.Path(), "max_generation", 30);
  std::string screen = dir.File("screen.txt");
  std::string command = "cd '" + dir.Path() + "' && script -qec '" MORVANE2_BATCH "' /dev/null >'" + screen +
                        "' 2>&1 </dev/null";
  int raw = std::system(command.c_str());
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 0);
  std::string text = ReadWholeFile(screen);
  auto runs = ReadCsv(dir.File("runs.csv"));
  ASSERT_EQ(runs.size(), 3U);
  int solved = (runs[1][4].empty() ? 0 : 1) + (runs[2][4].empty() ? 0 : 1);
  EXPECT_NE(text.find("   \r\nRuns done: 2 of 2, solved: " + std::to_string(solved) + "\r\n"), std::string::npos)
      << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("\r\nBest fitness: [-0-9.e+]+ \\(run [12]\\)\r\n"))) << text;
  EXPECT_NE(text.find("\r\nLogs: ./log.txt ./save.txt ./orbit.txt ./timer.txt"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\nTables: ./generations.csv ./runs.csv\r\n"), std::string::npos) << text;
}
}  // namespace
