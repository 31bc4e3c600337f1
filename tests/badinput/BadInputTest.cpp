// The table of bad inputs: every row of BadInputs.txt runs the batch program
// in a scratch folder on an example's input files with one thing broken, and
// expects exactly the lines given on standard error and the exit status given,
// within a time limit and never by a signal.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {
namespace fs = std::filesystem;

const char* const kCasesFile = MORVANE2_SOURCE_DIR "/tests/badinput/BadInputs.txt";
const char* const kExamples = MORVANE2_SOURCE_DIR "/examples";
const char* const kBatch = MORVANE2_BATCH;
// Generous: the sanitizer build runs several times slower.
constexpr auto kTimeLimit = std::chrono::seconds(120);

// One change to the copied input folder.
struct Edit {
  std::string command;  // set, drop, remove, write, append, repeat
  std::string file;
  std::string key;   // set, drop: the key; repeat: the count
  std::string text;  // set: the value; write, append, repeat: the text
};

struct BadInput {
  std::string title;
  int line = 0;  // where the case starts in the table
  std::string from;
  std::vector<Edit> edits;
  std::vector<std::string> args;
  int status = -1;
  std::string expected;
  // Files that must hold a text after the run (log lines written before a
  // fatal report reach the disk).
  std::vector<std::pair<std::string, std::string>> contains;
  std::string error;  // a mistake in the table itself
};

// How test listings show a case.
void PrintTo(const BadInput& c, std::ostream* os) { *os << "BadInputs.txt:" << c.line; }

// "\n", "\t", "\s" (a blank) and "\\" in the text of repeat.
std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char c = text[++i];
    out += c == 'n' ? '\n' : c == 't' ? '\t' : c == 's' ? ' ' : c;
  }
  return out;
}

// A case that only reports a mistake in the table.
BadInput Mistake(const std::string& title, int line, const std::string& error) {
  BadInput c;
  c.title = title;
  c.line = line;
  c.error = error;
  return c;
}

std::string Rest(std::istringstream& words) {
  std::string rest;
  std::getline(words >> std::ws, rest);
  return rest;
}

std::vector<BadInput> ReadCases() {
  std::vector<BadInput> cases;
  std::ifstream in(kCasesFile);
  if (!in) {
    cases.push_back(Mistake("missing table", 0, std::string("can not read ") + kCasesFile));
    return cases;
  }
  std::string line;
  int number = 0;
  // Lines up to one holding only ".", each with its line end.
  auto block = [&](BadInput& c) {
    std::string text;
    while (std::getline(in, line)) {
      ++number;
      if (line == ".") return text;
      text += line + "\n";
    }
    c.error = "a block that is not closed by a line \".\"";
    return text;
  };
  while (std::getline(in, line)) {
    ++number;
    std::istringstream words(line);
    std::string command;
    if (!(words >> command) || command[0] == '#') continue;
    if (command == "case") {
      BadInput c;
      c.title = Rest(words);
      c.line = number;
      cases.push_back(c);
      continue;
    }
    if (cases.empty()) {
      cases.push_back(Mistake("no case", number, "a command before the first case"));
      continue;
    }
    BadInput& c = cases.back();
    Edit edit;
    edit.command = command;
    if (command == "from") {
      words >> c.from;
    } else if (command == "args") {
      std::string arg;
      while (words >> arg) c.args.push_back(arg);
    } else if (command == "status") {
      words >> c.status;
    } else if (command == "stderr") {
      c.expected = block(c);
    } else if (command == "contains") {
      std::string file;
      words >> file;
      c.contains.emplace_back(file, block(c));
    } else if (command == "set") {
      words >> edit.file >> edit.key;
      edit.text = Rest(words);
      c.edits.push_back(edit);
    } else if (command == "drop" || command == "remove") {
      words >> edit.file >> edit.key;
      c.edits.push_back(edit);
    } else if (command == "write" || command == "append") {
      words >> edit.file;
      edit.text = block(c);
      c.edits.push_back(edit);
    } else if (command == "repeat") {
      words >> edit.file >> edit.key;
      edit.text = Unescape(Rest(words));
      c.edits.push_back(edit);
    } else {
      c.error = "unknown command \"" + command + "\" on line " + std::to_string(number);
    }
  }
  return cases;
}

