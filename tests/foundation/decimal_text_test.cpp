#include "foundation/decimal_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/support/sample_doubles.h"

namespace bitvane {
namespace {

using test::Double;
using test::Narrow;

TEST(DecimalText, PlainText) {
  const struct {
    double value;
    std::u16string text;
  } rows[] = {
      {-0.0, u"-0"},
      {1e20, u"100000000000000000000"},
      {-1.5e-7, u"-0.00000015"},
      {0.1 + 0.2, u"0.3"},
      {static_cast<double>(0.1f), u"0.1000000014901161"},
      {DBL_MAX, u"1797693134862316" + std::u16string(293, u'0')},
      {-DBL_TRUE_MIN, u"-0." + std::u16string(323, u'0') + u"4940656458412465"},
      {HUGE_VAL, u"Inf"},
      {-HUGE_VAL, u"-Inf"},
      {Double(0x7FF8000000000000), u"Nan"},
      {Double(0xFFF0000000000001), u"-Nan"},  // signalling
  };
  for (const auto& row : rows) {
    EXPECT_EQ(DoubleToPlainText(row.value), row.text) << row.value;
    EXPECT_EQ(NonFiniteText(row.value).has_value(), !std::isfinite(row.value)) << row.value;
  }
}

TEST(DecimalText, SignificantDigitsTakeFourteenOrSixteen) {
  const struct {
    double value;
    std::string_view digits;
    int point;
  } rows[] = {
      {0.0, "", 1},
      {1.0 / 3, "3333333333333333", 0},  // 14 digits end in no zero: 16 taken
      {5.0 / 3, "1666666666666667", 1},
      {12345678901.0, "12345678901", 11},     // 14 digits end in three zeros
      {1.000000000100004, "10000000001", 1},  // the 14 digits hide the 16th
      {1.00000000000012, "100000000000012", 1},
      {9.99999999999999, "1", 2},  // rounding carries past the point
      // 16 digits ending in 50: the exact value decides the 14-digit rounding
      {1.00000000000005, "1", 1},             // ...0499600...: down
      {1.0000000009999501, "1000000001", 1},  // ...9995012...: up to four zeros
  };
  for (const auto& row : rows) {
    for (const double value : {row.value, -row.value}) {
      const DecimalDigits digits = SignificantDigits(value);
      EXPECT_EQ(digits.Digits(), row.digits) << value;
      EXPECT_EQ(digits.point, row.point) << value;
      EXPECT_EQ(digits.negative, std::signbit(value)) << value;
    }
  }
}

// Against the C library's correctly rounded conversion.
TEST(DecimalText, DigitsMatchTheCLibraryAndThePlainTextTheirLength) {
  const auto rounded = [](double value, int count, int& point) {
    char text[40];
    std::snprintf(text, sizeof text, "%.*e", count - 1, std::fabs(value));
    point = std::atoi(std::strchr(text, 'e') + 1) + 1;
    return text[0] + std::string(text + 2, static_cast<std::size_t>(count - 1));
  };
  for (const double value : test::SampleDoubles()) {
    if (!std::isfinite(value)) continue;
    int point = 0;
    std::string expected = rounded(value, 14, point);
    const std::size_t zeros = expected.size() - expected.find_last_not_of('0') - 1;
    if (value != 0 && zeros < 3) expected = rounded(value, 16, point);
    expected.erase(expected.find_last_not_of('0') + 1);
    const DecimalDigits digits = SignificantDigits(value);
    ASSERT_EQ(digits.Digits(), expected) << value;
    ASSERT_EQ(digits.point, point) << value;
    ASSERT_EQ(static_cast<std::int64_t>(DoubleToPlainText(value).size()),
              PlaceDecimalPointLength(static_cast<std::int64_t>(digits.count), digits.point,
                                      digits.negative))
        << value;
  }
}

TEST(DecimalText, PlaceDecimalPointWithoutDigits) {
  EXPECT_EQ(PlaceDecimalPoint("", 0, false), u"0");
  EXPECT_EQ(PlaceDecimalPointLength(0, 0, false), 1);
  EXPECT_EQ(PlaceDecimalPoint("", 2, true), u"-00");
  EXPECT_EQ(PlaceDecimalPointLength(0, 2, true), 3);
}

}  // namespace
}  // namespace bitvane
