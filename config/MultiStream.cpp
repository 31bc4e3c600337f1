#include "config/MultiStream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <memory>
#include <system_error>

#include "config/InputWarnings.h"

MultiStream::MultiStream(int capacity) : streams(capacity) {}

void MultiStream::Flush() {
  if (files != nullptr && PutOff(static_cast<std::ostream& (*)(std::ostream&)>(std::flush))) return;
  for (int i = 0; i < streams.Size(); ++i) streams.Get(i)->flush();
}

bool MultiStream::PutOff(std::ostream& (*manipulator)(std::ostream&)) {
  if (!files->IsEmptying()) {
    files = nullptr;
    return false;
  }
  // Lines on the console go out as they come, in their order with the
  // others there.
  bool console = false;
  for (int i = 0; i < streams.Size(); ++i)
    console = console || streams.Get(i) == &std::cout || streams.Get(i) == &std::cerr;
  if (console) {
    Await();
    return false;
  }
  if (manipulator == static_cast<std::ostream& (*)(std::ostream&)>(std::flush)) return true;
  if (manipulator == static_cast<std::ostream& (*)(std::ostream&)>(std::endl)) {
    Write('\n');
    return true;
  }
  Await();
  return false;
}

void MultiStream::Buffering(std::size_t length) {
  if (!files->IsEmptying()) {
    files = nullptr;
    return;
  }
  buffered += length;
  if (length >= kBuffered || buffered >= kBuffered) Await();
}

void MultiStream::Await() {
  files->AwaitEmptied();
  files = nullptr;
}

namespace {
// Opens path for writing, truncating it or (to check it only) appending, and
// reports a file that can not be opened.
void OpenOrReport(std::ofstream& file, const std::string& path, std::ios::openmode mode) {
  errno = 0;
  file.open(path, std::ios::out | mode);
  if (file.is_open()) return;
  WarnCanNotOpen("Log file", path, "OfstreamArray", "CreateAndAdd");
  GetException()->FatalError("Can not open file", "OfstreamArray", "CreateAndAdd");
}
}  // namespace

OfstreamArray::~OfstreamArray() {
  AwaitEmptied();
  DeleteAll();
}

std::ofstream* OfstreamArray::CreateAndAdd(const std::string& path, bool deferred, bool append,
                                           bool emptyLater) {
  // The files left are in use by the thread emptying them, once it runs.
  if (emptierStarted.load(std::memory_order_acquire)) AwaitEmptied();
  auto file = std::make_unique<std::ofstream>();
  bool leftFull = false;
  if (emptyLater && !deferred && !append) {
    // Opened for reading as well, which neither makes nor empties the file:
    // a file this can not open is opened the usual way below.
    struct stat status;
    if (::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
      file->open(path, std::ios::in | std::ios::out);
      leftFull = file->is_open();
      if (!leftFull) file->clear();
    }
  }
  if (!leftFull) OpenOrReport(*file, path, deferred || append ? std::ios::app : std::ios::trunc);
  if (deferred) file->close();
  std::ofstream* added = file.get();
  if (size < capacity) file.release();  // else Add reports the full array
  Add(added);
  paths.push_back(path);
  if (leftFull) {
    left.push_back({size - 1, path});
    emptying.store(true, std::memory_order_release);
  }
  return added;
}

namespace {
void Empty(std::vector<OfstreamArray::Left>& files) {
  for (OfstreamArray::Left& file : files) {
    if (::truncate(file.path.c_str(), 0) != 0) file.error = errno;
  }
}
}  // namespace

void OfstreamArray::EmptyLeftFiles() {
  if (left.empty() || emptierStarted.load()) return;
  try {
    emptier = SpreadThread([this] { Empty(left); });
    emptierStarted.store(true, std::memory_order_release);
  } catch (const std::system_error&) {
    // No thread to be had: emptied when first awaited.
  }
}

void OfstreamArray::AwaitEmptied() {
  if (!emptying.load(std::memory_order_acquire)) return;
  std::vector<Left> done;
  {
    std::lock_guard<std::mutex> lock(awaiting);
    if (!emptying.load()) return;
    // Left but never handed to a thread (a report came first): emptied here.
    if (emptierStarted.load()) {
      emptier.Join();
    } else {
      Empty(left);
    }
    emptierStarted.store(false, std::memory_order_release);
    done.swap(left);
    for (const Left& file : done) {
      // Its old contents are still there: nothing written goes to it.
      if (file.error != 0) static_cast<std::ostream*>(data[file.index])->rdbuf(nullptr);
    }
    emptying.store(false, std::memory_order_release);
  }
  for (const Left& file : done) {
    if (file.error == 0) continue;
    // Reported as opening it emptied would have been.
    errno = file.error;
    WarnCanNotOpen("Log file", file.path, "OfstreamArray", "CreateAndAdd");
    GetException()->FatalError("Can not open file", "OfstreamArray", "CreateAndAdd");
  }
}

void OfstreamArray::OpenDeferred() {
  AwaitEmptied();
  for (int i = 0; i < size; ++i) {
    if (data[i]->is_open()) continue;
    data[i]->clear();
    OpenOrReport(*data[i], paths[static_cast<std::size_t>(i)], std::ios::trunc);
  }
}

void OfstreamArray::CloseAll() {
  AwaitEmptied();
  for (int i = 0; i < size; ++i) data[i]->close();
}

void OfstreamArray::FlushAll() {
  AwaitEmptied();
  for (int i = 0; i < size; ++i) data[i]->flush();
}

int OfstreamArray::FirstFailed(std::string* reason) {
  AwaitEmptied();
  for (int i = 0; i < size; ++i) {
    if (data[i]->good()) continue;
    // The failed write's reason is gone by now: what is still buffered is
    // written once more, which fails again for the same reason.
    errno = 0;
    data[i]->clear();
    data[i]->flush();
    if (reason != nullptr && errno != 0) *reason = std::strerror(errno);
    data[i]->setstate(std::ios::badbit);
    return i;
  }
  return -1;
}
