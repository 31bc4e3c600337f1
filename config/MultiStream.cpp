#include "config/MultiStream.h"

#include <cerrno>
#include <cstring>

#include "config/InputWarnings.h"

MultiStream::MultiStream(int capacity) : streams(capacity) {}

void MultiStream::Flush() {
  for (int i = 0; i < streams.Size(); ++i) streams.Get(i)->flush();
}

std::ofstream* OfstreamArray::CreateAndAdd(const std::string& path, bool append) {
  errno = 0;
  auto* file = new std::ofstream(path, std::ios::out | (append ? std::ios::app : std::ios::trunc));
  if (!file->is_open()) {
    WarnCanNotOpen("Log file", path, "OfstreamArray", "CreateAndAdd");
    delete file;
    GetException()->FatalError("Can not open file", "OfstreamArray", "CreateAndAdd");
  }
  if (size >= capacity) delete file;  // Add reports the full array
  Add(file);
  paths.push_back(path);
  return file;
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
