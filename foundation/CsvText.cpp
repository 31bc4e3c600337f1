#include "foundation/CsvText.h"

#include <charconv>
#include <cmath>

std::string CsvNumber(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  // to_chars ignores the locale; "general" with precision 17 is %.17g.
  char text[64];
  std::to_chars_result result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 17);
  return std::string(text, result.ptr);
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}
