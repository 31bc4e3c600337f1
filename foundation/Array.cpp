#include "foundation/Array.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

void ReportArrayIndex(int index, int size, const std::string& cls, const char* method) {
  GetException()->ArrayIndexError(index, size, cls, method);
  std::abort();  // not reached: the report ends the process
}

void ReportArrayCapacity(int capacity, const std::string& cls, const char* method) {
  GetException()->CapacityError(capacity, cls, method);
  std::abort();
}

void* PagesOnDemand(std::size_t bytes) {
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
  // Below a few pages the heap does as well.
  if (bytes < 8 * 4096) return nullptr;
  void* pages =
      ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  return pages == MAP_FAILED ? nullptr : pages;
#else
  // Sanitizer builds keep such arrays on the heap, where misuse is found.
  (void)bytes;
  return nullptr;
#endif
}

void ReleasePagesOnDemand(void* pages, std::size_t bytes) {
#if defined(__linux__)
  ::munmap(pages, bytes);
#else
  (void)pages;
  (void)bytes;
#endif
}
