#include "shell/plot/GenerationTable.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool ParseNumber(const std::string& text, double& value) {
  if (text.empty()) {
    value = kNaN;
    return true;
  }
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end != nullptr && *end == '\0';
}
}  // namespace

double RunCurve::At(int g) const {
  if (values.empty() || g < first) return kNaN;
  if (g > Last()) return values.back();
  return values[static_cast<std::size_t>(g - first)];
}

bool ReadCsvRecord(std::istream& in, std::vector<std::string>& fields, int& lineNumber) {
  fields.clear();
  std::string line;
  if (!std::getline(in, line)) return false;
  ++lineNumber;
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0;; ++i) {
    if (i == line.size()) {
      if (!quoted) break;
      // A line end inside quotes belongs to the field.
      if (!std::getline(in, line)) break;
      ++lineNumber;
      field += '\n';
      i = static_cast<std::size_t>(-1);
      continue;
    }
    char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.push_back(field);
      field.clear();
    } else if (c != '\r' || i + 1 != line.size()) {
      field += c;
    }
  }
  fields.push_back(field);
  return true;
}

bool GenerationTable::Read(std::istream& in, const std::string& name) {
  int lineNumber = 0;
  if (!ReadCsvRecord(in, header, lineNumber)) {
    error = name + " is empty; expected a header line starting with run,generation";
    return false;
  }
  for (const char* needed : {"run", "generation"}) {
    if (Column(needed) < 0) {
      error = name + " line 1 has no column \"" + needed + "\"";
      return false;
    }
  }
  std::vector<std::string> fields;
  const int runColumn = Column("run");
  while (ReadCsvRecord(in, fields, lineNumber)) {
    if (fields.size() == 1 && fields[0].empty()) continue;
    if (fields.size() != header.size()) {
      error = name + " line " + std::to_string(lineNumber) + " has " + std::to_string(fields.size()) +
              " fields; the header has " + std::to_string(header.size());
      return false;
    }
    std::vector<double> row(fields.size(), kNaN);
    for (std::size_t i = 0; i < fields.size(); ++i) {
      // Columns that are not numbers (a program's text) are kept as NaN.
      if (!ParseNumber(fields[i], row[i]) && static_cast<int>(i) == runColumn) {
        error = name + " line " + std::to_string(lineNumber) + ": run \"" + fields[i] + "\" is not a number";
        return false;
      }
    }
    int run = static_cast<int>(row[static_cast<std::size_t>(runColumn)]);
    if (std::find(runs.begin(), runs.end(), run) == runs.end()) runs.push_back(run);
    rows.push_back(std::move(row));
  }
  return true;
}

int GenerationTable::Column(const std::string& name) const {
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (header[i] == name) return static_cast<int>(i);
  }
  return -1;
}

std::vector<RunCurve> GenerationTable::Curves(const std::string& column) const {
  std::vector<RunCurve> curves;
  const int value = Column(column);
  if (value < 0) return curves;
  const auto runColumn = static_cast<std::size_t>(Column("run"));
  const auto generationColumn = static_cast<std::size_t>(Column("generation"));
  for (int run : runs) {
    RunCurve curve;
    curve.run = run;
    bool started = false;
    for (const std::vector<double>& row : rows) {
      if (static_cast<int>(row[runColumn]) != run || !std::isfinite(row[generationColumn])) continue;
      int g = static_cast<int>(row[generationColumn]);
      if (!started) {
        curve.first = g;
        started = true;
      }
      if (g < curve.first) continue;
      auto index = static_cast<std::size_t>(g - curve.first);
      if (index >= curve.values.size()) curve.values.resize(index + 1, kNaN);
      curve.values[index] = row[static_cast<std::size_t>(value)];
    }
    if (started) curves.push_back(std::move(curve));
  }
  return curves;
}

int GenerationTable::LastGeneration() const {
  int last = -1;
  const int generationColumn = Column("generation");
  for (const std::vector<double>& row : rows) {
    double g = row[static_cast<std::size_t>(generationColumn)];
    if (std::isfinite(g) && g > last) last = static_cast<int>(g);
  }
  return last;
}

double Quantile(std::vector<double>& values, double q) {
  if (values.empty()) return kNaN;
  std::sort(values.begin(), values.end());
  double position = q * static_cast<double>(values.size() - 1);
  auto below = static_cast<std::size_t>(std::floor(position));
  std::size_t above = std::min(below + 1, values.size() - 1);
  double fraction = position - static_cast<double>(below);
  return values[below] + (values[above] - values[below]) * fraction;
}

Spread SpreadOf(const std::vector<RunCurve>& curves, int lastGeneration) {
  Spread spread;
  std::vector<double> values;
  for (int g = 0; g <= lastGeneration; ++g) {
    values.clear();
    for (const RunCurve& curve : curves) {
      double v = curve.At(g);
      if (!std::isnan(v)) values.push_back(v);
    }
    spread.q1.push_back(Quantile(values, 0.25));
    spread.median.push_back(Quantile(values, 0.5));
    spread.q3.push_back(Quantile(values, 0.75));
  }
  return spread;
}
