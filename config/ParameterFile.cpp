#include "config/ParameterFile.h"

#include <sstream>

void ReadFileList(std::istream& in, StringRegister& files, std::string* lone) {
  std::string key;
  std::string value;
  while (in >> key) {
    if (!(in >> value)) {
      if (lone != nullptr) *lone = key;
      return;
    }
    files.Add(key, value);
  }
}

namespace {
// Reads the key/value pairs of one section into registry up to "-----" or
// the end. Each value is read as a whole word and then as a number from its
// front, which is what reading the number straight from the stream does; the
// part of the word after the number is the next key, as it would be then.
// Returns false when the reading ended at a value that is not a number.
template <class Number, class NumberRegister>
bool ReadSection(std::istream& in, NumberRegister& registry, bool realSection, ParameterFileNotes* notes) {
  std::string key;
  std::string pending;  // the rest of a cut value word, read as the next key
  while (true) {
    if (!pending.empty()) {
      key = pending;
      pending.clear();
    } else if (!(in >> key)) {
      return true;
    }
    if (key == "-----") return true;
    std::string word;
    if (!(in >> word)) {  // a key without a value at the end
      if (notes != nullptr) notes->lone = key;
      return true;
    }
    std::istringstream number(word);
    Number value{};
    if (!(number >> value)) {
      if (notes != nullptr) {
        notes->stopped = true;
        notes->realSection = realSection;
        notes->key = key;
        notes->word = word;
      }
      return false;
    }
    registry.Add(key, value);
    if (number.peek() != std::char_traits<char>::eof()) {
      std::getline(number, pending);
      if (notes != nullptr) notes->cuts.push_back({key, word, pending});
    }
  }
}
}  // namespace

void ReadParameters(std::istream& in, IntRegister& ints, DoubleRegister& doubles, ParameterFileNotes* notes) {
  std::string word;
  if (!(in >> word >> word)) return;  // the two header words
  if (!ReadSection<int>(in, ints, false, notes)) return;
  if (!(in >> word)) return;  // the real section's name
  ReadSection<double>(in, doubles, true, notes);
}
