// Readers of the file list (key/path pairs) and of the parameter file (an
// integer section and a real section of key/value pairs).
#pragma once

#include <istream>

#include "config/Register.h"

// Reads whitespace-separated pairs until the end; an incomplete last pair is
// ignored. The first occurrence of a key wins.
void ReadFileList(std::istream& in, StringRegister& files);

// Reads "----- int_parameter" key/int pairs up to "-----", then one ignored
// word, then key/real pairs up to "-----" or the end. A value that does not
// read as a number ends the reading there.
void ReadParameters(std::istream& in, IntRegister& ints, DoubleRegister& doubles);