// Gives key its value on the line where it is the first word; false when no
// line starts with it.
bool SetKey(std::string& text, const std::string& key, const std::string& value, bool drop) {
  std::istringstream lines(text);
  std::string result;
  std::string line;
  bool found = false;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string first;
    if (!found && words >> first && first == key) {
      found = true;
      if (drop) continue;
      line = key + "\t" + value;
    }
    result += line + "\n";
  }
  text = result;
  return found;
}

std::string Apply(const std::string& folder, const Edit& edit) {
  const std::string path = folder + "/" + edit.file;
  if (edit.command == "remove") {
    return fs::remove(path) ? "" : "nothing to remove at " + edit.file;
  }
  std::string text = ReadWholeFile(path);
  if (edit.command == "set" || edit.command == "drop") {
    if (!SetKey(text, edit.key, edit.text, edit.command == "drop")) {
      return "no key " + edit.key + " in " + edit.file;
    }
  } else if (edit.command == "write") {
    text = edit.text;
  } else if (edit.command == "append") {
    text += edit.text;
  } else if (edit.command == "repeat") {
    for (int i = std::stoi(edit.key); i > 0; --i) text += edit.text;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return out ? "" : "can not write " + edit.file;
}

struct Outcome {
  bool finished = false;  // false: killed at the time limit
  int status = 0;
  int signal = 0;
  std::string stderrText;
};

Outcome RunBatch(const std::string& folder, const std::vector<std::string>& args) {
  const std::string errors = folder + "/stderr.txt";
  pid_t child = fork();
  if (child == 0) {
    if (chdir(folder.c_str()) != 0) _exit(127);
    int out = open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0) _exit(127);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(kBatch));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(kBatch, argv.data());
    _exit(127);
  }
  Outcome outcome;
  int status = 0;
  auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      outcome.stderrText = ReadWholeFile(errors);
      return outcome;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  outcome.finished = true;
  if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  outcome.stderrText = ReadWholeFile(errors);
  return outcome;
}

class BadInputTest : public ::testing::TestWithParam<BadInput> {};

TEST_P(BadInputTest, EndsWithTheExpectedLinesAndStatus) {
  const BadInput& c = GetParam();
  SCOPED_TRACE("BadInputs.txt:" + std::to_string(c.line) + ": " + c.title);
  ASSERT_EQ(c.error, "");
  ASSERT_NE(c.status, -1) << "the case gives no status";
  ScratchDir dir;
  if (!c.from.empty()) {
    fs::copy(std::string(kExamples) + "/" + c.from + "/input", dir.File("input"),
             fs::copy_options::recursive);
  }
  for (const Edit& edit : c.edits) ASSERT_EQ(Apply(dir.Path(), edit), "");
  Outcome outcome = RunBatch(dir.Path(), c.args);
  ASSERT_TRUE(outcome.finished) << "still running after the time limit; standard error so far:\n"
                                << outcome.stderrText;
  ASSERT_EQ(outcome.signal, 0) << "ended by a signal; standard error:\n" << outcome.stderrText;
  EXPECT_EQ(outcome.stderrText, c.expected);
  EXPECT_EQ(outcome.status, c.status);
  for (const auto& [file, text] : c.contains) {
    EXPECT_NE(ReadWholeFile(dir.File(file)).find(text), std::string::npos) << file << " lacks:\n" << text;
  }
}

std::string TestName(const ::testing::TestParamInfo<BadInput>& info) {
  std::string name = "r" + std::to_string(1000 + info.index).substr(1) + "_";
  for (char c : info.param.title) {
    if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
      name += c;
    } else if (name.back() != '_') {
      name += '_';
    }
  }
  while (name.back() == '_') name.pop_back();
  return name;
}

INSTANTIATE_TEST_SUITE_P(Table, BadInputTest, ::testing::ValuesIn(ReadCases()), TestName);
}  // namespace
