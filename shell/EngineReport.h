// In the window a report of the engine ends the run, never the window. While
// a ReportsThrown lives, every fatal report (its line still written to
// standard error first) is thrown as an EngineReport, for the window to catch
// where it reads input files or runs the engine, and to show.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

class EngineReport : public std::runtime_error {
 public:
  explicit EngineReport(const std::string& line) : std::runtime_error(line) {}
};

// Installs the error reporter's fatal handler; its end removes it again, and
// reports end the process as everywhere else.
class ReportsThrown {
 public:
  ReportsThrown();
  ~ReportsThrown();
  ReportsThrown(const ReportsThrown&) = delete;
  ReportsThrown& operator=(const ReportsThrown&) = delete;
};

// Runs work on the calling thread with the lines written before a report kept
// with it: the EngineReport thrown then holds those lines (a missing key's
// name, warnings), each ending in a line feed, and the report line last; they
// are written to standard error as they would have been. Without a report the
// lines go to standard error afterwards.
void WithLinesBeforeReports(const std::function<void()>& work);
