// The parameter keys a run reads, and the warnings for keys it does not know:
// a misspelt key is named with the nearest known one instead of being
// silently ignored.
#pragma once

#include <string>

class DoubleRegister;
class IntRegister;

// Whether key is one a run reads from the integer (or real) section.
bool IsKnownIntKey(const std::string& key);
bool IsKnownDoubleKey(const std::string& key);

// The known key nearest to key by edit distance (insertions, deletions,
// substitutions and swaps of neighbours), or "" when none is near enough to
// be a likely misspelling.
std::string NearestKnownKey(const std::string& key);

// One warning per key of either section that no run reads, in file order,
// naming the parameter file at path.
void WarnUnknownKeys(const IntRegister& ints, const DoubleRegister& doubles, const std::string& path,
                     const std::string& cls, const std::string& method);
