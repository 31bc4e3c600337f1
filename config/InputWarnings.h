// Warning lines that tell the user which file or which word an input problem
// is about, written just before a report that names neither, or when a file
// was read only in part.
#pragma once

#include <fstream>
#include <string>

struct ParameterFileNotes;

// Opens path for reading as a text stream; false (with errno telling why)
// when it cannot be opened or is a folder, which opens but reads as nothing.
bool OpenInputFile(std::ifstream& in, const std::string& path);

// "<role> <path> can not be opened: <reason>", for example
// "Problem file input/problem.txt can not be opened: No such file or
// directory". Call right after the failed open, while errno still tells why.
void WarnCanNotOpen(const std::string& role, const std::string& path, const std::string& cls,
                    const std::string& method);

// A warning naming the parameter file at path when its reading stopped
// early at a value that is not a number.
void WarnParameterNotes(const ParameterFileNotes& notes, const std::string& path, const std::string& cls,
                        const std::string& method);
