// The batch program's checkpoints: what it writes, how it resumes, and the
// checkpoints it refuses without touching a file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <string>

#include "TestSupport.h"
#include "run/CheckpointText.h"

namespace fs = std::filesystem;

namespace {
struct Result {
  int status;
  std::string err;
};

Result RunBatch(const std::string& folder, const std::string& arguments = "") {
  std::string err = folder + "/.stderr";
  std::string command = "cd '" + folder + "' && '" MORVANE2_BATCH "' " + arguments + " >/dev/null 2>'" + err + "'";
  int raw = std::system(command.c_str());
  Result result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWholeFile(err)};
  fs::remove(err);
  return result;
}

// The last line of a report.
std::string LastLine(const std::string& text) {
  std::string trimmed = text;
  while (!trimmed.empty() && trimmed.back() == '\n') trimmed.pop_back();
  std::size_t at = trimmed.rfind('\n');
  return at == std::string::npos ? trimmed : trimmed.substr(at + 1);
}

// Every file of the folder but the inputs, by name, with its bytes.
std::map<std::string, std::string> Files(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (name == "input" || name == "timer.txt") continue;
    files[name] = ReadWholeFile(entry.path().string());
  }
  return files;
}

class CheckpointProgramTest : public ::testing::Test {
 protected:
  // An example shortened to 2 runs of generations 0..3, with checkpoints
  // after every second generation.
  void Prepare(const std::string& example, const std::string& every = "2") {
    fs::copy(fs::path(MORVANE2_SOURCE_DIR) / "examples" / example / "input", fs::path(dir.Path()) / "input",
             fs::copy_options::recursive);
    std::string parameters = ReadWholeFile(dir.File("input/parameter.txt"));
    parameters = std::regex_replace(parameters, std::regex("max_generation\t[0-9]+"), "max_generation\t3");
    parameters = std::regex_replace(parameters, std::regex("population_size\t[0-9]+"), "population_size\t30");
    parameters = std::regex_replace(parameters, std::regex("iteration_num\t[0-9]+"), "iteration_num\t2");
    if (!every.empty()) {
      parameters = std::regex_replace(parameters, std::regex("----- int_parameter\n"),
                                      "----- int_parameter\ncheckpoint_every\t" + every + "\n");
    }
    dir.Write("input/parameter.txt", parameters);
  }
  // A whole batch, then the state just before a resumption from its last
  // checkpoint: the files as the batch left them.
  std::map<std::string, std::string> Complete() {
    Result first = RunBatch(dir.Path());
    EXPECT_EQ(first.status, 0) << first.err;
    return Files(dir.Path());
  }
  // A refused resumption: exit 1, the report as the last line, and not one
  // file changed.
  void ExpectRefused(const std::string& report, const std::string& arguments = "--resume") {
    std::map<std::string, std::string> before = Files(dir.Path());
    Result resumed = RunBatch(dir.Path(), arguments);
    EXPECT_EQ(resumed.status, 1);
    EXPECT_EQ(LastLine(resumed.err), report);
    EXPECT_EQ(Files(dir.Path()), before);
  }
  void Edit(const std::string& name, const std::string& from, const std::string& to) {
    std::string text = ReadWholeFile(dir.File(name));
    std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    dir.Write(name, text);
  }

  ScratchDir dir;
};

TEST_F(CheckpointProgramTest, WithoutTheParameterNoCheckpointIsWritten) {
  Prepare("mux6", "");
  Complete();
  EXPECT_FALSE(fs::exists(dir.File("checkpoint.txt")));
  fs::remove_all(dir.File("input"));
  Prepare("mux6", "-1");
  Result refused = RunBatch(dir.Path());
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(LastLine(refused.err),
            "Fatal error: Parameter checkpoint_every in input/parameter.txt is -1; expected 0 or more at "
            "GPProducer::Producer");
}

// A checkpoint that cannot be written ends the batch with a report, never
// silently.
TEST_F(CheckpointProgramTest, ACheckpointThatCannotBeWrittenIsReported) {
  Prepare("parity3", "1");
  fs::create_directory(dir.File("checkpoint.txt.tmp"));
  Result result = RunBatch(dir.Path());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(LastLine(result.err),
            "Fatal error: Can not write checkpoint checkpoint.txt.tmp: Is a directory at Checkpoint::Write");
  EXPECT_FALSE(fs::exists(dir.File("checkpoint.txt")));
}

// Resuming from the last checkpoint of a finished batch (taken at its last
// generation) does its end again: the logs come out the same, the second
// run's generations are not written twice, and neither are the statistics.
TEST_F(CheckpointProgramTest, ResumingAFinishedBatchWritesTheSameLogs) {
  for (const char* example : {"santafe", "rastrigin10"}) {
    SCOPED_TRACE(example);
    fs::remove_all(dir.Path());
    fs::create_directories(dir.Path());
    Prepare(example);
    std::map<std::string, std::string> whole = Complete();
    std::string checkpoint = ReadWholeFile(dir.File("checkpoint.txt"));
    EXPECT_NE(checkpoint.find("\nposition 2 3 -1 0\n"), std::string::npos);
    Result resumed = RunBatch(dir.Path(), "--resume");
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(Files(dir.Path()), whole);
    // Twice over, and with the file list named.
    resumed = RunBatch(dir.Path(), "--resume input/files.txt");
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(Files(dir.Path()), whole);
    // A log the checkpoint records empty may go missing (it is not synced to
    // disk): resuming makes it again.
    std::smatch empty;
    ASSERT_TRUE(std::regex_search(checkpoint, empty, std::regex("\nlog 0 \\./([^\n]+)\n")));
    fs::remove(dir.File(empty[1].str()));
    resumed = RunBatch(dir.Path(), "--resume");
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(Files(dir.Path()), whole);
  }
}

