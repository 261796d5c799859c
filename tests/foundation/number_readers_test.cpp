#include "foundation/number_readers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/last_error.h"

namespace bitvane {
namespace {

constexpr std::uint32_t kMax = 0xFFFFFFFFu;
constexpr std::uint32_t kUntouched = 0xDEADBEEFu;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr ErrorCode kData = ERROR_INVALID_DATA;
constexpr ErrorCode kOverflow = ERROR_ARITHMETIC_OVERFLOW;

// The first characters of a text, for failure messages.
std::string Shown(const std::u16string& text) {
  return std::string(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(
                                                      std::min<std::size_t>(text.size(), 40)));
}

struct U32Row {
  std::u16string text;
  std::uint32_t radix;
  std::uint32_t maximum;
  ErrorCode error;  // 0 for success
  std::uint32_t value;
};

TEST(ParseUnsigned32, WideAndNarrow) {
  const std::u16string ones(32, u'1');
  const std::u16string mega(1 << 20, u'0');
  const std::u16string blanks(1 << 20, u' ');
  const U32Row rows[] = {
      {u"0x1F", 1, kMax, 0, 31},
      {u"0X1f", 1, kMax, 0, 31},
      {u"0b101", 1, kMax, 0, 5},
      {u"017", 1, kMax, 0, 15},
      {u"0x", 1, kMax, 0, 0},
      {u"0b", 1, kMax, 0, 0},
      {u"0 ", 1, kMax, 0, 0},
      {u" \t42 \r\n", 1, kMax, 0, 42},
      {u"08", 1, kMax, kData, 0},
      {u"017x5", 1, kMax, kData, 0},
      {u"4 2", 1, kMax, kData, 0},
      {u"", 1, kMax, kData, 0},
      {u"   ", 1, kMax, kData, 0},
      {u"-1", 1, kMax, kData, 0},
      {u"0x1g", 1, kMax, kData, 0},
      {u"0b2", 1, kMax, kData, 0},
      {u"\b1", 1, kMax, kData, 0},
      // Exact 32-bit limits in every base, and the caller's maximum.
      {u"4294967295", 1, kMax, 0, kMax},
      {u"4294967296", 1, kMax, kOverflow, 0},
      {u"0xFFFFFFFF", 1, kMax, 0, kMax},
      {u"0x100000000", 1, kMax, kOverflow, 0},
      {u"037777777777", 1, kMax, 0, kMax},
      {u"040000000000", 1, kMax, kOverflow, 0},
      {u"0b" + ones, 1, kMax, 0, kMax},
      {u"0b1" + ones, 1, kMax, kOverflow, 0},
      {u"300", 1, 255, kOverflow, 0},
      {u"255", 1, 255, 0, 255},
      // A given radix: its own digits, no prefix.
      {u"ff", 16, kMax, 0, 255},
      {u"0x10", 16, kMax, kData, 0},
      {u"040904b0", 16, kMax, 0, 0x040904B0},
      {u"100000000", 16, kMax, kOverflow, 0},
      {u"zZ", 36, kMax, 0, 1295},
      {u"1z141z3", 36, kMax, 0, kMax},
      {u"1z141z4", 36, kMax, kOverflow, 0},
      {u"102002022201221111210", 3, kMax, 0, kMax},
      {u"3", 3, kMax, kData, 0},
      {ones, 2, kMax, 0, kMax},
      {u"1" + ones, 2, kMax, kOverflow, 0},
      {u"777", 8, kMax, 0, 511},
      {u"8", 8, kMax, kData, 0},
      {u"0x1", 10, kMax, kData, 0},
      {u"", 16, kMax, kData, 0},
      {u"1 x", 16, kMax, kData, 0},
      {u"1", 0, kMax, ERROR_INVALID_PARAMETER, 0},
      {u"1", 37, kMax, ERROR_INVALID_PARAMETER, 0},
      // Megabyte texts.
      {blanks + mega + u"4294967295" + blanks, 10, kMax, 0, kMax},
      {mega + u"17", 1, kMax, 0, 15},
      {u"0x" + mega + u"1", 1, kMax, 0, 1},
      {blanks, 1, kMax, kData, 0},
      {std::u16string(1 << 20, u'9'), 10, kMax, kOverflow, 0},
  };
  for (const U32Row& row : rows) {
    const std::string narrow(row.text.begin(), row.text.end());
    for (const bool wide : {true, false}) {
      SetLastError(ERROR_NOT_FOUND);
      std::uint32_t out = kUntouched;
      const bool ok =
          ParseUnsigned32(wide ? static_cast<const void*>(row.text.c_str()) : narrow.c_str(),
                          row.radix, wide, row.maximum, out);
      const std::string where =
          Shown(row.text) + " radix " + std::to_string(row.radix) + (wide ? " wide" : " narrow");
      EXPECT_EQ(ok, row.error == 0) << where;
      EXPECT_EQ(GetLastError(), row.error) << where;
      EXPECT_EQ(out, row.error == 0 ? row.value : kUntouched) << where;
    }
  }
  std::uint32_t out = kUntouched;
  EXPECT_FALSE(ParseUnsigned32(nullptr, 10, true, kMax, out));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(ParseUnsigned32, EverySingleCharacter) {
  for (std::uint32_t unit = 1; unit <= 0xFFFF; ++unit) {
    const char16_t c = static_cast<char16_t>(unit);
    const char16_t text[] = {c, 0};
    const bool decimal = c >= u'0' && c <= u'9';
    const bool alnum = decimal || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    std::uint32_t out = 0;
    EXPECT_EQ(ParseUnsigned32(text, 1, true, kMax, out), decimal) << unit;
    EXPECT_EQ(ParseUnsigned32(text, 36, true, kMax, out), alnum) << unit;
    EXPECT_EQ(GetLastError(), alnum ? ERROR_SUCCESS : kData) << unit;
  }
  // A byte from 0x80 up is neither digit nor blank, not even 0x85 or 0xA0.
  for (int byte = 1; byte <= 0xFF; ++byte) {
    const char narrow[] = {'1', static_cast<char>(byte), 0};
    const char16_t wide[] = {u'1', static_cast<char16_t>(byte), 0};
    std::uint32_t fromNarrow = kUntouched;
    std::uint32_t fromWide = kUntouched;
    const bool ok = ParseUnsigned32(narrow, 36, false, kMax, fromNarrow);
    EXPECT_EQ(ok, byte < 0x80 && ParseUnsigned32(wide, 36, true, kMax, fromWide)) << byte;
    EXPECT_EQ(fromNarrow, fromWide) << byte;
  }
  std::uint32_t out = 0;
  EXPECT_TRUE(ParseUnsigned32(u"1\u0085", 1, true, kMax, out));
  EXPECT_FALSE(ParseUnsigned32(u"1\u00A0", 1, true, kMax, out));  // no-break space
}

// The shared reader: its sign, its width and its ends, over wide and narrow text.
TEST(ReadIntegerText, SignWidthAndEnds) {
  constexpr std::uint64_t k32 = kMax, k64 = ~0ull;
  const std::string ones(64, '1');
  const struct {
    std::string text;
    IntegerForm form;
    ErrorCode error;  // 0 for success
    std::uint64_t magnitude;
    bool negative;
  } rows[] = {
      {"-5", {1, true, k64}, 0, 5, true},
      {" + 0x10 ", {1, true, k64}, 0, 16, false},
      {"-\t017", {1, true, k64}, 0, 15, true},
      {"-0", {1, true, k64}, 0, 0, true},
      {"-ff", {16, true, k64}, 0, 255, true},
      {"-", {1, true, k64}, kData, 0, false},
      {" + ", {1, true, k64}, kData, 0, false},
      {"+-5", {1, true, k64}, kData, 0, false},
      {"- -5", {1, true, k64}, kData, 0, false},
      {"5-", {1, true, k64}, kData, 0, false},
      {"0x-5", {1, true, k64}, kData, 0, false},
      {"-5", {1, false, k64}, kData, 0, false},
      {"+5", {10, false, k64}, kData, 0, false},
      // The width stops the digits at once; a wider one leaves the text to be judged.
      {"4294967296x", {1, false, k32}, kOverflow, 0, false},
      {"4294967296x", {1, false, k64}, kData, 0, false},
      {"4294967296", {1, false, k64}, 0, 1ull << 32, false},
      {"18446744073709551615", {1, false, k64}, 0, k64, false},
      {"18446744073709551616", {1, false, k64}, kOverflow, 0, false},
      {"0xFFFFFFFFFFFFFFFF", {1, false, k64}, 0, k64, false},
      {"0x1FFFFFFFFFFFFFFFF", {1, false, k64}, kOverflow, 0, false},
      {"01777777777777777777777", {1, false, k64}, 0, k64, false},
      {"02000000000000000000000", {1, false, k64}, kOverflow, 0, false},
      {"0b" + ones, {1, false, k64}, 0, k64, false},
      {"0b1" + ones, {1, false, k64}, kOverflow, 0, false},
      {"3w5e11264sgsf", {36, false, k64}, 0, k64, false},
      {"3w5e11264sgsg", {36, false, k64}, kOverflow, 0, false},
      {"ff", {16, false, 255}, 0, 255, false},
      {"100", {16, false, 255}, kOverflow, 0, false},
      {"0", {1, false, 0}, 0, 0, false},
      {"1", {1, false, 0}, kOverflow, 0, false},
      // A NUL ends the text.
      {std::string("12\0x", 4), {1, false, k64}, 0, 12, false},
      {std::string("-\0 1", 4), {1, true, k64}, kData, 0, false},
      {std::string("0\0", 2), {1, false, k64}, 0, 0, false},
  };
  for (const auto& row : rows) {
    const std::u16string wide(row.text.begin(), row.text.end());
    for (const bool isWide : {true, false}) {
      SetLastError(ERROR_NOT_FOUND);
      IntegerText out{kUntouched, true};
      const bool ok = isWide ? ReadIntegerText(wide, row.form, out)
                             : ReadIntegerText(std::string_view(row.text), row.form, out);
      const std::string where = row.text.substr(0, 40) + (isWide ? " wide" : " narrow");
      EXPECT_EQ(ok, row.error == 0) << where;
      EXPECT_EQ(GetLastError(), row.error) << where;
      EXPECT_EQ(out.magnitude, row.error == 0 ? row.magnitude : kUntouched) << where;
      EXPECT_EQ(out.negative, row.error == 0 ? row.negative : true) << where;
    }
  }
}

TEST(ParseDouble, Texts) {
  const std::u16string blanks(1 << 20, u' ');
  const struct {
    std::u16string text;
    bool ok;
    double value;
  } rows[] = {
      {u"12.5", true, 12.5},
      {u"-1e3", true, -1000},
      {u"-1D3", true, -1000},
      {u"1d+2", true, 100},
      {u"1E-2", true, 0.01},
      {u".5", true, 0.5},
      {u".", true, 0},
      {u"-.", true, -0.0},
      {u"1e", true, 1},
      {u"1e+", true, 1},
      {u"1.", true, 1},
      {u" 7 ", true, 7},
      {u"+ 7", true, 7},
      {u"-0", true, -0.0},
      {u"\b1\u3000\u00A0", true, 1},
      {u"+", false, 0},
      {u"", false, 0},
      {u"  ", false, 0},
      {u"1.2.3", false, 0},
      {u"1x", false, 0},
      {u"e5", false, 0},
      {u"1e5e", false, 0},
      {u"1 2", false, 0},
      {u"- -1", false, 0},
      {u"1e+-2", false, 0},
      {u"1e2.5", false, 0},
      {u"\u20281", false, 0},
      {u"inf", false, 0},
      // The nearest double, not an accumulation of rounding errors.
      {u"0.1", true, 0.1},
      {u"12.34", true, 12.34},
      {u"123456789012345678901234567890", true, 123456789012345678901234567890.0},
      {u"2.2250738585072014e-308", true, std::numeric_limits<double>::min()},
      {u"4.9406564584124654e-324", true, std::numeric_limits<double>::denorm_min()},
      {u"1.7976931348623157e308", true, std::numeric_limits<double>::max()},
      {u"9007199254740993", true, 9007199254740992.0},  // a tie goes to even
      {u"9007199254740993." + std::u16string(1000, u'0') + u"1", true, 9007199254740994.0},
      // Out of range: infinities and zeros, never a NaN.
      {u"1.7976931348623159e308", true, kInf},
      {u"-1e400", true, -kInf},
      {u"-1e-400", true, -0.0},
      {u"0e99999999999999999999999", true, 0.0},
      {u"1e99999999999999999999999", true, kInf},
      {u"1e-99999999999999999999999", true, 0.0},
      // Megabyte texts.
      {blanks + u"5" + blanks, true, 5},
      {blanks + u"x", false, 0},
      {u"0." + std::u16string(999999, u'0') + u"1e1000000", true, 1},
      {u"1" + std::u16string(1000000, u'0') + u"e-1000000", true, 1},
      {std::u16string(1 << 20, u'9'), true, kInf},
      {u"1e" + blanks.substr(1) + u"0", false, 0},
  };
  for (const auto& row : rows) {
    SetLastError(ERROR_NOT_FOUND);
    double out = -12345.0;
    EXPECT_EQ(ParseDouble(row.text.c_str(), out), row.ok) << Shown(row.text);
    // Bit for bit, so that -0 differs from +0.
    EXPECT_EQ(std::bit_cast<std::uint64_t>(out),
              std::bit_cast<std::uint64_t>(row.ok ? row.value : -12345.0))
        << Shown(row.text) << " gave " << out;
    EXPECT_EQ(GetLastError(), ERROR_NOT_FOUND) << Shown(row.text);
  }
  double out = 5.0;
  EXPECT_FALSE(ParseDouble(nullptr, out));
  EXPECT_EQ(out, 5.0);

  for (std::uint32_t unit = 1; unit <= 0xFFFF; ++unit) {
    const char16_t text[] = {static_cast<char16_t>(unit), 0};
    const bool digit = unit >= u'0' && unit <= u'9';
    out = 0.0;
    EXPECT_EQ(ParseDouble(text, out), digit || unit == u'.') << unit;
    EXPECT_EQ(out, digit ? unit - u'0' : 0.0) << unit;
  }
}

TEST(IsFinite, ExponentField) {
  EXPECT_TRUE(IsFinite(-0.0));
  EXPECT_TRUE(IsFinite(std::numeric_limits<double>::denorm_min()));
  EXPECT_TRUE(IsFinite(-std::numeric_limits<double>::max()));
  EXPECT_FALSE(IsFinite(-kInf));
  EXPECT_FALSE(IsFinite(std::bit_cast<double>(std::uint64_t{0x7FF0000000000001u})));  // NaN
  EXPECT_FALSE(IsFinite(std::bit_cast<double>(std::uint64_t{0xFFFFFFFFFFFFFFFFu})));
}

}  // namespace
}  // namespace bitvane
