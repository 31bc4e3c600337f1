// Fuzz target: the log-setting file. The path prefix (the second header word)
// is rewritten to a name inside the scratch folder, so every log file the
// setting names lands there: a destination word holding "/" would need a
// folder named after the prefix, and none is ever made.
#include <sstream>

#include "FuzzSupport.h"
#include "config/Log.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializeFuzzTarget();
  return 0;
}

namespace {
// The setting with its prefix replaced; unchanged when it has fewer than three
// header words (the reader then registers nothing and opens nothing).
std::string Confined(const std::string& text) {
  std::istringstream in(text);
  std::string first;
  std::string prefix;
  std::string third;
  if (!(in >> first >> prefix >> third)) return text;
  std::string rest = in.eof() ? std::string() : text.substr(static_cast<std::size_t>(in.tellg()));
  std::string kept;
  for (char c : prefix.substr(0, 40)) kept += c == '/' ? '_' : c;
  return first + " " + FuzzScratch::Get().File("p" + kept) + " " + third + rest;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(Confined(InputText(data, size)));
  try {
    Log* log = GetLog();
    log->ReadSetting(in);
    // Every stream takes a line; the files are flushed and closed below.
    for (int i = 0; i < log->Count(); ++i) *log->ValueAt(i) << i << " " << 0.5 << " line" << std::endl;
    log->FlushAll();
    log->Get("log");
  } catch (const FatalReport&) {
  }
  DeleteLog();
  FuzzScratch::Get().Clear();
  return 0;
}
