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

GPSymbolRegister::~GPSymbolRegister() = default;

void GPSymbolRegister::ReadTable(std::istream& table) {
  // A final line feed ends the last line; no empty line follows it.
  std::string line;
  int number = 0;
  while (std::getline(table, line)) ReadLine(line, ++number);
  if (classes.Size() == 0) WarnTable("The node-set table has no line with a weight; drawing from it ends the run");
}

void GPSymbolRegister::ReadLine(const std::string& line, int number) {
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
  const std::string where = "Line " + std::to_string(number) + " of the node-set table";
  if (classes.Size() == ClassCapacity) {
    WarnTable("The node-set table has more than " + std::to_string(ClassCapacity) + " lines with a weight");
  }
  weights.Add(weight);
  int count = weights.Size();
  running[count - 1] = (count > 1 ? running[count - 2] : 0.0) + weight;
  if (!(weight >= 0.0)) ascending = false;
  rows.push_back(std::make_unique<OperatorArray>(SymbolCapacity));
  OperatorArray* row = rows.back().get();
  classes.Add(row);
  for (std::string name = NextWord(line, pos); !name.empty(); name = NextWord(line, pos)) {
    if (row->Size() == SymbolCapacity) {
      WarnTable(where + " lists more than " + std::to_string(SymbolCapacity) + " operator names");
    }
    if (operators->Count() == operators->Capacity() && operators->Exists(name) == 0) {
      WarnTable("The node-set table names more than " + std::to_string(operators->Capacity()) +
                " different operators");
    }
    row->Add(operators->Get(name));
  }
  classLines.push_back(number);
}

void GPSymbolRegister::WarnTable(const std::string& message) const {
  GetException()->Warning(message, ClassNameOf(*this), "ReadTable");
}

void GPSymbolRegister::ReportTable(const std::string& message) const {
  GetException()->FatalError(message, ClassNameOf(*this), "ReadTable");
}

Operator* GPSymbolRegister::GetRandomOperator() {
  // weights.Roulette(), from the sums kept.
  int count = weights.Size();
  double r = GetUtility()->RandomDouble(count > 0 ? running[count - 1] : 0.0);
  int k = -1;
  if (ascending && r == r) {
    // The sums never fall: the first one above r is the one after all those
    // not above it, counted without a branch the processor would mispredict
    // at every other draw.
    int below = 0;
    for (int i = 0; i < count; ++i) below += running[i] <= r ? 1 : 0;
    if (below < count) k = below;
  } else {
    for (int i = 0; i < count; ++i) {
      if (r < running[i]) {
        k = i;
        break;
      }
    }
  }
  if (k < 0) k = GetUtility()->RandomInt(count);
  OperatorArray* symbols = classes.Get(k);
  int i = GetUtility()->RandomInt(symbols->Size());
  if (symbols->Size() == 0) WarnEmptyClass(k, "GetRandomOperator");
  return symbols->Get(i);
}

Operator* GPSymbolRegister::GetRandomTerminal() {
  OperatorArray* terminals = classes.Get(0);
  int i = GetUtility()->RandomInt(terminals->Size());
  if (terminals->Size() == 0) WarnEmptyClass(0, "GetRandomTerminal");
  return terminals->Get(i);
}

void GPSymbolRegister::WarnEmptyClass(int k, const char* method) const {
  // Said only when the class is drawn from: a class never drawn from does no
  // harm, and the index report that follows would not say which line it is.
  GetException()->Warning("Line " + std::to_string(classLines[static_cast<std::size_t>(k)]) +
                              " of the node-set table has a weight and no operator names; drawing from its "
                              "class ends the run",
                          ClassNameOf(*this), method);
}

OperatorArray* GPSymbolRegister::GetTerminals() { return classes.Get(0); }
