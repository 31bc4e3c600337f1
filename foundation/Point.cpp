#include "foundation/Point.h"

#include <cstdio>

namespace {
template <class... Args>
std::string Format(const char* format, Args... args) {
  char buffer[512];
  int n = std::snprintf(buffer, sizeof buffer, format, args...);
  if (n < static_cast<int>(sizeof buffer)) return std::string(buffer, n > 0 ? n : 0);
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), format, args...);
  big.resize(static_cast<std::size_t>(n));
  return big;
}
}  // namespace

std::string DoublePoint::ToString() const { return Format("{%f,%f}", x, y); }
std::string DoublePoint::ToString3() const { return Format("{%f,%f,%f}", x, y, z); }
std::string IntPoint::ToString() const { return Format("{%d,%d}", x, y); }
std::string IntPoint::ToString3() const { return Format("{%d,%d,%d}", x, y, z); }
