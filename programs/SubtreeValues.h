// The case values of subtrees computed lately, for the case-vector
// evaluator: an offspring shares all but the path to its crossover point
// with its parents, so most of its subtrees were computed for them already.
// A subtree is known by its shape (operations, arities, types, constants and
// variables, as two 64-bit hashes) and by the inputs of the cases it was
// computed for (compared value for value), and its values are copied bit for
// bit: they are exactly those computing it again would give.
#pragma once

#include <cstdint>
#include <vector>

class SubtreeValues {
 public:
  struct Shape {
    std::uint64_t a = 0;
    std::uint64_t b = 0;
  };

  // Starts an evaluation of lanes cases whose used variables (bit i of
  // usedInts, usedDoubles) have the values intLanes[i], doubleLanes[i]:
  // values kept for these same inputs before can be found again.
  void BeginInputs(int lanes, std::uint32_t usedInts, std::uint32_t usedDoubles, const int* const* intLanes,
                   const double* const* doubleLanes);
  // The kept values of shape with result type, lanes of them (ints for an
  // int or bool type, doubles otherwise), or null.
  const void* Find(Shape shape, int type) const;
  // Keeps the lanes values of shape (replacing what its place held).
  void Keep(Shape shape, int type, const void* data);

 private:
  // Inputs seen lately, each with a number of its own.
  struct Inputs {
    std::uint64_t number = 0;
    int lanes = 0;
    std::uint32_t usedInts = 0;
    std::uint32_t usedDoubles = 0;
    std::vector<int> ints;
    std::vector<double> doubles;
  };
  struct Entry {
    Shape shape;
    std::uint64_t inputs = 0;  // 0: empty
    int type = 0;
    int lanes = 0;
  };
  static constexpr std::size_t kEntries = 2048;
  static constexpr std::size_t kInputs = 4;
  static std::size_t BytesOf(int type, int lanes);
  const Entry& PlaceOf(Shape shape) const { return entries[shape.a & (kEntries - 1)]; }

  std::vector<Entry> entries;
  // The entries' values, stride doubles each (ints stored in the same bytes).
  std::vector<double> values;
  std::size_t stride = 0;
  Inputs inputs[kInputs];
  Inputs scratch;
  std::uint64_t lastNumber = 0;
  std::size_t nextReplaced = 0;
  std::uint64_t current = 0;  // the number of the current inputs
  int lanes = 0;
};
