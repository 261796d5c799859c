#include "core/field_parser.h"

#include <gtest/gtest.h>
#include <locale.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cwchar>
#include <string>
#include <tuple>
#include <vector>

#include "core/float_readers.h"
#include "platform/last_error.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

using enum ViewId;
using test::Shown;

std::uint64_t Bits(double d) {
  return std::bit_cast<std::uint64_t>(d);
}

enum Result { kOk, kEmpty, kInvalid, kRange };

struct Row {
  std::u16string text;
  Result result;
  std::uint64_t bits = 0;  // the view's bytes, when accepted
};

// Each row over two backgrounds: an accepted text writes exactly its view's bytes and
// clears the message; a rejected one changes nothing and names the view.
void Check(ViewId id, const std::vector<Row>& rows) {
  const ValueView& view = ViewOf(id);
  const std::u16string name(view.name);
  const std::u16string wanted[] = {u"", u"Empty " + name, u"Invalid " + name + u" value",
                                   name + u" out of range"};
  for (const Row& row : rows) {
    SCOPED_TRACE(Shown(name) + " <- [" + Shown(std::u16string_view(row.text).substr(0, 80)) + "]");
    for (const std::uint64_t background : {0x0123456789ABCDEFull, ~0x0123456789ABCDEFull}) {
      RawValue value = RawValue::FromU64(background), expected = value;
      std::u16string message = u"stale";
      EXPECT_EQ(ReadFieldText(row.text, view, value, message), row.result == kOk);
      if (row.result == kOk) expected.SetBytes(view.firstByte, view.size, row.bits);
      EXPECT_EQ(value.ToU64(), expected.ToU64());
      EXPECT_EQ(Shown(message), Shown(wanted[row.result]));
    }
  }
}

TEST(ReadFieldText, MessagesNameEveryView) {
  for (const ValueView& view : ViewTable()) {
    const bool eight = view.size == 8, single = view.kind == ViewKind::Float;
    Check(view.id, {{u" \t", kEmpty},
                    {u"zz", kInvalid},
                    {single ? u"1e39" : u"4294967296", eight ? kOk : kRange,
                     single ? Bits(1e39) : 1ull << 32}});
  }
}

// Eight binary digits per byte win over octal and decimal; the limits of each width;
// character literals, whose first character is the most significant between apostrophes.
TEST(ReadFieldText, IntegerNotationsLimitsAndLiterals) {
  // clang-format off
  Check(LowInt32, {{u"\t\u300012 \r\n", kOk, 12}, {u"\u00A012", kInvalid}, {u"+12", kInvalid},
                   {u"-  12", kOk, 0xFFFFFFF4}, {u"-0x10", kOk, 0xFFFFFFF0}, {u"0x", kOk, 0},
                   {u"08", kInvalid}, {u"12 34", kInvalid}, {std::u16string(u"12\0x", 4), kOk, 12},
                   {std::u16string(u"\0 1", 3), kEmpty}, {u"4294967295", kOk, ~0u},
                   {u"00000000_00000000_00000000_00000001", kOk, 1},
                   {u"'AB'", kOk, 0x4142}, {u"\"AB\"", kOk, 0x4241}, {u"''", kOk, 0},
                   {u"'\\400'", kOk, 0x2030}, {u"'\\x100'", kOk, 0x1030}, {u"'\\xG'", kOk, 0x7847},
                   {u"'A\\x'", kOk, 0x41}, {u"'\\'", kOk, 0}, {u"'A\"B'", kInvalid},
                   {u"'A\"", kInvalid}, {u"\"\u00E9\"", kOk, 0xA9C3}, {u"'\xD800'", kOk, 0xEFBFBD},
                   {u"'\U0001F600'", kOk, 0xF09F9880}, {u"'\x7F\x80'", kOk, 0x7FC280}});
  Check(Byte2, {{u"255", kOk, 0xFF}, {u"256", kRange}, {u"-1", kOk, 0xFF}, {u"-128", kOk, 0x80},
                {u"-129", kRange}, {u"0377", kOk, 0xFF}, {u"00000101", kOk, 5},
                {u"0000101", kOk, 0101}, {u"12345678", kRange}, {u"_0_0_0_0_0_1_0_1_", kOk, 5},
                {u"000001011", kRange}, {u"-00000101", kOk, 0xBF}, {u"________", kInvalid},
                {u"'A'", kOk, 0x41}, {u"'AB'", kInvalid}, {u"'\\x41'", kOk, 0x41},
                {u"'\\0101'", kOk, 0x41}, {u"'\\\"'", kOk, 0x22}, {u"'\\x0AA'", kOk, 0xAA}});
  Check(HugeInt64, {{u"00000101", kOk, 0101}, {u"'ABCDEFGHI'", kInvalid},
                    {u"_1" + std::u16string(63, u'0') + u"_", kOk, 1ull << 63},
                    {u"-9223372036854775808", kOk, 1ull << 63}, {u"-9223372036854775809", kInvalid},
                    {u"'ABCDEFGH'", kOk, 0x4142434445464748},
                    {u"18446744073709551615", kOk, ~0ull}});
  Check(HighInt32, {{u"-2147483648", kOk, 1u << 31}, {u"-2147483649", kRange}});
  // clang-format on
}

