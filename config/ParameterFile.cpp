#include "config/ParameterFile.h"

#include <string>

void ReadFileList(std::istream& in, StringRegister& files) {
  std::string key;
  std::string value;
  while (in >> key >> value) files.Add(key, value);
}

void ReadParameters(std::istream& in, IntRegister& ints, DoubleRegister& doubles) {
  std::string word;
  if (!(in >> word >> word)) return;  // the two header words
  while (in >> word) {
    if (word == "-----") break;
    int value = 0;
    if (!(in >> value)) return;
    ints.Add(word, value);
  }
  if (!(in >> word)) return;  // the real section's name
  while (in >> word) {
    if (word == "-----") break;
    double value = 0.0;
    if (!(in >> value)) return;
    doubles.Add(word, value);
  }
}
