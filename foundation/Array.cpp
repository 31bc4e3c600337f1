#include "foundation/Array.h"

#include <cstdlib>

void ReportArrayIndex(int index, int size, const std::string& cls, const char* method) {
  GetException()->ArrayIndexError(index, size, cls, method);
  std::abort();  // not reached: the report ends the process
}

void ReportArrayCapacity(int capacity, const std::string& cls, const char* method) {
  GetException()->CapacityError(capacity, cls, method);
  std::abort();
}
