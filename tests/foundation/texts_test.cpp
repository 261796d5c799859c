#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "foundation/ansi_to_wide.h"
#include "foundation/crc32.h"
#include "foundation/csv_field.h"
#include "foundation/decimal_text.h"
#include "foundation/font_spec.h"
#include "foundation/number_readers.h"
#include "foundation/number_text.h"
#include "foundation/white_space.h"
#include "foundation/wide_to_utf8.h"
#include "platform/last_error.h"
#include "tests/support/make_font_spec.h"
#include "tests/support/sample_doubles.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

using namespace std::string_literals;
using test::Double;
using test::Narrow;
constexpr std::uint32_t kMax = 0xFFFFFFFFu;
constexpr std::uint32_t kUntouched = 0xDEADBEEFu;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr ErrorCode kData = ERROR_INVALID_DATA;
constexpr ErrorCode kOverflow = ERROR_ARITHMETIC_OVERFLOW;

// Reads wide and narrow, which must agree: "-"magnitude, "data" or "overflow".
std::string Read(const std::string& text, IntegerForm form) {
  IntegerText wide{kUntouched, true}, narrow{kUntouched, true};
  SetLastError(ERROR_NOT_FOUND);
  const bool ok = ReadIntegerText(std::u16string(text.begin(), text.end()), form, wide);
  const ErrorCode error = GetLastError();
  EXPECT_TRUE(ok ? error == ERROR_SUCCESS : wide.magnitude == kUntouched && wide.negative);
  SetLastError(ERROR_NOT_FOUND);
  EXPECT_EQ(ReadIntegerText(std::string_view(text), form, narrow), ok);
  EXPECT_TRUE(GetLastError() == error && narrow.magnitude == wide.magnitude &&
              narrow.negative == wide.negative);
  return ok ? (wide.negative ? "-" : "") + std::to_string(wide.magnitude)
            : (error == kData       ? "data"
               : error == kOverflow ? "overflow"
                                    : "?");
}

// The megabyte texts prove linear time.
TEST(NumberReaders, IntegerTexts) {
  constexpr IntegerForm kAuto{}, kSigned{1, true}, k255{16, false, 255}, k32{1, false, kMax};
  const std::string mega(1 << 20, '0'), blanks(1 << 20, ' ');
  // clang-format off
  const std::tuple<std::string, IntegerForm, std::string> rows[] = {
      {"0X1f", kAuto, "31"}, {"0b101", kAuto, "5"}, {"0B", kAuto, "0"}, {"017", kAuto, "15"},
      {" \t42 \r\n", kAuto, "42"}, {"08", kAuto, "data"}, {"4 2", kAuto, "data"},
      {"-1", kAuto, "data"}, {"\b1", kAuto, "data"},  // backspace is no blank here
      {"0x10", {16}, "data"},  // a given radix takes no prefix
      {"zZ", {36}, "1295"}, {"-\t017", kSigned, "-15"}, {" + 0x10 ", kSigned, "16"},
      {" + ", kSigned, "data"}, {"+-5", kSigned, "data"}, {"4294967296x", k32, "overflow"},
      {"4294967296x", kAuto, "data"}, {"0x1FFFFFFFFFFFFFFFF", kAuto, "overflow"},
      {"ff", k255, "255"}, {"12\0x"s, kAuto, "12"},  // a NUL ends the text
      {"-\0 1"s, kSigned, "data"}, {"18446744073709551616", kAuto, "overflow"},
      {"18446744073709551615", kAuto, "18446744073709551615"},
      {blanks + mega + "4294967295" + blanks, {10}, "4294967295"}, {"0x" + mega + "1", kAuto, "1"},
      {std::string(1 << 20, '9'), kAuto, "overflow"}};
  const std::tuple<const char*, std::uint32_t, std::uint32_t, ErrorCode, std::uint32_t> parsed[] = {
      {"4294967296", 1, kMax, kOverflow, 0}, {"255", 1, 255, 0, 255}, {"256", 1, 255, kOverflow, 0},
      {"zz", 36, kMax, 0, 1295}, {"1", 0, kMax, ERROR_INVALID_PARAMETER, 0},
      {"1", 37, kMax, ERROR_INVALID_PARAMETER, 0},
      {"1\x85", 1, kMax, kData, 0}};  // a byte from 0x80 up is no blank
  // clang-format on
  for (const auto& [text, form, result] : rows) {
    EXPECT_EQ(Read(text, form), result) << text.substr(0, 40);
  }
  for (const auto& [text, radix, maximum, error, value] : parsed) {
    SetLastError(ERROR_NOT_FOUND);
    std::uint32_t out = kUntouched;
    const bool ok = ParseUnsigned32(text, radix, false, maximum, out);
    EXPECT_EQ(std::tuple(ok, GetLastError(), out),
              std::tuple(error == 0, error, error == 0 ? value : kUntouched))
        << text;
  }
  std::uint32_t out = kUntouched;
  EXPECT_TRUE(ParseUnsigned32(u"1\u0085", 1, true, kMax, out) && out == 1);  // blank when wide
  EXPECT_TRUE(!ParseUnsigned32(nullptr, 10, true, kMax, out) &&
              GetLastError() == ERROR_INVALID_PARAMETER);
  for (const char* text : {"/", ":", "@", "[", "`", "{"}) {  // beside the digit ranges
    EXPECT_FALSE(ParseUnsigned32(text, 36, false, kMax, out)) << text;
  }
}

