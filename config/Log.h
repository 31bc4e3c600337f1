// The process-wide register of named log streams, filled from the
// log-setting file. Destroying it closes every log file it opened.
#pragma once

#include <istream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "config/MultiStream.h"
#include "config/Register.h"

class Log : public Register<std::string, MultiStream> {
 public:
  // Files: the destinations are the files and standard streams the setting
  // names. Capture: every destination (cout and cerr included) is a text
  // buffer instead, so that what a run writes can be taken and written out
  // elsewhere; no file is opened.
  enum class Mode { Files, Capture };
  // What a capturing log holds for one destination: its name ("cout",
  // "cerr" or the file's path as the setting gives it) and the text written.
  struct Captured {
    std::string destination;
    std::string text;
  };

  explicit Log(Mode mode = Mode::Files);
  ~Log() override;
  // Header words (ignored, path prefix, ignored), then one line per stream:
  // its name and its destinations "cout", "cerr" or file names.
  void ReadSetting(std::istream& in);
  void FlushAll();
  // With appending on, ReadSetting opens the log files without emptying
  // them, so that a batch resumed from a checkpoint writes on after what it
  // kept of them.
  void SetAppending(bool value) { appending = value; }
  // The log files opened, in the order of the setting, with their paths as
  // opened (path prefix included).
  int FileCount() const { return files.Size(); }
  const std::string& FilePath(int i) const { return files.PathAt(i); }
  // Opens the log files whose opening was deferred (see DeferLogFiles),
  // starting them afresh; files opened already are left as they are.
  void OpenDeferredFiles() { files.OpenDeferred(); }
  // Flushes every log file and reports the first one a write to has failed,
  // naming the file and the reason: a log that can not be written ends the
  // process, never silently.
  void CheckWritten();
  // The files a stream writes to, as opened (path prefix included); none for
  // a stream that is not defined or writes only to cout or cerr.
  std::vector<std::string> FilesOf(const std::string& stream) const;
  // In capture mode, the text written to each destination since the last
  // take, in the order the setting first names them; the buffers are emptied.
  std::vector<Captured> TakeCaptured();

 private:
  static constexpr int kDestinations = 20;  // of one stream

  void Warn(const std::string& message) const;

  // The capture buffer for a destination, made on its first mention.
  std::ostream* CaptureBuffer(const std::string& destination);

  Mode mode;
  OfstreamArray files;
  bool appending = false;
  std::map<std::string, std::vector<std::string>> filesOfStream;
  std::vector<std::string> capturedNames;
  std::vector<std::unique_ptr<std::ostringstream>> captured;
};

// The process-wide log, made on first use: in capture mode while
// SetLogCapture(true) holds.
Log* GetLog();
// From now on, log settings read leave their files as they are (only
// checking that each can be written) until OpenDeferredFiles: for a program
// that reads input folders to show them, and writes logs only when it runs.
void DeferLogFiles(bool defer);
// From now on, log settings read leave the old contents of their files to be
// emptied on another thread while the program goes on; nothing reaches a
// file before (see OfstreamArray::EmptyLeftFiles). For a program that starts
// writing its logs only some time after reading the setting.
void EmptyLogFilesLater(bool later);
void SetLogCapture(bool capture);
// Destroys the process-wide log (closing its files); the next GetLog makes a
// fresh, empty one.
void DeleteLog();
