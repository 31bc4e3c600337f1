#include "config/Log.h"

#include <iostream>
#include <memory>
#include <sstream>

namespace {
Log* theLog = nullptr;

void FlushLogBeforeExit() {
  if (theLog != nullptr) theLog->FlushAll();
}
}  // namespace

Log::Log() : Register<std::string, MultiStream>(20), files(20) {
  GetException()->SetFlusher(&FlushLogBeforeExit);
}

Log::~Log() { files.CloseAll(); }

void Log::FlushAll() {
  std::cout.flush();
  files.FlushAll();
}

void Log::ReadSetting(std::istream& in) {
  std::string ignored;
  std::string prefix;
  if (!(in >> ignored >> prefix >> ignored)) return;
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() > 999) line.resize(999);
    std::istringstream words(line);
    std::string name;
    if (!(words >> name)) continue;
    auto stream = std::make_unique<MultiStream>(20);
    std::string destination;
    while (words >> destination) {
      if (destination == "cout") {
        stream->Add(&std::cout);
      } else if (destination == "cerr") {
        stream->Add(&std::cerr);
      } else {
        stream->Add(files.CreateAndAdd(prefix + destination));
      }
    }
    Push(name, stream.release());
  }
}

Log* GetLog() {
  if (theLog == nullptr) theLog = new Log();
  return theLog;
}

void DeleteLog() {
  delete theLog;
  theLog = nullptr;
}
