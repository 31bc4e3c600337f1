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
    : in(in), problemClass(std::move(problemClass)), refusedKind("a number") {}

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

void ProblemFileReader::RequireWord(const std::string& field) {
  in >> std::ws;
  if (!in.good() || in.peek() == std::char_traits<char>::eof()) Expected("a word", field);
}

bool ProblemFileReader::NextWord(std::string& word) {
  refused.clear();
  halfPair = false;
  return static_cast<bool>(in >> word);
}

bool ProblemFileReader::TryReadInt(int& value) {
  std::string word;
  if (!NextWord(word)) return false;
  if (ParseInt(word, value)) return true;
  refused = word;
  refusedKind = "an integer";
  return false;
}

bool ProblemFileReader::TryReadDouble(double& value) {
  std::string word;
  if (!NextWord(word)) return false;
  if (ParseDouble(word, value)) return true;
  refused = word;
  refusedKind = "a real number";
  return false;
}

bool ProblemFileReader::TryReadIntPair(int& first, int& second) {
  int a = 0;
  int b = 0;
  if (!TryReadInt(a)) return false;
  if (!TryReadInt(b)) {
    if (refused.empty()) {
      halfPair = true;
      lone = std::to_string(a);
    }
    return false;
  }
  first = a;
  second = b;
  return true;
}

void ProblemFileReader::Warn(const std::string& message) const {
  GetException()->Warning(message, problemClass, problemClass);
}

void ProblemFileReader::EndList(const std::string& list) {
  if (!refused.empty()) {
    Warn("The " + list + " stops at " + refused + ", which is not " + refusedKind +
         "; the rest of the problem file is not read");
  } else if (halfPair) {
    Warn("The " + list + " ends with " + lone + " alone, which is not read");
  }
}