TEST(NumberReaders, DoubleTexts) {
  const std::u16string blanks(1 << 20, u' ');
  // clang-format off
  const std::pair<std::u16string, double> rows[] = {
      {u"-1e3", -1000}, {u"-1D3", -1000}, {u"1d+2", 100}, {u".5", 0.5}, {u"-.", -0.0},
      {u"1e+", 1}, {u"+ 7 ", 7}, {u"\b1\u3000\u00A0", 1}, {u"0.1", 0.1}, {u"-1e400", -kInf},
      {u"-1e-400", -0.0}, {u"1.7976931348623159e308", kInf}, {blanks + u"5" + blanks, 5},
      {u"1.7976931348623157e308", DBL_MAX}, {u"4.9406564584124654e-324", DBL_TRUE_MIN},
      {u"9007199254740993", 9007199254740992.0},  // a tie goes to even
      {u"9007199254740993." + std::u16string(1000, u'0') + u"1", 9007199254740994.0},
      {u"123456789012345678901234567890", 123456789012345678901234567890.0},
      {u"1e99999999999999999999999", kInf}, {u"1e-99999999999999999999999", 0.0},
      {u"0." + std::u16string(999999, u'0') + u"1e1000000", 1},
      {u"1" + std::u16string(1000000, u'0') + u"e-1000000", 1},
      {std::u16string(1 << 20, u'9'), kInf}};
  // clang-format on
  for (const auto& [text, value] : rows) {
    SetLastError(ERROR_NOT_FOUND);
    double out = -12345.0;
    EXPECT_TRUE(ParseDouble(text.c_str(), out) && GetLastError() == ERROR_NOT_FOUND &&
                std::bit_cast<std::uint64_t>(out) == std::bit_cast<std::uint64_t>(value))
        << Narrow(text.substr(0, 40)) << " gave " << out;
  }
  for (const char16_t* text : {u"  ", u"1.2.3", u"e5", u"1 2", u"- -1", u"1e+-2", u"1e2.5",
                               u"\u20281", static_cast<const char16_t*>(nullptr)}) {
    double out = 5.0;
    EXPECT_TRUE(!ParseDouble(text, out) && out == 5.0) << (text ? Narrow(text) : "null");
  }
  EXPECT_TRUE(IsFinite(-DBL_MAX) && !IsFinite(-kInf) && !IsFinite(Double(0x7FF0000000000001u)));
}