// A text up to the views' own for the largest finite value reads as that value; the
// single's out-of-range and the double's infinities beyond it stay. The smallest
// normal double's own text, which its largest denormal shares, reads as that value.
TEST(ReadFieldText, FloatKeywordsNumbersAndExtremes) {
  constexpr std::uint64_t kMax = 0x7FEFFFFFFFFFFFFF, kInf = 0x7FF0000000000000, kMinus = 1ull << 63;
  const std::u16string nines(1'000'000, u'9'), zeros(1'000'000, u'0');
  // clang-format off
  Check(LowSingle, {{u"nan", kOk, 0x7FA00000}, {u"-SNaN", kOk, 0xFFA00000}, {u"-infinity", kRange},
                    {u"+QNaN", kOk, 0x7FE00000}, {u" Inf ", kOk, 0x7F800000}, {u"1e-50", kOk, 0},
                    {u"-3.4028234663852886e38", kOk, 0xFF7FFFFF}, {u"3.4028235e38", kRange},
                    {u"1.4e-45", kOk, 1}, {u"1.5xyz", kOk, 0x3FC00000},
                    {u" +340.2823466385289E36 ", kOk, 0x7F7FFFFF}, {u"1e" + nines, kRange},
                    {u"340.2823466385290e+36", kRange}, {u"-340.2823466385289e+36x", kRange},
                    {u"340.28234663852890000000000000001e36", kRange}});
  Check(Double64, {{u"+snan", kOk, 0x7FF4000000000000}, {u"-NAN", kOk, 0xFFF4000000000000},
                   {u"-qNaN", kOk, 0xFFFC000000000000}, {u"-inf", kOk, kInf | kMinus},
                   {u"\u0131nf", kInvalid} /* ASCII case only */, {u"abc", kInvalid},
                   {u"'A'", kInvalid}, {u"00000101", kOk, Bits(101.0)}, {u"1,5", kOk, Bits(1.0)},
                   {u".", kInvalid}, {u"-0", kOk, kMinus}, {u"1e400", kOk, kInf},
                   {u"179.7693134862316e+306", kOk, kMax}, {u"179.7693134862317e+306", kOk, kInf},
                   {u"-0." + zeros + u"1797693134862316e1000309", kOk, kMax | kMinus},
                   {u"-179.76931348623160000000000000001e306", kOk, kInf | kMinus},
                   {u"0x1.fffffffffffff8p1023", kOk, kInf},
                   {u"-2.2250738585072010e-308", kOk, 0x8010000000000000},
                   {u"22.250738585072009e-309", kOk, 0x000FFFFFFFFFFFFF},
                   {u"22.250738585072011e-309", kOk, 0x000FFFFFFFFFFFFF},
                   {u"2.2250738585072014e-308", kOk, 0x0010000000000000}});
  Check(HighSingle, {{u"-340.2823466385289e+36", kOk, 0xFF7FFFFF}});
  // clang-format on
  RawValue value;  // any NaN the C library reads passes the single's range test
  std::u16string message;
  ASSERT_TRUE(ReadFieldText(u"nan(0x123)", ViewOf(HighSingle), value, message));
  EXPECT_TRUE(std::isnan(std::bit_cast<float>(value.ValueHigh)));
}

