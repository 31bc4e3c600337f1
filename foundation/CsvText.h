// The text of CSV fields as the batch's tables write them: numbers that read
// back to the same double, with a '.' whatever the locale, and text quoted
// only where it must be (a comma, a quote or a line end inside).
#pragma once

#include <string>

// The shortest of "%.17g" form: 17 significant digits, "nan", "inf", "-inf".
std::string CsvNumber(double value);
// The text as one field: within double quotes, each quote doubled, when it
// holds a comma, a double quote, a carriage return or a line feed.
std::string CsvField(const std::string& text);
