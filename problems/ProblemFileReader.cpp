#include "problems/ProblemFileReader.h"

#include <sstream>
#include <utility>

#include "foundation/Exception.h"

namespace {
template <class Number>
bool ParseWhole(const std::string& word, Number& value) {
  std::istringstream text(word);
  Number parsed{};
  if (!(text >> parsed)) return false;
  if (text.peek() != std::char_traits<char>::eof()) return false;  // "3.5" is no integer, "2x" no number
  value = parsed;
  return true;
}
}  // namespace

ProblemFileReader::ProblemFileReader(std::istream& in, std::string problemClass)
    : in(in), problemClass(std::move(problemClass)) {}

bool ProblemFileReader::ParseInt(const std::string& word, int& value) { return ParseWhole(word, value); }

bool ProblemFileReader::ParseDouble(const std::string& word, double& value) {
  return ParseWhole(word, value);
}

void ProblemFileReader::Expected(const std::string& what, const std::string& field) {
  GetException()->FatalError("Expected " + what + " for " + field, problemClass, problemClass);
}

int ProblemFileReader::ReadInt(const std::string& field) {
  std::string word;
  int value = 0;
  if (!(in >> word) || !ParseInt(word, value)) Expected("an integer", field);
  return value;
}

double ProblemFileReader::ReadDouble(const std::string& field) {
  std::string word;
  double value = 0.0;
  if (!(in >> word) || !ParseDouble(word, value)) Expected("a real number", field);
  return value;
}

std::string ProblemFileReader::ReadWord(const std::string& field) {
  std::string word;
  if (!(in >> word)) Expected("a word", field);
  return word;
}

bool ProblemFileReader::TryReadInt(int& value) {
  std::string word;
  return static_cast<bool>(in >> word) && ParseInt(word, value);
}

bool ProblemFileReader::TryReadDouble(double& value) {
  std::string word;
  return static_cast<bool>(in >> word) && ParseDouble(word, value);
}

bool ProblemFileReader::TryReadIntPair(int& first, int& second) {
  int a = 0;
  int b = 0;
  if (!TryReadInt(a) || !TryReadInt(b)) return false;
  first = a;
  second = b;
  return true;
}
