#include "programs/SubtreeValues.h"

#include <cstring>
#include <utility>

#include "programs/Operator.h"

std::size_t SubtreeValues::BytesOf(int type, int lanes) {
  return static_cast<std::size_t>(lanes) * (type == ValueType::Double ? sizeof(double) : sizeof(int));
}

namespace {
// Equal bit for bit (NaNs and signed zeros included).
bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}
}  // namespace

void SubtreeValues::BeginInputs(int count, std::uint32_t usedInts, std::uint32_t usedDoubles,
                                const int* const* intLanes, const double* const* doubleLanes) {
  lanes = count;
  scratch.lanes = count;
  scratch.usedInts = usedInts;
  scratch.usedDoubles = usedDoubles;
  scratch.ints.clear();
  scratch.doubles.clear();
  for (int i = 0; i < 32; ++i) {
    if ((usedInts >> i & 1u) != 0) scratch.ints.insert(scratch.ints.end(), intLanes[i], intLanes[i] + count);
    if ((usedDoubles >> i & 1u) != 0) {
      scratch.doubles.insert(scratch.doubles.end(), doubleLanes[i], doubleLanes[i] + count);
    }
  }
  for (const Inputs& seen : inputs) {
    if (seen.number != 0 && seen.lanes == count && seen.usedInts == usedInts && seen.usedDoubles == usedDoubles &&
        seen.ints == scratch.ints && SameBits(seen.doubles, scratch.doubles)) {
      current = seen.number;
      return;
    }
  }
  // New inputs replace the longest seen; values kept for those are then
  // never found again (their number is not given twice).
  Inputs& replaced = inputs[nextReplaced];
  nextReplaced = (nextReplaced + 1) % kInputs;
  std::swap(replaced, scratch);
  replaced.number = ++lastNumber;
  current = replaced.number;
}

const void* SubtreeValues::Find(Shape shape, int type) const {
  if (entries.empty()) return nullptr;
  const Entry& entry = PlaceOf(shape);
  if (entry.inputs != current || entry.shape.a != shape.a || entry.shape.b != shape.b || entry.type != type ||
      entry.lanes != lanes) {
    return nullptr;
  }
  return values.data() + static_cast<std::size_t>(&entry - entries.data()) * stride;
}

void SubtreeValues::Keep(Shape shape, int type, const void* data) {
  if (current == 0) return;
  if (static_cast<std::size_t>(lanes) > stride) {
    // Room for more cases in every entry: what was kept is dropped.
    entries.assign(kEntries, Entry{});
    stride = static_cast<std::size_t>(lanes);
    values.assign(kEntries * stride, 0.0);
  }
  std::size_t place = shape.a & (kEntries - 1);
  Entry& entry = entries[place];
  entry.shape = shape;
  entry.inputs = current;
  entry.type = type;
  entry.lanes = lanes;
  std::memcpy(values.data() + place * stride, data, BytesOf(type, lanes));
}
