#include "programs/GPSymbolRegister.h"

#include <cmath>
#include <cstdlib>
#include <memory>

#include "foundation/Exception.h"
#include "foundation/Utility.h"

namespace {

// Blanks and tabs separate the words of a line; a carriage return (from a
// table saved with CR LF line ends) is never part of a name and separates too.
bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The next word of line at or after pos, or the empty string; pos moves past it.
std::string NextWord(const std::string& line, std::string::size_type& pos) {
  while (pos < line.size() && IsSeparator(line[pos])) ++pos;
  std::string::size_type start = pos;
  while (pos < line.size() && !IsSeparator(line[pos])) ++pos;
  return line.substr(start, pos - start);
}

}  // namespace

GPSymbolRegister::GPSymbolRegister(OperatorRegister* operators, std::istream& table)
    : operators(operators), classes(ClassCapacity), weights(ClassCapacity) {
  ReadTable(table);
}

GPSymbolRegister::~GPSymbolRegister() { classes.DeleteAll(); }

void GPSymbolRegister::ReadTable(std::istream& table) {
  // A final line feed ends the last line; no empty line follows it.
  std::string line;
  while (std::getline(table, line)) ReadLine(line);
}

void GPSymbolRegister::ReadLine(const std::string& line) {
  if (line.size() > static_cast<std::string::size_type>(LineLength)) {
    ReportTable("table line longer than " + std::to_string(LineLength) + " characters");
  }
  std::string::size_type pos = 0;
  std::string weightText = NextWord(line, pos);
  if (weightText.empty()) return;
  // The weight is a real number in decimal notation, read whole; anything
  // else would silently become a weight of 0 or swallow a name.
  const char* begin = weightText.c_str();
  char* end = nullptr;
  double weight = std::strtod(begin, &end);
  if (end != begin + weightText.size() || !std::isfinite(weight)) {
    ReportTable("table weight is not a number: " + weightText);
  }
  weights.Add(weight);
  auto symbols = std::make_unique<OperatorArray>(SymbolCapacity);
  OperatorArray* row = symbols.get();
  classes.Add(row);
  symbols.release();
  for (std::string name = NextWord(line, pos); !name.empty(); name = NextWord(line, pos)) {
    row->Add(operators->Get(name));
  }
}

void GPSymbolRegister::ReportTable(const std::string& message) const {
  GetException()->FatalError(message, ClassNameOf(*this), "ReadTable");
}

Operator* GPSymbolRegister::GetRandomOperator() {
  OperatorArray* symbols = classes.Get(weights.Roulette());
  return symbols->Get(GetUtility()->RandomInt(symbols->Size()));
}

Operator* GPSymbolRegister::GetRandomTerminal() {
  OperatorArray* terminals = classes.Get(0);
  return terminals->Get(GetUtility()->RandomInt(terminals->Size()));
}

OperatorArray* GPSymbolRegister::GetTerminals() { return classes.Get(0); }
