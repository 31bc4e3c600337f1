// Named output streams: a MultiStream writes each item to several
// destinations in the order they were added; OfstreamArray owns the log files.
#pragma once

#include <atomic>
#include <cstring>
#include <fstream>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "foundation/Array.h"
#include "foundation/SpreadThread.h"

class OfstreamArray;

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
  // Nothing reaches files (not owned) until their old contents are gone
  // (see OfstreamArray::EmptyLeftFiles): what is written meanwhile stays in
  // the files' buffers, and more than a buffer holds waits. A flush (or a
  // line's end) meanwhile is put off: the buffers go out at the first flush
  // after the files are empty, or when the files are flushed or closed
  // together (OfstreamArray::FlushAll, CloseAll), as at a report or the end.
  void WaitFor(OfstreamArray* left) { files = left; }

  template <class T>
  MultiStream& Write(const T& item) {
    if (files != nullptr) Buffering(LengthOf(item));
    for (int i = 0; i < streams.Size(); ++i) *streams.Get(i) << item;
    return *this;
  }
  MultiStream& operator<<(int value) { return Write(value); }
  MultiStream& operator<<(double value) { return Write(value); }
  MultiStream& operator<<(const char* text) { return Write(text); }
  MultiStream& operator<<(const std::string& text) { return Write(text); }
  MultiStream& operator<<(std::ostream& (*manipulator)(std::ostream&)) {
    if (files != nullptr && PutOff(manipulator)) return *this;
    for (int i = 0; i < streams.Size(); ++i) manipulator(*streams.Get(i));
    return *this;
  }
  void Flush();

 private:
  // A file's buffer takes pieces shorter than this (longer ones go straight
  // to the file), and at least this much in all.
  static constexpr std::size_t kBuffered = 1024;

  // The most characters an item can write.
  static std::size_t LengthOf(char) { return 1; }
  static std::size_t LengthOf(int) { return 16; }
  static std::size_t LengthOf(double) { return 32; }
  static std::size_t LengthOf(const char* text) { return std::strlen(text); }
  static std::size_t LengthOf(const std::string& text) { return text.size(); }
  // Before length more characters are written: waits for the files once
  // they might no longer stay in the buffers.
  void Buffering(std::size_t length);
  void Await();
  // While the files are being emptied: a flush is put off, and a line's end
  // only written to the buffers; true when that was all (any other
  // manipulator waits for the files). Once they are empty, false.
  bool PutOff(std::ostream& (*manipulator)(std::ostream&));

  StreamArray streams;
  OfstreamArray* files = nullptr;
  std::size_t buffered = 0;
};

class OfstreamArray : public PointerArray<std::ofstream> {
 public:
  explicit OfstreamArray(int capacity) : PointerArray<std::ofstream>(capacity) {}
  ~OfstreamArray() override;
  // Opens the file at path and keeps it: truncating it, or appending to it
  // when append is true. A deferred file is only checked to be writable (its
  // contents stay) and opened by OpenDeferred: until then it takes no writes.
  // With emptyLater, a regular file that has contents is opened as it is,
  // to be emptied by EmptyLeftFiles (emptying a file that has contents can
  // wait milliseconds for the file system's journal).
  std::ofstream* CreateAndAdd(const std::string& path, bool deferred = false, bool append = false,
                              bool emptyLater = false);
  // Empties the files CreateAndAdd left with their contents, on a thread of
  // its own. Until AwaitEmptied, nothing may be written to any file of the
  // array (MultiStream::WaitFor keeps its writes in the files' buffers).
  void EmptyLeftFiles();
  // Whether files are left to be emptied, or being emptied.
  bool IsEmptying() const { return emptying.load(std::memory_order_acquire); }
  // Waits until every file left is empty (emptying them here when no thread
  // has them yet); a file that could not be emptied is reported as one that
  // can not be opened. From any thread; at once when none is left.
  void AwaitEmptied();
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

  // A file opened with its contents, still to be emptied.
  struct Left {
    int index;
    std::string path;
    int error = 0;  // why emptying it failed
  };

 private:
  std::vector<std::string> paths;
  std::vector<Left> left;
  std::atomic<bool> emptying{false};        // files are left
  std::atomic<bool> emptierStarted{false};  // and handed to the thread
  std::mutex awaiting;
  SpreadThread emptier;
};
