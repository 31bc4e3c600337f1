// Conversion of doubles to int as the x86 truncating conversion gives it:
// plain truncation toward zero, and INT_MIN for NaN, infinities and values
// whose truncation lies outside the int range (a plain cast is undefined there).
#pragma once

#include <climits>
#include <cmath>

inline int TruncToInt(double value) {
  if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int>(value);
  return INT_MIN;
}
