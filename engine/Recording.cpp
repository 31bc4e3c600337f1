#include "engine/Recording.h"

#include <cstdio>

std::string DisplayNumber(double value) {
  char buffer[32];
  int n = std::snprintf(buffer, sizeof buffer, "%.4g", value);
  return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}
