// A program's listing form held compactly: one byte per node, in preorder,
// naming an (operator, arity) pair of a small table of the program's own.
// Checkpoints take populations this way on the threads that score them, a
// few nanoseconds a node in a few bytes, and make the text later on a thread
// of their own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Operator;

class ListingCodes {
 public:
  // The most (operator, arity) pairs one program may hold.
  static constexpr int kMaxPairs = 256;

  // Empties the codes, keeping their room.
  void Clear() {
    pairs.clear();
    codes.clear();
  }
  // Adds a node; false (and nothing added) when the program already holds
  // kMaxPairs other pairs.
  bool Add(const Operator* op, int arity) {
    int pair = Find(op, arity);
    if (pair < 0) return false;
    codes.push_back(static_cast<std::uint8_t>(pair));
    return true;
  }
  // For callers that know a node's pair number already (from PairOf for
  // the same codes): adds it without a search.
  void AddPair(int pair) { codes.push_back(static_cast<std::uint8_t>(pair)); }
  // The number of the pair (op, arity), added to the table when new; -1
  // when the table is full.
  int PairOf(const Operator* op, int arity) { return Find(op, arity); }
  int Nodes() const { return static_cast<int>(codes.size()); }
  // The listing form, one "name<TAB>arity" line per node, appended to text.
  void AppendText(std::string& text) const;

 private:
  struct Pair {
    const Operator* op;
    int arity;
  };
  // The pair's number, added to the table when new; -1 when the table is full.
  int Find(const Operator* op, int arity) {
    if (last < pairs.size() && pairs[last].op == op && pairs[last].arity == arity) return static_cast<int>(last);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      if (pairs[i].op == op && pairs[i].arity == arity) return static_cast<int>(last = i);
    }
    if (pairs.size() == kMaxPairs) return -1;
    pairs.push_back({op, arity});
    return static_cast<int>(last = pairs.size() - 1);
  }

  std::vector<Pair> pairs;
  std::vector<std::uint8_t> codes;
  std::size_t last = 0;
};
