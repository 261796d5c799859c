#include "core/field_parser.h"

#include <gtest/gtest.h>
#include <locale.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cwchar>
#include <random>
#include <string>
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
  ViewId view;
  std::u16string text;
  Result result;
  std::uint64_t bits = 0;  // the view's bytes, when accepted
};

// Each row over two backgrounds: an accepted text writes exactly its view's bytes and
// clears the message; a rejected one changes nothing and names the view.
void Check(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    const ValueView& view = ViewOf(row.view);
    const std::u16string name(view.name);
    SCOPED_TRACE(Shown(name) + " <- [" + Shown(std::u16string_view(row.text).substr(0, 80)) + "]");
    for (const std::uint64_t background : {0x0123456789ABCDEFull, ~0x0123456789ABCDEFull}) {
      RawValue value = RawValue::FromU64(background);
      std::u16string message = u"stale";
      EXPECT_EQ(ReadFieldText(row.text, view, value, message), row.result == kOk);
      RawValue expected = RawValue::FromU64(background);
      if (row.result == kOk) expected.SetBytes(view.firstByte, view.size, row.bits);
      EXPECT_EQ(value.ToU64(), expected.ToU64());
      const std::u16string wanted = row.result == kOk      ? u""
                                    : row.result == kEmpty ? u"Empty " + name
                                    : row.result == kRange ? name + u" out of range"
                                                           : u"Invalid " + name + u" value";
      EXPECT_EQ(Shown(message), Shown(wanted));
    }
  }
}

TEST(ReadFieldText, MessagesNameEveryView) {
  for (const ValueView& view : ViewTable()) {
    const bool eight = view.size == 8, single = view.kind == ViewKind::Float;
    Check({{view.id, u" \t", kEmpty},
           {view.id, u"zz", kInvalid},
           {view.id, single ? u"1e39" : u"4294967296", eight ? kOk : kRange,
            single ? Bits(1e39) : 1ull << 32}});
  }
}

TEST(ReadFieldText, IntegerNotations) {
  // clang-format off
  Check({{LowInt32, u"\t\u300012 \r\n", kOk, 12}, {LowInt32, u"\u00A012", kInvalid},
         {LowInt32, u"+12", kInvalid}, {LowInt32, u"-  12", kOk, 0xFFFFFFF4},
         {LowInt32, u"-0x10", kOk, 0xFFFFFFF0}, {LowInt32, u"-", kInvalid},
         {LowInt32, u"0x", kOk, 0}, {LowInt32, u"08", kInvalid}, {LowInt32, u"0x1g", kInvalid},
         {LowInt32, u"12 34", kInvalid}, {LowInt32, std::u16string(u"12\0x", 4), kOk, 12},
         {LowInt32, std::u16string(u"\0 1", 3), kEmpty}});
  // clang-format on
}

// Eight binary digits per byte win over octal and decimal; the limits of each width.
TEST(ReadFieldText, BareBinaryAndLimits) {
  // clang-format off
  Check({{Byte2, u"255", kOk, 0xFF}, {Byte2, u"256", kRange}, {Byte2, u"-1", kOk, 0xFF},
         {Byte2, u"-128", kOk, 0x80}, {Byte2, u"-129", kRange}, {Byte2, u"0x100", kRange},
         {Byte2, u"0377", kOk, 0xFF}, {Byte2, u"0b1111", kOk, 0xF},
         {Byte2, u"00000101", kOk, 5}, {Byte2, u"0000101", kOk, 0101},
         {Byte2, u"_0_0_0_0_0_1_0_1_", kOk, 5}, {Byte2, u"000001011", kRange},
         {Byte2, u"12345678", kRange}, {Byte2, u"-00000101", kOk, 0xBF},
         {Byte2, u"________", kInvalid}, {HugeInt64, u"00000101", kOk, 0101},
         {LowInt32, u"00000000_00000000_00000000_00000001", kOk, 1},
         {HugeInt64, u"_1" + std::u16string(63, u'0') + u"_", kOk, 1ull << 63},
         {HugeInt64, u"18446744073709551615", kOk, ~0ull},
         {HugeInt64, u"-9223372036854775808", kOk, 1ull << 63},
         {HugeInt64, u"-9223372036854775809", kInvalid}, {LowInt32, u"4294967295", kOk, ~0u},
         {HighInt32, u"-2147483648", kOk, 1u << 31}, {HighInt32, u"-2147483649", kRange}});
  // clang-format on
}