// Both readers on each text: the result, `out` untouched on failure, the last-error code.
TEST(IntegerReaders, ResultsAndLastErrorCodes) {
  constexpr ErrorCode kNull = ERROR_INVALID_PARAMETER, kData = ERROR_INVALID_DATA,
                      kOver = ERROR_ARITHMETIC_OVERFLOW;
  // A text, the unsigned and the signed reader's error code (0 for success), the value.
  const std::tuple<std::u16string_view, ErrorCode, ErrorCode, std::uint64_t> rows[] = {
      // clang-format off
      {{}, kNull, kNull, 0}, {u"", kData, kData, 0}, {u" 0x1F ", 0, 0, 31}, {u"+1", kData, 0, 1},
      {u"+-5", kData, kData, 0}, {u" - 5", kData, 0, std::uint64_t(-5)},
      {u"18446744073709551615", 0, kOver, ~0ull}, {u"18446744073709551616", kOver, kOver, 0},
      {u"-9223372036854775808", kData, 0, 1ull << 63},
      {u"-9223372036854775809", kData, kOver, 0}, {u"+9223372036854775808", kData, kOver, 0}};
  // clang-format on
  for (const auto& [text, unsignedError, signedError, value] : rows) {
    SCOPED_TRACE(Shown(text));
    const auto check = [&]<typename T>(bool (*read)(std::u16string_view, T&) noexcept,
                                       ErrorCode error) {
      SetLastError(1234);
      T out = 77;
      EXPECT_EQ(read(text, out), error == 0);
      EXPECT_EQ(GetLastError(), error);
      EXPECT_EQ(std::uint64_t(out), error == 0 ? value : 77);
    };
    check(ParseUnsigned64, unsignedError);
    check(ParseSigned64, signedError);
  }
  std::uint64_t out = 0;  // a maximum of the caller's
  EXPECT_TRUE(!ParseRadixU64(u"256", out, 255) && GetLastError() == kOver);
}

// The quick decimal path reads exactly what the C library reads, or leaves the text to it.
TEST(ReadPlainDecimal, AgreesWithTheCLibrary) {
  for (const std::u16string_view text :
       {u"5", u"9007199254740993", u"2.4703282292062328e-324", u"1.", u".5", u"+1.e5", u"-0.0e0",
        u"1.7976931348623158e308", u"12345678901234567890123.4567e-3"}) {
    double fast = 0.0, slow = 0.0;
    ASSERT_TRUE(ReadPlainDecimal(text, fast) && ScanDouble(text, slow)) << Shown(text);
    EXPECT_EQ(Bits(fast), Bits(slow)) << Shown(text);
  }
  double out = 7.0;
  for (const std::u16string& text :
       std::vector<std::u16string>{u"1e", u".", u"+", u"1.5x", u" 1", u"inf", u"0x1p3", u"1,5",
                                   u"1e999999", u"1" + std::u16string(64, u'0')})
    EXPECT_FALSE(ReadPlainDecimal(text, out)) << Shown(text);
  EXPECT_EQ(out, 7.0);
}

// Float fields read the "C" way whatever the locale of the process or the thread, and
// the thread keeps its own locale.
TEST(ScanDouble, ReadsInTheCLocale) {
  const locale_t own = newlocale(LC_ALL_MASK, "C.UTF-8", locale_t{});
  const locale_t before = uselocale(own);
  double out = 0.0;
  EXPECT_TRUE(ScanDouble(u"1,5", out) && out == 1.0 && uselocale(locale_t{}) == own);
  uselocale(before);
  freelocale(own);
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
    if (std::setlocale(LC_ALL, name) != nullptr && *std::localeconv()->decimal_point == ',') {
      EXPECT_TRUE(std::swscanf(L"1,5", L"%lf", &out) == 1 && out == 1.5) << name;
      Check(Double64, {{u"1.5", kOk, Bits(1.5)}, {u"1,5", kOk, Bits(1.0)}});
      break;
    }
  }
  std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
}  // namespace bitvane
