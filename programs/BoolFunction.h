// The logic behind the bool operators; arguments and results are 0 or 1.
// Bool values are normally 0 or 1, but a bool variable may hold any int:
// sums and products are taken in unsigned arithmetic, which keeps them
// defined (wrapping around). Each function's logic is also a static inline
// kernel (Of) shared with the fast evaluation paths, and is given for 64
// cases at once, one per bit of a machine word, for arguments of 0 or 1:
// the arguments' words folded with SliceFold from kSliceStart, then
// SliceFinish (on words, or on vectors of them).
#pragma once

#include <cstdint>

#include "foundation/NumericArrays.h"

class BoolFunction {
 public:
  BoolFunction() = default;
  BoolFunction(const BoolFunction&) = delete;
  BoolFunction& operator=(const BoolFunction&) = delete;
  virtual ~BoolFunction();
  virtual int Calculate(const IntArray& a);

  static std::uint32_t SumOf(const int* v, int n) {
    std::uint32_t sum = 0;
    for (int i = 0; i < n; ++i) sum += static_cast<std::uint32_t>(v[i]);
    return sum;
  }
  static std::uint32_t ProductOf(const int* v, int n) {
    std::uint32_t product = 1;
    for (int i = 0; i < n; ++i) product *= static_cast<std::uint32_t>(v[i]);
    return product;
  }
};

// 1 when every entry is 1 (also for no entries).
class FunctionAnd : public BoolFunction {
 public:
  int Calculate(const IntArray& a) override;
  static int Of(const int* v, int n) { return static_cast<int>(BoolFunction::ProductOf(v, n)); }
  static constexpr std::uint64_t kSliceStart = ~0ULL;
  template <class Word>
  static Word SliceFold(Word a, Word b) {
    return a & b;
  }
  template <class Word>
  static Word SliceFinish(Word v) {
    return v;
  }
};

// 1 when some entry is 1.
class FunctionOr : public BoolFunction {
 public:
  int Calculate(const IntArray& a) override;
  static int Of(const int* v, int n) { return static_cast<int>(BoolFunction::SumOf(v, n)) > 0 ? 1 : 0; }
  static constexpr std::uint64_t kSliceStart = 0;
  template <class Word>
  static Word SliceFold(Word a, Word b) {
    return a | b;
  }
  template <class Word>
  static Word SliceFinish(Word v) {
    return v;
  }
};

// 1 when some entry is 0.
class FunctionNand : public BoolFunction {
 public:
  int Calculate(const IntArray& a) override;
  static int Of(const int* v, int n) { return BoolFunction::ProductOf(v, n) == 0 ? 1 : 0; }
  static constexpr std::uint64_t kSliceStart = ~0ULL;
  template <class Word>
  static Word SliceFold(Word a, Word b) {
    return a & b;
  }
  template <class Word>
  static Word SliceFinish(Word v) {
    return ~v;
  }
};

// 1 when no entry is 1; over one entry it is the negation.
class FunctionNor : public BoolFunction {
 public:
  int Calculate(const IntArray& a) override;
  static int Of(const int* v, int n) { return static_cast<int>(BoolFunction::SumOf(v, n)) < 1 ? 1 : 0; }
  static constexpr std::uint64_t kSliceStart = 0;
  template <class Word>
  static Word SliceFold(Word a, Word b) {
    return a | b;
  }
  template <class Word>
  static Word SliceFinish(Word v) {
    return ~v;
  }
};