TEST(ReadFieldText, CharacterLiterals) {
  // clang-format off
  Check({{Byte2, u"'A'", kOk, 0x41}, {Byte2, u"'AB'", kInvalid}, {LowInt32, u"'AB'", kOk, 0x4142},
         {LowInt32, u"\"AB\"", kOk, 0x4241}, {LowInt32, u"''", kOk, 0},
         {HugeInt64, u"'ABCDEFGH'", kOk, 0x4142434445464748},
         {HugeInt64, u"'ABCDEFGHI'", kInvalid}, {Byte2, u"'\\x41'", kOk, 0x41},
         {Byte2, u"'\\0101'", kOk, 0x41}, {Byte2, u"'\\\"'", kOk, 0x22},
         {Byte2, u"'\\x0AA'", kOk, 0xAA} /* \x0A takes the A */,
         {LowInt32, u"'\\400'", kOk, 0x2030}, {LowInt32, u"'\\x100'", kOk, 0x1030},
         {LowInt32, u"'\\xG'", kOk, 0x7847}, {LowInt32, u"'A\\x'", kOk, 0x41},
         {LowInt32, u"'\\'", kOk, 0},
         {LowInt32, u"'A\"B'", kInvalid}, {LowInt32, u"'A\"", kInvalid},
         {LowInt32, u"\"\u00E9\"", kOk, 0xA9C3}, {LowInt32, u"'\U0001F600'", kOk, 0xF09F9880},
         {LowInt32, u"'\xD800'", kOk, 0xEFBFBD}, {LowInt32, u"'\x7F\x80'", kOk, 0x7FC280}});
  // clang-format on
}

TEST(ReadFieldText, FloatKeywordsAndNumbers) {
  constexpr std::uint32_t kS = 0x7FA00000, kQ = 0x7FE00000, kI = 0x7F800000, kMinus = 1u << 31;
  constexpr std::uint64_t kDS = 0x7FF4000000000000, kDQ = 0x7FFC000000000000;
  constexpr std::uint64_t kDI = 0x7FF0000000000000, kDMinus = 1ull << 63;
  const struct {
    std::u16string_view text;
    std::uint32_t single;
    std::uint64_t double64;
  } keywords[] = {// clang-format off
      {u"nan", kS, kDS}, {u"SNaN", kS, kDS}, {u"+NaN", kS, kDS}, {u"+snan", kS, kDS},
      {u"-NAN", kS | kMinus, kDS | kDMinus}, {u"-SNaN", kS | kMinus, kDS | kDMinus},
      {u"qnan", kQ, kDQ}, {u"+QNaN", kQ, kDQ}, {u"-qNaN", kQ | kMinus, kDQ | kDMinus},
      {u" Inf ", kI, kDI}, {u"+INF", kI, kDI}, {u"-inf", kI | kMinus, kDI | kDMinus}};
  // clang-format on
  for (const auto& k : keywords) {
    Check({{LowSingle, std::u16string(k.text), kOk, k.single},
           {Double64, std::u16string(k.text), kOk, k.double64}});
  }
  // clang-format off
  Check({{Double64, u"\u0131nf", kInvalid} /* ASCII case only */, {Double64, u"abc", kInvalid},
         {HighSingle, u"1e39", kRange}, {LowSingle, u"3.4028235e38", kRange},
         {LowSingle, u"-3.4028234663852886e38", kOk, 0xFF7FFFFF}, {LowSingle, u"1e-50", kOk, 0},
         {LowSingle, u"1.4e-45", kOk, 1}, {LowSingle, u"1.5xyz", kOk, 0x3FC00000},
         {Double64, u"'A'", kInvalid}, {Double64, u"00000101", kOk, Bits(101.0)},
         {Double64, u"1,5", kOk, Bits(1.0)}, {Double64, u".", kInvalid},
         {Double64, u"-0", kOk, kDMinus}, {Double64, u"1e400", kOk, kDI},
         {LowSingle, u"-infinity", kRange}});
  // clang-format on
  RawValue value;  // any NaN the C library reads passes the single's range test
  std::u16string message;
  ASSERT_TRUE(ReadFieldText(u"nan(0x123)", ViewOf(LowSingle), value, message));
  EXPECT_TRUE(std::isnan(std::bit_cast<float>(value.ValueLow)));
}

