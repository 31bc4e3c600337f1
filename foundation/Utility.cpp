#include "foundation/Utility.h"

#include "foundation/Exception.h"
#include "foundation/Numeric.h"
#include "foundation/NumericArrays.h"

namespace {
thread_local Utility* threadUtility = nullptr;
}  // namespace

Utility* GetUtility() {
  static Utility utility;
  Utility* own = threadUtility;
  return own != nullptr ? own : &utility;
}

ThreadUtility::ThreadUtility(Utility* random) : previous(threadUtility) { threadUtility = random; }

ThreadUtility::~ThreadUtility() { threadUtility = previous; }

void Utility::Skip(long long n) {
  while (n > 0) {
    if (index >= 624) Regenerate();
    long long room = 624 - index;
    long long step = n < room ? n : room;
    index += static_cast<int>(step);
    n -= step;
  }
}

void Utility::Seed(std::uint32_t s) {
  state[0] = s;
  for (int i = 1; i < 624; ++i) {
    state[i] = 1812433253U * (state[i - 1] ^ (state[i - 1] >> 30)) + static_cast<std::uint32_t>(i);
  }
  index = 624;
}

void Utility::Regenerate() {
  if (index == 625) Seed(5489U);
  constexpr std::uint32_t upper = 0x80000000U;
  constexpr std::uint32_t lower = 0x7FFFFFFFU;
  constexpr std::uint32_t matrix = 0x9908B0DFU;
  // 224 words first, a multiple of four, so that the compiler makes the
  // loop four words at a time (as the second loop's 396) without a tail.
  int k = 0;
  for (; k < 224; ++k) {
    std::uint32_t y = (state[k] & upper) | (state[k + 1] & lower);
    state[k] = state[k + 397] ^ (y >> 1) ^ ((y & 1U) ? matrix : 0U);
  }
  for (; k < 227; ++k) {
    std::uint32_t y = (state[k] & upper) | (state[k + 1] & lower);
    state[k] = state[k + 397] ^ (y >> 1) ^ ((y & 1U) ? matrix : 0U);
  }
  for (; k < 623; ++k) {
    std::uint32_t y = (state[k] & upper) | (state[k + 1] & lower);
    state[k] = state[k - 227] ^ (y >> 1) ^ ((y & 1U) ? matrix : 0U);
  }
  std::uint32_t y = (state[623] & upper) | (state[0] & lower);
  state[623] = state[396] ^ (y >> 1) ^ ((y & 1U) ? matrix : 0U);
  index = 0;
  ++regenerations;
}

void Utility::GetState(std::uint32_t* words, int& next) const {
  for (int i = 0; i < kStateWords; ++i) words[i] = state[i];
  next = index;
}

bool Utility::SetState(const std::uint32_t* words, int next) {
  if (next < 0 || next > kStateWords + 1) return false;
  for (int i = 0; i < kStateWords; ++i) state[i] = words[i];
  index = next;
  return true;
}

int Utility::Floor(double x) {
  int t = TruncToInt(x);
  // Wraps like the machine subtraction instead of overflowing.
  return x < 0.0 ? static_cast<int>(static_cast<std::uint32_t>(t) - 1U) : t;
}

int Utility::Power(int base, int exponent) {
  std::uint32_t result = 1;
  for (int i = 0; i < exponent; ++i) result *= static_cast<std::uint32_t>(base);
  return static_cast<int>(result);
}

int Utility::IsNumber(const std::string& text) {
  int r = 1;
  for (std::size_t p = 0; p < text.size(); ++p) {
    char c = text[p];
    if (c == '-' && p == 0) continue;
    if (c == '.' && p != 0 && r == 1) {
      r = 2;
      continue;
    }
    if (c < '0' || c > '9') r = 3;
  }
  return r;
}

int Utility::BitsToInt(const IntArray& bits) {
  int value = 0;
  for (int i = 0; i < bits.Size(); ++i) {
    if (bits.Get(i) == 1) value += Power(2, i);
  }
  return value;
}

void Utility::IntToBits(int value, IntArray& bits) {
  bits.Fill(0);
  int capacity = bits.Capacity();
  if (capacity == 0) return;
  // Bits above bit 30 of an int are 0 for the values converted here; the
  // power for them would not fit in an int.
  int top = capacity - 1 < 30 ? capacity - 1 : 30;
  int p = Power(2, top);
  for (int i = top; i >= 0; --i) {
    bits.Set(i, value / p);
    if (i == 0) break;
    value = value % p;
    p = p / 2;
  }
}
