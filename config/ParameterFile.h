// Readers of the file list (key/path pairs) and of the parameter file (an
// integer section and a real section of key/value pairs).
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "config/Register.h"

// Reads whitespace-separated pairs until the end; an incomplete last pair is
// ignored (its key goes to lone, when given). The first occurrence of a key
// wins.
void ReadFileList(std::istream& in, StringRegister& files, std::string* lone = nullptr);

// What a parameter file held that the reader could not take as written: why
// a key may then be missing or have an unexpected value.
struct ParameterFileNotes {
  // A value word that starts with a number but goes on ("1.5" in the integer
  // section): the number is taken and the rest of the word is read as the
  // next key.
  struct Cut {
    std::string key;
    std::string word;
    std::string rest;
  };
  std::vector<Cut> cuts;
  // Set when the reading ended at a value that is not a number of its
  // section's kind: the key before it and the word found instead.
  bool stopped = false;
  bool realSection = false;
  std::string key;
  std::string word;
  // A last key without a value, which is not read.
  std::string lone;
};

// Reads "----- int_parameter" key/int pairs up to "-----", then one ignored
// word, then key/real pairs up to "-----" or the end. A value that does not
// read as a number ends the reading there. Numbers read as a text stream
// reads them, so "1.5" in the integer section gives 1, and ".5" becomes the
// next key. When notes is given, it receives both kinds of surprise.
void ReadParameters(std::istream& in, IntRegister& ints, DoubleRegister& doubles,
                    ParameterFileNotes* notes = nullptr);