// A text up to the views' own for the largest finite value reads as that value; the
// single's out-of-range and the double's infinities beyond it stay. The smallest
// normal double's own text reads as that value; texts beside it round as ever.
TEST(ReadFieldText, ExtremeValuesAsShown) {
  constexpr std::uint64_t kMax = 0x7FEFFFFFFFFFFFFF, kInf = 0x7FF0000000000000, kMinus = 1ull << 63;
  // clang-format off
  Check({{LowSingle, u" +340.2823466385289E36 ", kOk, 0x7F7FFFFF},
         {HighSingle, u"-340.2823466385289e+36", kOk, 0xFF7FFFFF},
         {LowSingle, u"340.2823466385290e+36", kRange},
         {LowSingle, u"-340.2823466385289e+36x", kRange},
         {LowSingle, u"340.28234663852890000000000000001e36", kRange},
         {LowSingle, u"1e" + std::u16string(1'000'000, u'9'), kRange},
         {Double64, u"179.7693134862316e+306", kOk, kMax},
         {Double64, u"-0." + std::u16string(1'000'000, u'0') + u"1797693134862316e1000309", kOk,
          kMax | kMinus},
         {Double64, u"179.7693134862317e+306", kOk, kInf},
         {Double64, u"-179.76931348623160000000000000001e306", kOk, kInf | kMinus},
         {Double64, u"0x1.fffffffffffff8p1023", kOk, kInf},
         // The smallest normal double's own text, which its largest denormal shares.
         {Double64, u"-2.2250738585072010e-308", kOk, 0x8010000000000000},
         {Double64, u"22.250738585072009e-309", kOk, 0x000FFFFFFFFFFFFF},
         {Double64, u"22.250738585072011e-309", kOk, 0x000FFFFFFFFFFFFF},
         {Double64, u"2.2250738585072014e-308", kOk, 0x0010000000000000}});
  // clang-format on
}

// Both readers on each text: the result, `out` untouched on failure, the last-error code.
TEST(IntegerReaders, ResultsAndLastErrorCodes) {
  constexpr ErrorCode kNull = ERROR_INVALID_PARAMETER, kData = ERROR_INVALID_DATA,
                      kOver = ERROR_ARITHMETIC_OVERFLOW;
  // clang-format off
  const struct {
    std::u16string_view text;
    ErrorCode unsignedError, signedError;  // 0 for success
    std::uint64_t value;
  } rows[] = {
      {{}, kNull, kNull, 0}, {u"", kData, kData, 0}, {u" 0x1F ", 0, 0, 31}, {u"+1", kData, 0, 1},
      {u"+-5", kData, kData, 0}, {u" - 5", kData, 0, std::uint64_t(-5)},
      {u"18446744073709551615", 0, kOver, ~0ull}, {u"18446744073709551616", kOver, kOver, 0},
      {u"-9223372036854775808", kData, 0, 1ull << 63},
      {u"-9223372036854775809", kData, kOver, 0}, {u"+9223372036854775808", kData, kOver, 0}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(Shown(row.text));
    SetLastError(1234);
    std::uint64_t unsignedOut = 77;
    EXPECT_EQ(ParseUnsigned64(row.text, unsignedOut), row.unsignedError == 0);
    EXPECT_EQ(GetLastError(), row.unsignedError);
    EXPECT_EQ(unsignedOut, row.unsignedError == 0 ? row.value : 77);
    SetLastError(1234);
    std::int64_t signedOut = 77;
    EXPECT_EQ(ParseSigned64(row.text, signedOut), row.signedError == 0);
    EXPECT_EQ(GetLastError(), row.signedError);
    EXPECT_EQ(std::uint64_t(signedOut), row.signedError == 0 ? row.value : 77);
  }
  std::uint64_t out = 0;
  EXPECT_FALSE(ParseRadixU64(u"256", out, 255));
  EXPECT_EQ(GetLastError(), kOver);
}