TEST(NumberText, RadixesSignsPaddingAndBinaryDigits) {
  // clang-format off
  const std::tuple<std::uint64_t, unsigned, std::u16string> rows[] = {
      {0, 2, u"0"}, {35, 36, u"Z"}, {36, 36, u"10"}, {0xFFFFFFFF, 36, u"1Z141Z3"},
      {UINT64_MAX, 16, u"FFFFFFFFFFFFFFFF"}, {UINT64_MAX, 36, u"3W5E11264SGSF"},
      {UINT64_MAX, 2, std::u16string(64, u'1')}};
  const std::tuple<std::u16string_view, int, std::u16string_view> pads[] = {
      {u"42", 5, u"...42"}, {u"42", -5, u"42..."}, {u"42", 2, u"42"}, {u"42", -2, u"42"},
      {u"12345", 3, u"12345"}, {u"", -1, u"."}, {u"", 1, u"."}};
  const std::tuple<std::int64_t, int, char16_t, std::u16string_view> signedRows[] = {
      {INT64_MAX, 0, u' ', u"9223372036854775807"}, {INT64_MIN, 0, u' ', u"-9223372036854775808"},
      {-42, 5, u'0', u"-0042"}, {-42, 3, u'0', u"-42"}, {-42, 5, u' ', u"  -42"},
      {-42, -5, u'0', u"-4200"}, {42, 4, u'0', u"0042"}};
  // clang-format on
  for (const auto& [value, radix, text] : rows) {
    EXPECT_EQ(Unsigned64ToText(value, radix), text) << value;
    EXPECT_TRUE(value > kMax || UnsignedToText(value & kMax, radix, 0, u' ') == text) << value;
  }
  for (const auto& [text, width, padded] : pads) EXPECT_EQ(PadText(text, width, u'.'), padded);
  for (const auto& [value, width, pad, text] : signedRows) {
    EXPECT_EQ(Signed64ToText(value, width, pad), text) << value;
  }
  EXPECT_EQ(SignedToText(INT32_MIN) + Signed64ToText(-42, 5), u"-2147483648  -42");
  EXPECT_EQ(UnsignedToText(0xA, 16, 8, u'0') + Unsigned64ToText(0xA, 16, -4, u'.'),
            u"0000000AA...");
  EXPECT_EQ(BinaryDigits(0xFF00, 8) + BinaryDigits(0x501, 11), u"00000000101_00000001");
  EXPECT_EQ(BinaryDigits(0x8000000000000081, 64),
            u"10000000_00000000_00000000_00000000_00000000_00000000_00000000_10000001");
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(Unsigned64ToText(5, 1) + UnsignedToText(5, 37, 4, u'0'), u"");
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(BinaryDigits(1, 0) + BinaryDigits(1, 65), u"");
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Significant digits: 14 when they end in three zeros, else 16. 16 digits ending in 50: the
// exact value decides the 14-digit rounding (...04996...: down, ...99950...: up to four zeros).
TEST(DecimalText, PlainTextAndSignificantDigits) {
  // clang-format off
  const std::pair<double, std::u16string> rows[] = {
      {-0.0, u"-0"}, {1e20, u"100000000000000000000"}, {-1.5e-7, u"-0.00000015"},
      {0.1 + 0.2, u"0.3"}, {0.1f, u"0.1000000014901161"}, {HUGE_VAL, u"Inf"}, {-HUGE_VAL, u"-Inf"},
      {Double(0x7FF8000000000000), u"Nan"}, {Double(0xFFF0000000000001), u"-Nan"},  // signalling
      {DBL_MAX, u"1797693134862316" + std::u16string(293, u'0')},
      {-DBL_TRUE_MIN, u"-0." + std::u16string(323, u'0') + u"4940656458412465"}};
  const std::tuple<double, std::string, int> digitRows[] = {
      {0.0, "", 1}, {1.0 / 3, "3333333333333333", 0}, {5.0 / 3, "1666666666666667", 1},
      {12345678901.0, "12345678901", 11}, {1.000000000100004, "10000000001", 1},
      {1.00000000000012, "100000000000012", 1}, {9.99999999999999, "1", 2},
      {1.00000000000005, "1", 1}, {1.0000000009999501, "1000000001", 1}};
  // clang-format on
  for (const auto& [value, text] : rows) {
    EXPECT_TRUE(DoubleToPlainText(value) == text &&
                NonFiniteText(value).has_value() == !std::isfinite(value))
        << value;
  }
  for (const auto& [magnitude, expected, point] : digitRows) {
    for (const double value : {magnitude, -magnitude}) {
      const DecimalDigits digits = SignificantDigits(value);
      EXPECT_EQ(std::tuple(std::string(digits.Digits()), digits.point, digits.negative),
                std::tuple(expected, point, std::signbit(value)));
    }
  }
  EXPECT_EQ(PlaceDecimalPoint("", 0, false) + PlaceDecimalPoint("", 2, true), u"0-00");
  EXPECT_EQ(PlaceDecimalPointLength(0, 0, false) * 10 + PlaceDecimalPointLength(0, 2, true), 13);
}

TEST(Crc32, KnownValuesAndPieces) {
  // clang-format off
  const std::pair<std::string, std::uint32_t> rows[] = {
      {"", 0}, {"123456789", 0xCBF43926u}, {std::string(4, '\0'), 0x2144DF1Cu},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339u}};
  // clang-format on
  for (const auto& [bytes, crc] : rows) {
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {  // any two pieces give the whole's
      EXPECT_EQ(Crc32(bytes.data() + cut, bytes.size() - cut, Crc32(bytes.data(), cut)), crc);
    }
  }
  EXPECT_EQ(Crc32(nullptr, 0, 0x12345678u), 0x12345678u);
}

