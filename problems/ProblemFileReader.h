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
  // Reports "Expected a word for <field>" when nothing but white space is
  // left, for a word that another reader takes from the stream.
  void RequireWord(const std::string& field);

  // Trailing list entries: true with the values when a whole entry is there;
  // false, with nothing to add, at the end of the data or at an entry that is
  // cut short or not numeric. Reading the list ends at the first false.
  bool TryReadInt(int& value);
  bool TryReadDouble(double& value);
  bool TryReadIntPair(int& first, int& second);

  // After a trailing list: a warning at <problemClass>::<problemClass> when
  // the list stopped before the end of the data, at a word that is not a
  // number or at a pair cut short, since the rest of the file is then not
  // read. list names the list for the user ("wall list").
  void EndList(const std::string& list);
  // Writes a warning at <problemClass>::<problemClass>.
  void Warn(const std::string& message) const;

  // Whole-word number parsing with the stream's own number syntax.
  static bool ParseInt(const std::string& word, int& value);
  static bool ParseDouble(const std::string& word, double& value);

 private:
  [[noreturn]] void Expected(const std::string& what, const std::string& field);

  // Reads the next word; false at the end of the data. A word that is then
  // not a number of the kind wanted is kept for EndList.
  bool NextWord(std::string& word);

  std::istream& in;
  std::string problemClass;
  std::string refused;      // the word that ended the last list, if any
  const char* refusedKind;  // what it should have been
  bool halfPair = false;    // the last list ended with a lone first number
  std::string lone;         // that number
};
