#include "shell/EngineReport.h"

#include <exception>

#include "foundation/Exception.h"

namespace {
void ThrowReport(const std::string& line) { throw EngineReport(line); }
}  // namespace

ReportsThrown::ReportsThrown() { GetException()->SetFatalHandler(&ThrowReport); }

ReportsThrown::~ReportsThrown() { GetException()->SetFatalHandler(nullptr); }

void WithLinesBeforeReports(const std::function<void()>& work) {
  std::string lines;
  std::string line;
  std::exception_ptr other;
  {
    Exception::CaptureScope capture;
    try {
      work();
    } catch (const Exception::CapturedReport& report) {
      line = report.what();
    } catch (...) {
      // Anything else (memory exhausted once the reporter's own handler is
      // spent) goes on as it is, after the lines.
      other = std::current_exception();
    }
    lines = capture.TakeText();
  }
  // Out of capture mode: these lines reach standard error.
  if (line.empty()) {
    if (!lines.empty()) GetException()->Diagnostic(lines);
    if (other) std::rethrow_exception(other);
    return;
  }
  GetException()->Diagnostic(lines + line + "\n");
  throw EngineReport(lines + line);
}
