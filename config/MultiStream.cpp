#include "config/MultiStream.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "config/InputWarnings.h"

MultiStream::MultiStream(int capacity) : streams(capacity) {}

void MultiStream::Flush() {
  for (int i = 0; i < streams.Size(); ++i) streams.Get(i)->flush();
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

std::ofstream* OfstreamArray::CreateAndAdd(const std::string& path, bool deferred, bool append) {
  auto file = std::make_unique<std::ofstream>();
  OpenOrReport(*file, path, deferred || append ? std::ios::app : std::ios::trunc);
  if (deferred) file->close();
  std::ofstream* added = file.get();
  if (size < capacity) file.release();  // else Add reports the full array
  Add(added);
  paths.push_back(path);
  return added;
}

void OfstreamArray::OpenDeferred() {
  for (int i = 0; i < size; ++i) {
    if (data[i]->is_open()) continue;
    data[i]->clear();
    OpenOrReport(*data[i], paths[static_cast<std::size_t>(i)], std::ios::trunc);
  }
}

void OfstreamArray::CloseAll() {
  for (int i = 0; i < size; ++i) data[i]->close();
}

void OfstreamArray::FlushAll() {
  for (int i = 0; i < size; ++i) data[i]->flush();
}

int OfstreamArray::FirstFailed(std::string* reason) {
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
