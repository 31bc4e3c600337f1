#include "FuzzSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <streambuf>

#include "foundation/Exception.h"

namespace {
// Swallows everything written to it.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

NullBuffer nowhere;

void ThrowReport(const std::string& line) {
  // The promise to users is one line naming what is wrong.
  if (line.empty() || line.find('\n') != std::string::npos) std::abort();
  throw FatalReport{line};
}
}  // namespace

void InitializeFuzzTarget() {
  GetException()->SetFatalHandler(&ThrowReport);
  std::cout.rdbuf(&nowhere);
  std::cerr.rdbuf(&nowhere);
  std::clog.rdbuf(&nowhere);
}

FuzzScratch& FuzzScratch::Get() {
  static FuzzScratch scratch;
  return scratch;
}

FuzzScratch::FuzzScratch() {
  std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                   ? std::filesystem::path("/dev/shm")
                                   : std::filesystem::temp_directory_path();
  std::string pattern = (base / "morvane2-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  path = pattern;
}

FuzzScratch::~FuzzScratch() {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

void FuzzScratch::Write(const std::string& name, const std::string& text) const {
  std::ofstream out(File(name), std::ios::binary);
  out << text;
}

void FuzzScratch::Clear() const {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(path, ignored)) {
    std::filesystem::remove_all(entry.path(), ignored);
  }
}

std::string ScratchLogSetting() {
  std::string setting = "log_setting " + FuzzScratch::Get().Path() + "/ streams\n";
  for (const char* name :
       {"log", "save", "orbit", "timer", "online-mean", "online-sd", "offline-mean", "offline-sd", "best"}) {
    setting += std::string(name) + " " + name + ".txt\n";
  }
  return setting;
}
