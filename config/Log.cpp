#include "config/Log.h"

#include <iostream>
#include <memory>
#include <sstream>

namespace {
Log* theLog = nullptr;
bool deferFiles = false;
bool emptyLater = false;
bool captureNext = false;

void FlushLogBeforeExit() {
  if (theLog != nullptr) theLog->FlushAll();
}
}  // namespace

Log::Log(Mode mode) : Register<std::string, MultiStream>(20), mode(mode), files(20) {
  GetException()->SetFlusher(&FlushLogBeforeExit);
}

Log::~Log() { files.CloseAll(); }

void Log::FlushAll() {
  std::cout.flush();
  files.FlushAll();
}

void Log::CheckWritten() {
  FlushAll();
  std::string reason;
  int failed = files.FirstFailed(&reason);
  std::string what;
  if (failed >= 0) {
    what = "log file " + files.PathAt(failed);
  } else if (!std::cout.good()) {
    what = "standard output";
  } else {
    return;
  }
  GetException()->FatalError("Can not write " + what + (reason.empty() ? "" : ": " + reason),
                             ClassNameOf(*this), "CheckWritten");
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
    auto stream = std::make_unique<MultiStream>(kDestinations);
    std::string destination;
    while (words >> destination) {
      // The capacity reports that follow name no line: say which.
      if (stream->Size() == kDestinations) {
        Warn("The line of " + name + " lists more than " + std::to_string(kDestinations) + " destinations");
      }
      if (mode == Mode::Capture) {
        bool file = destination != "cout" && destination != "cerr";
        stream->Add(CaptureBuffer(file ? prefix + destination : destination));
      } else if (destination == "cout") {
        stream->Add(&std::cout);
      } else if (destination == "cerr") {
        stream->Add(&std::cerr);
      } else {
        if (files.Size() == files.Capacity()) {
          Warn("The log setting names more than " + std::to_string(files.Capacity()) + " files");
        }
        stream->Add(files.CreateAndAdd(prefix + destination, deferFiles, appending, emptyLater));
        if (emptyLater) stream->WaitFor(&files);
        // The first definition of a stream is the one used.
        if (Exists(name) == 0) filesOfStream[name].push_back(prefix + destination);
      }
    }
    if (Count() == Capacity())
      Warn("The log setting defines more than " + std::to_string(Capacity()) + " streams");
    Push(name, stream.release());
  }
  files.EmptyLeftFiles();
}

std::vector<std::string> Log::FilesOf(const std::string& stream) const {
  auto found = filesOfStream.find(stream);
  return found != filesOfStream.end() ? found->second : std::vector<std::string>();
}

std::ostream* Log::CaptureBuffer(const std::string& destination) {
  for (std::size_t i = 0; i < capturedNames.size(); ++i) {
    if (capturedNames[i] == destination) return captured[i].get();
  }
  capturedNames.push_back(destination);
  captured.push_back(std::make_unique<std::ostringstream>());
  return captured.back().get();
}

std::vector<Log::Captured> Log::TakeCaptured() {
  std::vector<Captured> taken;
  for (std::size_t i = 0; i < captured.size(); ++i) {
    taken.push_back({capturedNames[i], captured[i]->str()});
    captured[i]->str(std::string());
  }
  return taken;
}

void Log::Warn(const std::string& message) const {
  GetException()->Warning(message, ClassNameOf(*this), "ReadSetting");
}

Log* GetLog() {
  if (theLog == nullptr) theLog = new Log(captureNext ? Log::Mode::Capture : Log::Mode::Files);
  return theLog;
}

void DeferLogFiles(bool defer) { deferFiles = defer; }
void EmptyLogFilesLater(bool later) { emptyLater = later; }
void SetLogCapture(bool capture) { captureNext = capture; }

void DeleteLog() {
  delete theLog;
  theLog = nullptr;
}
