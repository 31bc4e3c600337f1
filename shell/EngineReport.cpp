#include "shell/EngineReport.h"

#include "foundation/Exception.h"

namespace {
void ThrowReport(const std::string& line) { throw EngineReport(line); }
}  // namespace

ReportsThrown::ReportsThrown() { GetException()->SetFatalHandler(&ThrowReport); }

ReportsThrown::~ReportsThrown() { GetException()->SetFatalHandler(nullptr); }
