#include "foundation/TimeEstimator.h"

#include <cstdint>

TimeEstimator::TimeEstimator(int capacity)
    : start(std::time(nullptr)), estimates(std::make_unique<IntArray>(capacity)), capacity(capacity) {
  estimates->Fill(0);
}

TimeEstimator::TimeEstimator(int capacity, std::time_t start, int count) : TimeEstimator(capacity) {
  this->start = start;
  this->count = count < 0 ? 0 : (count > capacity ? capacity : count);
}

std::string TimeEstimator::NextEstimate() {
  if (count >= capacity) {
    GetException()->TooMuchCallError(count, capacity, "TimeEstimator", "Estimate");
  }
  std::time_t now = std::time(nullptr);
  // 32-bit signed arithmetic with truncating division, wrapping like the machine.
  auto start32 = static_cast<std::int32_t>(start);
  auto now32 = static_cast<std::int32_t>(now);
  std::int32_t elapsed = static_cast<std::int32_t>(static_cast<std::uint32_t>(now32) -
                                                   static_cast<std::uint32_t>(start32));
  std::int32_t scaled = static_cast<std::int32_t>(static_cast<std::uint32_t>(elapsed) *
                                                  static_cast<std::uint32_t>(capacity));
  std::int32_t e = static_cast<std::int32_t>(static_cast<std::uint32_t>(start32) +
                                             static_cast<std::uint32_t>(scaled / (count + 1)));
  estimates->Set(count, e);
  ++count;
  std::time_t when = e;
  char buffer[64];
  std::tm local{};
  localtime_r(&when, &local);
  std::strftime(buffer, sizeof buffer, "%a %b %e %H:%M:%S %Y\n", &local);
  return buffer;
}
