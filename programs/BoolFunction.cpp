#include "programs/BoolFunction.h"

#include <cstdint>

namespace {
// Bool values are normally 0 or 1, but a bool variable may hold any int:
// unsigned arithmetic keeps the sum and product defined (wrapping around).
std::uint32_t SumOf(const IntArray& a) {
  const int* d = a.Data();
  std::uint32_t sum = 0;
  for (int i = 0; i < a.Size(); ++i) sum += static_cast<std::uint32_t>(d[i]);
  return sum;
}

std::uint32_t ProductOf(const IntArray& a) {
  const int* d = a.Data();
  std::uint32_t product = 1;
  for (int i = 0; i < a.Size(); ++i) product *= static_cast<std::uint32_t>(d[i]);
  return product;
}
}  // namespace

BoolFunction::~BoolFunction() = default;

int BoolFunction::Calculate(const IntArray&) { return 0; }

int FunctionAnd::Calculate(const IntArray& a) { return static_cast<int>(ProductOf(a)); }

int FunctionOr::Calculate(const IntArray& a) { return static_cast<int>(SumOf(a)) > 0 ? 1 : 0; }

int FunctionNand::Calculate(const IntArray& a) { return ProductOf(a) == 0 ? 1 : 0; }

int FunctionNor::Calculate(const IntArray& a) { return static_cast<int>(SumOf(a)) < 1 ? 1 : 0; }