// No terminator, so that ASan sees any read past the length.
std::u16string Convert(const std::string& bytes) {
  const auto buffer = std::make_unique<char[]>(bytes.size());
  std::memcpy(buffer.get(), bytes.data(), bytes.size());
  return AnsiToWide(buffer.get(), static_cast<std::ptrdiff_t>(bytes.size()));
}

// The edges of every range of lead and second bytes; lone surrogates replaced or kept.
TEST(Utf, AnsiToWideWideToUtf8AndNextCodePoint) {
  // clang-format off
  const std::pair<std::string, std::u16string> rows[] = {
      {"\xC2\x80\xDF\xBF", u"\u0080\u07FF"}, {"\xE0\xA0\x80\xED\x9F\xBF", u"\u0800\uD7FF"},
      {"\xF0\x90\x80\x80", u"\xD800\xDC00"}, {"\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
      {"\xBF\x80", u"\xFFFD\xFFFD"}, {"\xC1\xBF", u"\xFFFD\xFFFD"}, {"\xF5\x80", u"\xFFFD\xFFFD"},
      {"\xE0\x9F\xBF", u"\xFFFD\xFFFD\xFFFD"}, {"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},
      {"\xF0\x8F\xBF\xBF", u"\xFFFD\xFFFD\xFFFD\xFFFD"},
      {"\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"}, {"a\xE2\x82!", u"a\xFFFD!"},
      {"\xF0\x9F\x98\xF0\x9F\x98\x80", u"\xFFFD\xD83D\xDE00"}, {"\xC3\xC3\xA9", u"\xFFFD\u00E9"}};
  const std::tuple<std::u16string, std::u32string, std::u32string> surrogates[] = {
      {u"\xDC00\xD800", U"\xFFFD\xFFFD", U"\xDC00\xD800"}, {u"\xD83Dx", U"\xFFFDx", U"\xD83Dx"},
      {u"\xD800\xD800\xDC00", U"\xFFFD\x10000", U"\xD800\x10000"},
      {u"\xDBFF\xE000", U"\xFFFD\xE000", U"\xDBFF\xE000"}};
  // clang-format on
  for (const auto& [bytes, text] : rows) {
    EXPECT_TRUE(Convert(bytes) == text && AnsiToWide(bytes.c_str(), -1) == text) << bytes;
  }
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    EXPECT_EQ(Convert(std::string(1, static_cast<char>(byte))), u"\xFFFD") << byte;
  }
  const char text[] = "a\0b";
  EXPECT_EQ(AnsiToWide(text, 3), u"a\0b"s);
  EXPECT_EQ(AnsiToWide(text, -1) + AnsiToWide(text, 0), u"a");
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(AnsiToWide(nullptr, 5) + AnsiToWide(text, -2), u"");
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(WideToUtf8(u"\x7F\x80\u07FF\u0800\uFFFF"),
            "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
  EXPECT_EQ(WideToUtf8(u"\U00010000\U0010FFFF"), "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
  EXPECT_EQ(WideToUtf8(u"\xD800x\xDC00"), "\xEF\xBF\xBDx\xEF\xBF\xBD");
  for (const auto& [units, replaced, kept] : surrogates) {
    for (const bool keep : {false, true}) {
      std::u32string decoded;
      for (std::size_t i = 0; i < units.size();) decoded += NextCodePoint(units, i, keep);
      EXPECT_EQ(decoded, keep ? kept : replaced) << WideToUtf8(units);
    }
  }
}

TEST(WhiteSpace, ExactSetsAndLeadingCount) {
  const std::u16string space =
      u"\b\t\n\v\f\r \u0085\u00A0\u1680\u2000\u2001\u2002\u2003\u2004\u2005\u2006\u2007\u2008"
      u"\u2009\u200A\u202F\u3000";
  const std::u16string wide =
      u"\t\n\v\f\r \u0085\u1680\u2000\u2001\u2002\u2003\u2004\u2005\u2006\u2008\u2009\u200A"
      u"\u2028\u2029\u205F\u3000";
  for (char16_t c = 0; c != 0xFFFF; ++c) {
    ASSERT_EQ(std::pair(IsWhiteSpace(c), IsWideSpace(c)),
              std::pair(space.find(c) != space.npos, wide.find(c) != wide.npos))
        << int{c};
  }
  EXPECT_FALSE(IsWhiteSpace(0xFFFF) || IsWideSpace(0xFFFF));
  const std::u16string many = std::u16string(1 << 20, u' ') + u"x";
  EXPECT_EQ(CountLeadingSpace(many.c_str()), 1u << 20);
  EXPECT_EQ(CountLeadingSpace(u"\u3000\u00A0\b x"), 4u);
  EXPECT_EQ(CountLeadingSpace(u" \u2028") + CountLeadingSpace(u"") + CountLeadingSpace(nullptr),
            1u);
}

using Fields = std::vector<std::pair<std::u16string, int>>;

// A buffer of exactly the text's size, so that ASan sees any read past the end.
Fields Split(const std::u16string& text, bool counted) {
  const auto buffer = std::make_unique<char16_t[]>(text.size() + (counted ? 0 : 1));
  std::copy(text.begin(), text.end(), buffer.get());
  char16_t* const bufferEnd = buffer.get() + text.size();
  char16_t* cursor = buffer.get();
  char16_t* field = nullptr;
  const auto next = [&] {
    char16_t* fieldEnd = nullptr;
    const int code = counted ? NextCsvField(&cursor, bufferEnd, &field, &fieldEnd)
                             : NextCsvField(&cursor, &field);
    return std::pair(counted ? std::u16string(field, fieldEnd) : std::u16string(field), code);
  };
  Fields fields;  // the size bound stops a reader that makes no progress
  while (fields.size() <= text.size() &&
         (fields.empty() || fields.back().second != kCsvEndOfText)) {
    char16_t* const before = cursor;
    fields.push_back(next());
    EXPECT_TRUE(field >= before && cursor <= bufferEnd);
  }
  EXPECT_EQ(cursor, bufferEnd);
  EXPECT_EQ(next(), std::pair(std::u16string(), kCsvEndOfText));  // and again at the end
  EXPECT_EQ(field, bufferEnd);
  return fields;
}

// The megabyte rows prove linear time.
TEST(NextCsvField, FieldsCodesAndBadArguments) {
  const std::u16string mega(1 << 20, u'p');
  const std::u16string quotes(1 << 20, u'"');  // the opening mark, then pairs, then one
  // clang-format off
  const std::pair<std::u16string, Fields> rows[] = {
      {u"a,\"b,c\",\"d\"\"e\"", {{u"a", 2}, {u"b,c", 2}, {u"d\"e", 1}}}, {u"", {{u"", 1}}},
      {u"a\rb\nc\r", {{u"a", 3}, {u"b", 4}, {u"c", 3}, {u"", 1}}},
      {u"\r\r\n\n", {{u"", 3}, {u"", 5}, {u"", 4}, {u"", 1}}},
      {u"a\"b,c", {{u"a\"b", 2}, {u"c", 1}}}, {u"\"abc", {{u"abc", 1}}},  // unterminated
      {u"\"x\"\"", {{u"x\"", 1}}},                 // ends after a doubled mark
      {u"\"a\"b\",c", {{u"a\"b", 2}, {u"c", 1}}},  // a lone mark stays with its follower
      {u"\"a\"\"\"\r", {{u"a\"", 3}, {u"", 1}}},
      {u"\"a\r\nb\",\"\"\r\n", {{u"a\r\nb", 2}, {u"", 5}, {u"", 1}}},
      {mega + u",x", {{mega, 2}, {u"x", 1}}},
      {quotes + u",x", {{std::u16string((1 << 19) - 1, u'"'), 2}, {u"x", 1}}}};
  // clang-format on
  for (const auto& [text, fields] : rows) {
    EXPECT_EQ(Split(text, false), fields) << Narrow(text.substr(0, 20));
    EXPECT_EQ(Split(text, true), fields) << Narrow(text.substr(0, 20)) << " counted";
  }
  EXPECT_EQ(Split(u"a\0b,\"c\0\"\0\",\0"s, true),
            (Fields{{u"a\0b"s, 2}, {u"c\0\"\0"s, 2}, {u"\0"s, 1}}));
  EXPECT_EQ(Split(u"\"\0"s, true), (Fields{{u"\0"s, 1}}));
  char16_t text[] = u"a,b";
  char16_t *cursor = text, *none = nullptr, *field = nullptr, *end = text + 3;
  for (const int code :
       {NextCsvField(nullptr, &field), NextCsvField(&none, &field), NextCsvField(&cursor, nullptr),
        NextCsvField(&cursor, end, &field, nullptr), NextCsvField(&none, end, &field, &end),
        NextCsvField(&end, text, &field, &none)}) {  // the last: past the end
    EXPECT_EQ(code, kCsvBadArgument);
  }
  EXPECT_TRUE(cursor == text && std::u16string(text) == u"a,b");  // bad arguments change nothing
}

FontSpec Font(std::u16string face, double size, std::int32_t weight = 0, bool italic = false,
              bool underline = false, bool strikeOut = false) {
  return test::MakeFontSpec(std::move(face), size, weight, italic, underline, strikeOut);
}

const FontSpec kFilled = Font(u"Filled", 12, 700, true, true, true);
const std::u16string k31(31, u'F'), k32(32, u'F');

// Set keeps what its limits allow, the text form reads (none: unreadable) and writes back
// (weights without a letter read back as 0).
TEST(FontSpec, SetAndTheTextForm) {
  // clang-format off
  const std::tuple<std::u16string, double, std::int32_t, std::u16string> rows[] = {  // "": refused
      {u" \tSegoe UI\u3000 ", 9, 0, u"Segoe UI"}, {u"  " + k32 + u"  ", 9, 0, k32},
      {k32 + u"F", 9, 0, u""}, {u"   ", 9, 0, u""}, {u"Arial", 0, 0, u""}, {u"Arial", NAN, 0, u""},
      {u"Arial", 1e6, 0, u"Arial"}, {u"Arial", std::nextafter(1e6, 2e6), 0, u""},
      {u"Arial", 9, 1000, u"Arial"}, {u"Arial", 9, 1001, u""}, {u"Arial", 9, INT32_MIN, u"Arial"}};
  const std::pair<std::u16string, std::optional<FontSpec>> texts[] = {
      {u"  Arial  , 10.5 ", Font(u"Arial", 10.5)}, {u"Arial,9,", Font(u"Arial", 9)},
      {u"Arial,9, S U\tI N ", Font(u"Arial", 9, 400, true, true, true)},
      {u"Arial,9,W600IB", Font(u"Arial", 9, 700, true)},  // the last weight letter wins
      {u"Arial,9,W1000", Font(u"Arial", 9, 1000)}, {u"\"A, \"\"B\"\"\",9", Font(u"A, \"B\"", 9)},
      {k31 + u",9", Font(k31, 9)}, {k32 + u",9", std::nullopt}, {u"Arial,9,W1001", std::nullopt},
      {u"Arial,9,W01000", std::nullopt}, {u"Arial,9,i", std::nullopt}, {u"   ,9", std::nullopt},
      {u"Arial,9,I,U", std::nullopt}, {u"Arial,nine", std::nullopt}};
  const std::tuple<FontSpec, std::u16string, std::int32_t> written[] = {
      {Font(u"Segoe UI", 9), u"\"Segoe UI\",9", 0},
      {Font(u"Arial", 1e6, 1), u"Arial,1000000,W1", 1},
      {Font(u"Arial", 9, 700, false, true), u"Arial,9,UB", 700},
      {Font(u"Arial", 0.25, 600, true, true, true), u"Arial,0.25,IUSW600", 600},
      {Font(u"Arial", 0.1 + 0.2, -5), u"Arial,0.3", 0},
      // rounded as displayed: 16 digits, or 14 where those end in zeros (a fuzz finding)
      {Font(u"Arial", 0.20000510015000503), u"Arial,0.200005100150005", 0},
      {Font(u"Arial", 0.200005100150005), u"Arial,0.20000510015", 0},
      {Font(u"Arial", 9, 1000, false, false, true), u"Arial,9,SW1000", 1000}};
  // clang-format on
  for (const auto& [face, size, weight, stored] : rows) {
    FontSpec font = kFilled;
    const bool ok = font.Set(face, true, false, true, size, weight);
    EXPECT_TRUE(ok == !stored.empty() && font.IsValid() == ok &&
                font == (ok ? Font(stored, size, weight, true, false, true) : FontSpec{}))
        << Narrow(face) << " " << size;
  }
  EXPECT_TRUE(Font(std::u16string(100, u'F'), 9).IsValid());  // no limit set directly
  EXPECT_FALSE(Font(u"Arial", -HUGE_VAL).IsValid());
  for (const auto& [text, expected] : texts) {
    FontSpec font = kFilled;
    EXPECT_TRUE(font.FromText(text) == expected.has_value() &&
                font == expected.value_or(FontSpec{}))
        << Narrow(text);
  }
  for (const auto& [font, text, weightReadBack] : written) {
    FontSpec back, expected = font;
    ASSERT_TRUE(font.ToText() == text && back.FromText(text)) << Narrow(font.ToText());
    expected.weight = weightReadBack;
    expected.size = back.size;
    EXPECT_TRUE(back == expected && std::fabs(back.size - font.size) <= font.size * 1e-13);
  }
}

TEST(FontSpec, ToAndFromLogFont) {
  // clang-format off
  using Height = std::optional<std::int32_t>;
  const std::tuple<FontSpec, std::optional<double>, Height, std::int32_t> rows[] = {
      {Font(u"Segoe UI", 9), 96.0, -12, 400}, {Font(u"Segoe UI", 9, 1000), std::nullopt, 90, 1000},
      {Font(u"Arial", 10, 1), 96.0, -13, 1},    // 13.33 truncated
      {Font(u"Arial", 0.5, -3), 96.0, 0, 400},  // less than a pixel
      {Font(u"Arial", 1e6), 1e5, -1388888888, 400},
      {Font(u"Arial", 1e6), 2e5, std::nullopt, 0},  // beyond 32 bits; none: fails
      {Font(u"Arial", 9), 0.0, std::nullopt, 0}, {Font(u"", 9), 96.0, std::nullopt, 0},
      {Font(u"Arial", 9, 1001), 96.0, std::nullopt, 0}};
  const std::tuple<LogFontRecord, std::optional<double>, std::optional<FontSpec>> back[] = {
      {{12, true, true, false, 700, u"Segoe UI"}, 96.0, Font(u"Segoe UI", 9, 700, true, true)},
      {{-90, false, false, true, 550, u"A"}, std::nullopt, Font(u"A", 9, 550, false, false, true)},
      {{1, false, false, false, 0, u"A"}, std::nullopt, Font(u"A", 0.1)},  // the smallest height
      {{-13, false, false, false, -7, u" Arial "}, 96.0, Font(u"Arial", 9.75, -7)},
      {{-12, false, false, false, 0, k32 + u"tail"}, 96.0, Font(k31, 9)},
      {{0, false, false, false, 0, u"Arial"}, 96.0, std::nullopt},
      {{-12, false, false, false, 1001, u"Arial"}, 96.0, std::nullopt},
      {{INT32_MIN, false, false, false, 0, u"Arial"}, 96.0, std::nullopt}};  // 1e6 points+
  // clang-format on
  for (const auto& [font, pixelsPerInch, height, weight] : rows) {
    LogFontRecord record{5, true, true, true, 5, u"old"};
    const bool ok = font.ToLogFont(record, pixelsPerInch);
    EXPECT_EQ(std::tuple(ok, record.height, record.weight, record.face),
              std::tuple(height.has_value(), height.value_or(0), weight, height ? font.face : u""))
        << font.size << " at " << pixelsPerInch.value_or(0);
  }
  LogFontRecord record;
  ASSERT_TRUE(Font(k32 + u"tail", 9, 0, true, false, true).ToLogFont(record));
  EXPECT_TRUE(record.face == k31 && record.italic && !record.underline && record.strikeOut);
  for (const auto& [from, pixelsPerInch, expected] : back) {
    FontSpec font = kFilled;
    EXPECT_TRUE(font.FromLogFont(from, pixelsPerInch) == expected.has_value() &&
                font == expected.value_or(FontSpec{}))
        << from.height;
  }
}

// No pixel lost to rounding, directly or through the text form, at any density.
TEST(FontSpec, HeightsSurviveTheRoundTrip) {
  for (const double density : {0.0, 72.0, 96.0, 109.0, 120.0, 144.0}) {
    const auto pixelsPerInch = density == 0 ? std::nullopt : std::optional<double>(density);
    for (std::int32_t pixels = 1; pixels <= 400; ++pixels) {
      const std::int32_t height = pixels % 2 == 0 ? pixels : -pixels;  // both kinds of height
      FontSpec font, fromText;
      ASSERT_TRUE(font.FromLogFont({height, false, false, false, 0, u"F"}, pixelsPerInch) &&
                  fromText.FromText(font.ToText()));
      for (const FontSpec& source : {font, fromText}) {
        LogFontRecord record;
        ASSERT_TRUE(source.ToLogFont(record, pixelsPerInch));
        ASSERT_EQ(record.height, pixelsPerInch ? -pixels : pixels) << height << " at " << density;
      }
    }
  }
}

}  // namespace
}  // namespace bitvane
