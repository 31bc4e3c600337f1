#include "programs/ListingCodes.h"

#include <cstring>

#include "programs/Operator.h"

void ListingCodes::AppendText(std::string& text) const {
  // Each pair's line once; the nodes are then copies of them.
  std::vector<std::string> lines;
  lines.reserve(pairs.size());
  std::size_t length = 0;
  for (const Pair& pair : pairs) {
    lines.push_back(pair.op->GetName() + '\t' + std::to_string(pair.arity) + '\n');
  }
  for (std::uint8_t code : codes) length += lines[code].size();
  std::size_t at = text.size();
  text.resize(at + length);
  char* out = text.data() + at;
  for (std::uint8_t code : codes) {
    const std::string& line = lines[code];
    std::memcpy(out, line.data(), line.size());
    out += line.size();
  }
}
