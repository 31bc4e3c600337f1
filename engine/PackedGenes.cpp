#include "engine/PackedGenes.h"

#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
// The four genes of each four bits (the lowest bit first).
constexpr std::array<std::array<int, 4>, 16> kGenesOfFour = [] {
  std::array<std::array<int, 4>, 16> genes{};
  for (unsigned bits = 0; bits < 16; ++bits) {
    for (unsigned g = 0; g < 4; ++g) genes[bits][g] = static_cast<int>((bits >> g) & 1U);
  }
  return genes;
}();
}  // namespace

bool PackedGenes::Pack(const int* genes, int length, std::uint64_t* words) {
  unsigned seen = 0;  // every gene or'ed: 0 or 1 where all are
  for (int w = 0; w * 64 < length; ++w) {
    int from = w * 64;
    int count = length - from < 64 ? length - from : 64;
    std::uint64_t word = 0;
    int g = 0;
#if defined(__SSE2__)
    __m128i all = _mm_setzero_si128();
    for (; g + 4 <= count; g += 4) {
      __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(genes + from + g));
      all = _mm_or_si128(all, four);
      // Each gene's lowest bit moved to its sign, gathered four at once.
      auto bits = static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(_mm_slli_epi32(four, 31))));
      word |= std::uint64_t{bits} << g;
    }
    alignas(16) unsigned lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), all);
    seen |= lanes[0] | lanes[1] | lanes[2] | lanes[3];
#endif
    for (; g < count; ++g) {
      auto gene = static_cast<unsigned>(genes[from + g]);
      seen |= gene;
      word |= std::uint64_t{gene & 1U} << g;
    }
    words[w] = word;
  }
  return seen <= 1U;
}

void PackedGenes::Unpack(const std::uint64_t* words, int length, int* genes) {
  int i = 0;
  for (; i + 4 <= length; i += 4) {
    // Four genes never straddle two words (64 is a multiple of four).
    auto bits = static_cast<unsigned>((words[i >> 6] >> (i & 63)) & 15U);
    std::memcpy(genes + i, kGenesOfFour[bits].data(), sizeof(int) * 4);
  }
  for (; i < length; ++i) genes[i] = static_cast<int>((words[i >> 6] >> (i & 63)) & 1U);
}
