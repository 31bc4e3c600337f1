// The per-generation fitness of one or more runs, read from a `generations`
// CSV file (a header line, then one row per generation of every run), and the
// spread across runs that the plot draws: median and quartiles per generation.
#pragma once

#include <istream>
#include <string>
#include <vector>

// One run's curve of one column: values[i] belongs to generation first + i.
struct RunCurve {
  int run = 0;
  int first = 0;
  std::vector<double> values;
  int Last() const { return first + static_cast<int>(values.size()) - 1; }
  // The value at generation g; after the run's last generation its last
  // value (a run that stopped early keeps its result), before its first NaN.
  double At(int g) const;
};

// Median and quartiles across runs, per generation 0 .. last.
struct Spread {
  std::vector<double> q1;
  std::vector<double> median;
  std::vector<double> q3;
};

class GenerationTable {
 public:
  // Reads CSV text; on a malformed file returns false with a message naming
  // the line (ReadError).
  bool Read(std::istream& in, const std::string& name);
  const std::string& ReadError() const { return error; }

  // Per run (in the order runs first appear), the column's values.
  std::vector<RunCurve> Curves(const std::string& column) const;
  // The greatest generation of any run, or -1 when there are no rows.
  int LastGeneration() const;
  int RunCount() const { return static_cast<int>(runs.size()); }

 private:
  int Column(const std::string& name) const;

  std::vector<std::string> header;
  std::vector<std::vector<double>> rows;
  std::vector<int> runs;
  std::string error;
};

// Splits one CSV record (RFC 4180: fields may be quoted, "" is a quote inside
// a quoted field). Reads further lines while a quoted field is open; false at
// the end of the input.
bool ReadCsvRecord(std::istream& in, std::vector<std::string>& fields, int& lineNumber);

// Median and first and third quartile (linear interpolation between order
// statistics) of each generation across the curves; NaN where no run has a
// value.
Spread SpreadOf(const std::vector<RunCurve>& curves, int lastGeneration);

// The quantile q (0..1) of values, linear between order statistics; NaN for
// no values. Sorts values.
double Quantile(std::vector<double>& values, double q);
