// Reads the data of a problem file after its name: fixed fields, each of which
// must be there and be a number of its kind, then trailing lists that simply
// stop at the first entry that cannot be read in full.
#pragma once

#include <istream>
#include <string>

class ProblemFileReader {
 public:
  // problemClass names the problem whose constructor is reading, for reports.
  ProblemFileReader(std::istream& in, std::string problemClass);

  // Fixed fields. A missing field (the file ends early) or a word that is not
  // wholly a number of the kind wanted ends the process with the fatal report
  // "Expected an integer for <field>" (or "a real number", "a word") at
  // <problemClass>::<problemClass>, the problem's constructor.
  int ReadInt(const std::string& field);
  double ReadDouble(const std::string& field);
  std::string ReadWord(const std::string& field);

  // Trailing list entries: true with the values when a whole entry is there;
  // false, with nothing to add, at the end of the data or at an entry that is
  // cut short or not numeric. Reading the list ends at the first false.
  bool TryReadInt(int& value);
  bool TryReadDouble(double& value);
  bool TryReadIntPair(int& first, int& second);

  // Whole-word number parsing with the stream's own number syntax.
  static bool ParseInt(const std::string& word, int& value);
  static bool ParseDouble(const std::string& word, double& value);

 private:
  [[noreturn]] void Expected(const std::string& what, const std::string& field);

  std::istream& in;
  std::string problemClass;
};