// The quick decimal path reads exactly what the C library reads, or leaves the text to it.
TEST(ReadPlainDecimal, AgreesWithTheCLibrary) {
  // clang-format off
  std::vector<std::string> texts = {"5", "9007199254740993", "2.4703282292062328e-324", "1.", ".5",
                                    "1.7976931348623158e308", "+1.e5", "-0.0e0"};  // all quick
  // clang-format on
  const std::size_t listed = texts.size();
  std::mt19937_64 random(42);
  for (int i = 0; i < 10000; ++i) {
    std::string digits = std::to_string(random() >> (random() % 64));
    if (random() % 4 == 0) digits += std::to_string(random());  // past 19 digits
    const bool negative = random() % 2;
    std::string text = (negative ? "-" : "") + digits;
    text.insert(negative + random() % (digits.size() + 1), ".");
    if (random() % 2) text += "e" + std::to_string(static_cast<int>(random() % 700) - 350);
    texts.push_back(text);
  }
  int quick = 0;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::u16string text(texts[i].begin(), texts[i].end());
    double fast = 0.0, slow = 0.0;
    const bool taken = ReadPlainDecimal(text, fast);
    EXPECT_TRUE(taken || i >= listed) << texts[i];
    if (!taken) continue;
    ++quick;
    ASSERT_TRUE(ScanDouble(text, slow)) << texts[i];
    ASSERT_EQ(Bits(fast), Bits(slow)) << texts[i];
  }
  EXPECT_GT(quick, 9000);
  double out = 7.0;
  for (const std::u16string& text :
       std::vector<std::u16string>{u"1e", u".", u"+", u"1.5x", u" 1", u"inf", u"0x1p3", u"1,5",
                                   u"1e999999", u"1" + std::u16string(64, u'0')}) {
    EXPECT_FALSE(ReadPlainDecimal(text, out)) << Shown(text);
  }
  EXPECT_EQ(out, 7.0);
}

// Float fields read the "C" way whatever the locale of the process or the thread, and
// the thread keeps its own locale.
TEST(ScanDouble, ReadsInTheCLocale) {
  const locale_t own = newlocale(LC_ALL_MASK, "C.UTF-8", locale_t{});
  const locale_t before = uselocale(own);
  double out = 0.0;
  EXPECT_TRUE(ScanDouble(u"1,5", out));
  EXPECT_EQ(out, 1.0);
  EXPECT_EQ(uselocale(locale_t{}), own);
  uselocale(before);
  freelocale(own);

  const std::string saved = std::setlocale(LC_ALL, nullptr);
  for (const char* name :
       {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "ru_RU.UTF-8"}) {
    if (std::setlocale(LC_ALL, name) == nullptr || *std::localeconv()->decimal_point != ',') {
      continue;
    }
    EXPECT_EQ(std::swscanf(L"1,5", L"%lf", &out), 1);
    EXPECT_EQ(out, 1.5) << name << " itself reads a decimal comma";
    Check({{Double64, u"1.5", kOk, Bits(1.5)}, {Double64, u"1,5", kOk, Bits(1.0)}});
    std::setlocale(LC_ALL, saved.c_str());
    return;
  }
  std::setlocale(LC_ALL, saved.c_str());
  GTEST_SKIP() << "no locale with a decimal comma is installed";
}

}  // namespace
}  // namespace bitvane
