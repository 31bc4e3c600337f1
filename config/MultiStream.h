// Named output streams: a MultiStream writes each item to several
// destinations in the order they were added; OfstreamArray owns the log files.
#pragma once

#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "foundation/Array.h"

class StreamArray : public PointerArray<std::ostream> {
 public:
  explicit StreamArray(int capacity) : PointerArray<std::ostream>(capacity) {}
};

class MultiStream {
 public:
  explicit MultiStream(int capacity);
  MultiStream(const MultiStream&) = delete;
  MultiStream& operator=(const MultiStream&) = delete;

  void Add(std::ostream* stream) { streams.Add(stream); }
  int Size() const { return streams.Size(); }

  template <class T>
  MultiStream& Write(const T& item) {
    for (int i = 0; i < streams.Size(); ++i) *streams.Get(i) << item;
    return *this;
  }
  MultiStream& operator<<(int value) { return Write(value); }
  MultiStream& operator<<(double value) { return Write(value); }
  MultiStream& operator<<(const char* text) { return Write(text); }
  MultiStream& operator<<(const std::string& text) { return Write(text); }
  MultiStream& operator<<(std::ostream& (*manipulator)(std::ostream&)) {
    for (int i = 0; i < streams.Size(); ++i) manipulator(*streams.Get(i));
    return *this;
  }
  void Flush();

 private:
  StreamArray streams;
};

class OfstreamArray : public PointerArray<std::ofstream> {
 public:
  explicit OfstreamArray(int capacity) : PointerArray<std::ofstream>(capacity) {}
  ~OfstreamArray() override { DeleteAll(); }
  // Opens the file at path and keeps it: truncating it, or appending to it
  // when append is true. A deferred file is only checked to be writable (its
  // contents stay) and opened by OpenDeferred: until then it takes no writes.
  std::ofstream* CreateAndAdd(const std::string& path, bool deferred = false, bool append = false);
  // Opens (truncating) every deferred file not opened yet.
  void OpenDeferred();
  void CloseAll();
  void FlushAll();
  void DeleteAll() { DeletePointees(); }
  // The path of file i as opened.
  const std::string& PathAt(int i) const { return paths[static_cast<std::size_t>(i)]; }
  // The first file a write to has failed (disk full, a device that takes no
  // data), or -1; *reason gets the system's word for it when one is known.
  int FirstFailed(std::string* reason);

 private:
  std::vector<std::string> paths;
};
