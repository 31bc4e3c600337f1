#include "shell/EngineReport.h"

#include "foundation/Exception.h"

namespace {
void ThrowReport(const std::string& line) { throw EngineReport(line); }
}  // namespace

ReportsThrown::ReportsThrown() { GetException()->SetFatalHandler(&ThrowReport); }

ReportsThrown::~ReportsThrown() { GetException()->SetFatalHandler(nullptr); }

void WithLinesBeforeReports(const std::function<void()>& work) {
  std::string lines;
  std::string line;
  {
    Exception::CaptureScope capture;
    try {
      work();
    } catch (const Exception::CapturedReport& report) {
      line = report.what();
    }
    lines = capture.TakeText();
  }
  if (line.empty()) {
    if (!lines.empty()) GetException()->Diagnostic(lines);
    return;
  }
  GetException()->Diagnostic(lines + line + "\n");
  throw EngineReport(lines + line);
}
