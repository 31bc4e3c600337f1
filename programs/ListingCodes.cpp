#include "programs/ListingCodes.h"

#include <cstring>

#include "programs/Operator.h"

void ListingCodes::AppendText(std::string& text) const {
  // Each pair's line once, one after the other; a node's line is then a copy
  // of a whole block of fixed size (no call per node), of which only the
  // line's own bytes are kept. The table and the text leave room for a block
  // past their ends.
  constexpr std::size_t kBlock = 32;
  thread_local std::string table;
  std::size_t start[kMaxPairs];
  std::size_t size[kMaxPairs];
  table.clear();
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    start[i] = table.size();
    table += pairs[i].op->GetName();
    table += '\t';
    table += std::to_string(pairs[i].arity);
    table += '\n';
    size[i] = table.size() - start[i];
  }
  table.append(kBlock, '\0');
  std::size_t length = 0;
  for (std::uint8_t code : codes) length += size[code];
  std::size_t at = text.size();
  text.resize(at + length + kBlock);
  char* out = text.data() + at;
  for (std::uint8_t code : codes) {
    const char* line = table.data() + start[code];
    std::size_t n = size[code];
    if (n <= kBlock) {
      std::memcpy(out, line, kBlock);
    } else {
      std::memcpy(out, line, n);
    }
    out += n;
  }
  text.resize(at + length);
}
