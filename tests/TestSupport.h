// Helpers shared by the tests: scratch folders and whole-file reading.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

// A fresh, empty folder under the system's temporary folder; removed with its
// contents when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& Path() const { return path; }
  std::string File(const std::string& name) const { return path + "/" + name; }
  void Write(const std::string& name, const std::string& text) const;

 private:
  std::string path;
};

std::string ReadWholeFile(const std::string& path);

// The folder that holds the scratch folders of this test process.
void SetScratchRoot(const std::string& root);
// A folder of that name that a death test and its child process share.
std::string SharedScratchFolder(const std::string& name);

// Exact-match pattern for a death test's standard error: the given line,
// with regex metacharacters escaped.
std::string ExactLine(const std::string& line);

// Making a P from the problem-file text ends the process with status 1 and
// exactly the report lines given.
template <class P>
void ExpectReportMaking(const std::string& text, const std::string& lines) {
  SCOPED_TRACE(text);
  std::istringstream in(text);
  EXPECT_EXIT(P problem(in), ::testing::ExitedWithCode(1), "^" + ExactLine(lines) + "$");
}
