#include "foundation/CsvText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {
TEST(CsvTextTest, NumbersReadBackToTheSameDoubleWithADotInAnyLocale) {
  // A locale with a decimal comma, where one is installed, must not leak in.
  const char* previous = std::setlocale(LC_ALL, nullptr);
  std::string saved = previous != nullptr ? previous : "C";
  bool comma = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  for (double value : {0.0, -0.0, 1.0, 0.1, 1.0 / 3.0, -2.5e-300, 1e300, 123456789.123456789,
                       std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max()}) {
    std::string text = CsvNumber(value);
    EXPECT_EQ(text.find(','), std::string::npos) << text;
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
  }
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(CsvNumber(2.0), "2");
  EXPECT_EQ(CsvNumber(0.1), "0.10000000000000001");  // as %.17g
  EXPECT_EQ(CsvNumber(1e21), "1e+21");
  EXPECT_EQ(CsvNumber(std::nan("")), "nan");
  EXPECT_EQ(CsvNumber(-std::numeric_limits<double>::infinity()), "-inf");
  if (!comma) GTEST_LOG_(INFO) << "no decimal-comma locale installed; checked in the C locale only";
}

TEST(CsvTextTest, FieldsAreQuotedOnlyWhereTheyMustBe) {
  EXPECT_EQ(CsvField("(+ x (* x x))"), "(+ x (* x x))");
  EXPECT_EQ(CsvField(""), "");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
  EXPECT_EQ(CsvField("cr\r"), "\"cr\r\"");
}
}  // namespace