TEST_F(CheckpointProgramTest, BadCheckpointsAreRefusedBeforeAnyFileChanges) {
  Prepare("regression-f2");
  Complete();
  std::string good = ReadWholeFile(dir.File("checkpoint.txt"));

  fs::remove(dir.File("checkpoint.txt"));
  ExpectRefused("Fatal error: Can not read checkpoint checkpoint.txt: No such file or directory at Checkpoint::Read");

  dir.Write("checkpoint.txt", good.substr(0, good.find("\nlogs ") + 1));
  ExpectRefused(
      "Fatal error: Checkpoint checkpoint.txt line 91: expected \"logs <count>\", found the end of the file (the "
      "checkpoint is cut short) at Checkpoint::Read");

  dir.Write("checkpoint.txt", "morvane2 checkpoint 7\n" + good.substr(good.find('\n') + 1));
  ExpectRefused(
      "Fatal error: Checkpoint checkpoint.txt line 1: expected \"morvane2 checkpoint 2\", found version 7, which "
      "this program does not read at Checkpoint::Read");

  // A word of the random generator changed: still in form, but not what
  // was written.
  std::string corrupt = good;
  char& digit = corrupt[corrupt.find("\nwords ") + 7];
  digit = digit == '0' ? '1' : '0';
  dir.Write("checkpoint.txt", corrupt);
  Result refused = RunBatch(dir.Path(), "--resume");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(LastLine(refused.err).find("(the checkpoint is corrupt) at Checkpoint::Read"), std::string::npos)
      << refused.err;

  dir.Write("checkpoint.txt", good);
  fs::copy_file(dir.File("input/files.txt"), dir.File("input/other.txt"));
  ExpectRefused(
      "Fatal error: Checkpoint checkpoint.txt line 2: expected the file list input/other.txt, found "
      "input/files.txt (the checkpoint is of another batch) at Checkpoint::Read",
      "--resume input/other.txt");
}

// A checkpoint sound in form whose individuals do not fit the problem (a
// well-made checkpoint of other inputs given these inputs' checksums) is
// refused before a log file changes.
TEST_F(CheckpointProgramTest, IndividualsThatDoNotFitAreRefused) {
  for (const char* example : {"mux6", "rastrigin10"}) {
    SCOPED_TRACE(example);
    fs::remove_all(dir.Path());
    fs::create_directories(dir.Path());
    Prepare(example);
    Complete();
    CheckpointData data;
    std::string error;
    ASSERT_TRUE(ParseCheckpoint(ReadWholeFile(dir.File("checkpoint.txt")), data, error)) << error;
    std::string& genome = data.population[1].genome;
    std::string expected;
    if (data.population[1].bits) {
      genome += "0";
      expected = "expected " + std::to_string(genome.size() - 1) + " bits, found " + std::to_string(genome.size());
    } else {
      genome = "Nope\t0\n" + genome.substr(genome.find('\n') + 1);
      expected = "expected an operator of the node set, found \"Nope\" of arity 0";
    }
    dir.Write("checkpoint.txt", FormatCheckpoint(data));
    // The member's line, counted in the file as written.
    std::string text = ReadWholeFile(dir.File("checkpoint.txt"));
    std::size_t at = text.find("\nmember ");
    at = text.find("\nmember ", at + 1);
    int line = 2;
    for (std::size_t i = 0; i < at; ++i) line += text[i] == '\n' ? 1 : 0;
    if (!data.population[1].bits) ++line;
    ExpectRefused("Fatal error: Checkpoint checkpoint.txt line " + std::to_string(line) + ": " + expected +
                  " at Checkpoint::Resume");
  }
}

TEST_F(CheckpointProgramTest, AChangedInputOrAShortLogIsRefused) {
  Prepare("parity3", "1");
  Complete();
  Edit("input/parameter.txt", "seed", "seed\t1\n#seed");
  ExpectRefused(
      "Fatal error: Input file input/parameter.txt has changed since the checkpoint was written (line 6) at "
      "Checkpoint::Read");
  Edit("input/parameter.txt", "seed\t1\n#seed", "seed");

  Edit("input/table.txt", "\n", "\n\n");
  ExpectRefused(
      "Fatal error: Input file input/table.txt has changed since the checkpoint was written (line 8) at "
      "Checkpoint::Read");
  Edit("input/table.txt", "\n\n", "\n");

  fs::resize_file(dir.File("log.txt"), 10);
  std::map<std::string, std::string> before = Files(dir.Path());
  Result refused = RunBatch(dir.Path(), "--resume");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(LastLine(refused.err).rfind("Fatal error: Log file ./log.txt is shorter than the checkpoint records: "
                                        "10 bytes, expected at least ",
                                        0),
            0U)
      << refused.err;
  EXPECT_EQ(Files(dir.Path()), before);
}
}  // namespace
