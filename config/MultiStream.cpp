#include "config/MultiStream.h"

#include <cerrno>

#include "config/InputWarnings.h"

MultiStream::MultiStream(int capacity) : streams(capacity) {}

void MultiStream::Flush() {
  for (int i = 0; i < streams.Size(); ++i) streams.Get(i)->flush();
}

std::ofstream* OfstreamArray::CreateAndAdd(const std::string& path) {
  errno = 0;
  auto* file = new std::ofstream(path, std::ios::out | std::ios::trunc);
  if (!file->is_open()) {
    WarnCanNotOpen("Log file", path, "OfstreamArray", "CreateAndAdd");
    delete file;
    GetException()->FatalError("Can not open file", "OfstreamArray", "CreateAndAdd");
  }
  if (size >= capacity) delete file;  // Add reports the full array
  Add(file);
  return file;
}

void OfstreamArray::CloseAll() {
  for (int i = 0; i < size; ++i) data[i]->close();
}

void OfstreamArray::FlushAll() {
  for (int i = 0; i < size; ++i) data[i]->flush();
}
