// Update for a problem other than box moving: the page's GP parameters are
// written into the parameter file the problem already has, and every other
// word of that file (seed, number of runs, keys the page does not show) stays
// as it was.
#pragma once

#include <string>

#include "shell/ConfigurationWriter.h"

// existing with the values of the page's eight GP parameters replaced where
// the reader takes them: the first occurrence of each key in its section
// (the integer section up to the second "-----", the real section after it).
// A key the file lacks is added at the end of its section. Separators, line
// ends and every other word are kept byte for byte. A text that does not
// start with "----- int_parameter" is replaced by the page's parameter file.
std::string UpdatedParameterText(const std::string& existing, const WindowSettings& settings);

// Rewrites the parameter file at path (relative to folder, the working
// directory when empty) with UpdatedParameterText, all or nothing. Empty on
// success, otherwise a message naming the file and why it was not written.
std::string WriteParameters(const WindowSettings& settings, const std::string& path,
                            const std::string& folder = "");
