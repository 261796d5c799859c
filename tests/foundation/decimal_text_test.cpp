#include "foundation/decimal_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/sample_doubles.h"

namespace bitvane {
namespace {

using test::Double;
using test::Narrow;
// A finite single, widened exactly.
double Single(std::uint32_t bits) {
  return static_cast<double>(std::bit_cast<float>(bits));
}

using test::SampleDoubles;

TEST(DecimalText, PlainTextExamples) {
  struct Row {
    const char* name;
    double value;
    std::u16string_view plain;  // empty: only the length is given
    std::size_t plainLength;
  };
  const Row rows[] = {
      {"0", 0.0, u"0", 1},
      {"-0", -0.0, u"-0", 2},
      {"1", 1.0, u"1", 1},
      {"1.5", 1.5, u"1.5", 3},
      {"1000", 1000.0, u"1000", 4},
      {"10000", 10000.0, u"10000", 5},
      {"1000000", 1e6, u"1000000", 7},
      {"123456789", 123456789.0, u"123456789", 9},
      {"12345.678", 12345.678, u"12345.678", 9},
      {"0.00001", 0.00001, u"0.00001", 7},
      {"0.1", 0.1, u"0.1", 3},
      {"0.1 + 0.2", 0.1 + 0.2, u"0.3", 3},
      {"1e20", 1e20, u"100000000000000000000", 21},
      {"-1.5e-7", -1.5e-7, u"-0.00000015", 11},
      {"largest double", DBL_MAX, u"", 309},
      {"smallest denormal", DBL_TRUE_MIN, u"", 341},
      {"single 0.1", Single(0x3DCCCCCD), u"0.1000000014901161", 18},
      {"single 1/3", Single(0x3EAAAAAB), u"0.3333333432674408", 18},
      {"largest single", Single(0x7F7FFFFF), u"", 39},
      {"smallest denormal single", Single(1), u"", 62},
      {"+inf", HUGE_VAL, u"Inf", 3},
      {"-inf", -HUGE_VAL, u"-Inf", 4},
      {"quiet nan", Double(0x7FF8000000000000), u"Nan", 3},
      {"-signalling nan", Double(0xFFF0000000000001), u"-Nan", 4},
      {"widened single -signalling nan", Double(0xFFF4000000000000), u"-Nan", 4},
  };
  for (const Row& row : rows) {
    const std::u16string plain = DoubleToPlainText(row.value);
    EXPECT_TRUE(row.plain.empty() || plain == row.plain) << row.name << ": " << Narrow(plain);
    EXPECT_EQ(plain.size(), row.plainLength) << row.name;
    EXPECT_EQ(NonFiniteText(row.value).has_value(), !std::isfinite(row.value)) << row.name;
  }
  EXPECT_EQ(DoubleToPlainText(DBL_MAX), u"1797693134862316" + std::u16string(293, u'0'));
  EXPECT_EQ(DoubleToPlainText(-DBL_TRUE_MIN),
            u"-0." + std::u16string(323, u'0') + u"4940656458412465");
  EXPECT_FALSE(NonFiniteText(DBL_TRUE_MIN).has_value());
}

TEST(DecimalText, SignificantDigitsTakeFourteenOrSixteen) {
  struct Row {
    double value;
    std::string_view digits;
    int point;
  };
  const Row rows[] = {
      {0.0, "", 1},
      {0.001, "1", -2},
      {1.0 / 3, "3333333333333333", 0},  // 14 digits end in no zero: 16 taken
      {5.0 / 3, "1666666666666667", 1},
      {12345678901.0, "12345678901", 11},  // 14 digits end in three zeros
      {123456789012.0, "123456789012", 12},
      {1.000000000100004, "10000000001", 1},  // the 14 digits hide the 16th
      {1.00000000000012, "100000000000012", 1},
      {9.99999999999999, "1", 2},  // rounding carries past the point
      // 16 digits ending in 50: the exact value decides the 14-digit rounding
      {1.00000000000005, "1", 1},             // ...0499600...: down
      {1.0000000009999501, "1000000001", 1},  // ...9995012...: up to four zeros
  };
  for (const Row& row : rows) {
    for (const double value : {row.value, -row.value}) {
      const DecimalDigits digits = SignificantDigits(value);
      EXPECT_EQ(digits.Digits(), row.digits) << value;
      EXPECT_EQ(digits.point, row.point) << value;
      EXPECT_EQ(digits.negative, std::signbit(value)) << value;
    }
  }
}

// The digit rule again, from the C library's correctly rounded conversion.
std::string ReferenceDigits(double value, int& point) {
  const auto rounded = [&](int count) {
    char text[40];
    std::snprintf(text, sizeof text, "%.*e", count - 1, std::fabs(value));
    point = std::atoi(std::strchr(text, 'e') + 1) + 1;
    return text[0] + std::string(text + 2, static_cast<std::size_t>(count - 1));
  };
  const auto zeros = [](const std::string& d) { return d.size() - d.find_last_not_of('0') - 1; };
  std::string digits = rounded(14);
  if (digits.find_first_not_of('0') != std::string::npos && zeros(digits) < 3) digits = rounded(16);
  digits.erase(digits.find_last_not_of('0') + 1);
  return digits;
}

TEST(DecimalText, DigitsMatchTheCLibraryAndThePlainTextTheirLength) {
  for (const double value : SampleDoubles()) {
    if (!std::isfinite(value)) continue;
    int point = 0;
    const std::string expected = ReferenceDigits(value, point);
    const DecimalDigits digits = SignificantDigits(value);
    ASSERT_EQ(digits.Digits(), expected) << value;
    ASSERT_EQ(digits.point, point) << value;
    ASSERT_EQ(static_cast<std::int64_t>(DoubleToPlainText(value).size()),
              PlaceDecimalPointLength(static_cast<std::int64_t>(digits.count), digits.point,
                                      digits.negative))
        << value;
  }
}

TEST(DecimalText, PlaceDecimalPointWithoutDigitsOrBeforeThem) {
  struct Row {
    std::string_view digits;
    int point;
    bool negative;
    std::u16string_view text;
  };
  const Row rows[] = {
      {"", 0, false, u"0"},       {"12", 5, true, u"-12000"}, {"123", 2, false, u"12.3"},
      {"5", -2, true, u"-0.005"}, {"", 1, true, u"-0"},       {"7", 1, false, u"7"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(PlaceDecimalPoint(row.digits, row.point, row.negative), row.text) << row.digits;
    EXPECT_EQ(PlaceDecimalPointLength(static_cast<std::int64_t>(row.digits.size()), row.point,
                                      row.negative),
              static_cast<std::int64_t>(row.text.size()))
        << row.digits;
  }
}

}  // namespace
}  // namespace bitvane
