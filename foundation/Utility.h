// The process-wide random generator (MT19937) and small numeric helpers.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/Numeric.h"

class IntArray;

class Utility {
 public:
  void Seed(std::uint32_t s);
  std::uint32_t NextWord() {
    if (index >= 624) Regenerate();
    std::uint32_t y = state[index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680U;
    y ^= (y << 15) & 0xEFC60000U;
    y ^= y >> 18;
    return y;
  }
  // In [0, 1): a word over 2 to the 32nd. Inline: breeding draws one per
  // gene of every mutated bit string.
  double Random01() { return static_cast<double>(NextWord()) * (1.0 / 4294967296.0); }
  // RandomInt(n) is IntOf(Random01(), n): one draw whatever n, so the draw
  // may be made before n is known.
  int RandomInt(int n) { return IntOf(Random01(), n); }
  // Inline: every tournament draws one per entrant.
  static int IntOf(double unit, int n) { return TruncToInt(unit * static_cast<double>(n)); }
  // In [0, x): Random01() * x, where that rounds up to x, 0. Inline: the
  // tree generator draws one per node.
  double RandomDouble(double x) {
    double r = Random01() * x;
    if (r == x) r = 0.0;
    return r;
  }
  // Moves on n words, as n draws of NextWord would (n >= 0), without
  // tempering the words passed over.
  void Skip(long long n);
  // A count that grows by one with every word drawn or skipped: the
  // difference of two readings is the draws made in between.
  long long Position() const { return regenerations * 624 + (index < 624 ? index : 624); }

  // The generator's whole state: its 624 words and the index of the next
  // one to use (624: regenerate first; 625: never seeded). A checkpoint
  // keeps it, so that a resumed batch draws the same numbers.
  static constexpr int kStateWords = 624;
  void GetState(std::uint32_t* words, int& next) const;
  // False (and nothing changed) for an index outside 0 .. 625.
  bool SetState(const std::uint32_t* words, int next);

  static int Floor(double x);
  static int Power(int base, int exponent);
  static int IsNumber(const std::string& text);  // 1 integer, 2 real, 3 other
  static int BitsToInt(const IntArray& bits);
  static void IntToBits(int value, IntArray& bits);

 private:
  void Regenerate();

  std::uint32_t state[624] = {};
  int index = 625;  // never seeded
  long long regenerations = 0;  // for Position
};

// The process's generator, or the calling thread's own while a
// ThreadUtility is in force on it.
Utility* GetUtility();

// For its lifetime, GetUtility() on the constructing thread gives random
// (not owned): threads that breed parts of one generation side by side each
// draw from their own copy of the generator, moved on to their part's draws.
class ThreadUtility {
 public:
  explicit ThreadUtility(Utility* random);
  ~ThreadUtility();
  ThreadUtility(const ThreadUtility&) = delete;
  ThreadUtility& operator=(const ThreadUtility&) = delete;

 private:
  Utility* previous;
};
