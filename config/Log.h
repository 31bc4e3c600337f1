// The process-wide register of named log streams, filled from the
// log-setting file. Destroying it closes every log file it opened.
#pragma once

#include <istream>
#include <map>
#include <string>
#include <vector>

#include "config/MultiStream.h"
#include "config/Register.h"

class Log : public Register<std::string, MultiStream> {
 public:
  Log();
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
  // Flushes every log file and reports the first one a write to has failed,
  // naming the file and the reason: a log that can not be written ends the
  // process, never silently.
  void CheckWritten();
  // The files a stream writes to, as opened (path prefix included); none for
  // a stream that is not defined or writes only to cout or cerr.
  std::vector<std::string> FilesOf(const std::string& stream) const;

 private:
  static constexpr int kDestinations = 20;  // of one stream

  void Warn(const std::string& message) const;

  OfstreamArray files;
  bool appending = false;
  std::map<std::string, std::vector<std::string>> filesOfStream;
};

Log* GetLog();
// Destroys the process-wide log (closing its files); the next GetLog makes a
// fresh, empty one.
void DeleteLog();
