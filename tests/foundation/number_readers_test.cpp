#include "foundation/number_readers.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/last_error.h"

namespace bitvane {
namespace {

constexpr std::uint32_t kMax = 0xFFFFFFFFu;
constexpr std::uint32_t kUntouched = 0xDEADBEEFu;
constexpr std::uint64_t k64 = ~0ull;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr ErrorCode kData = ERROR_INVALID_DATA;
constexpr ErrorCode kOverflow = ERROR_ARITHMETIC_OVERFLOW;

std::string Shown(const std::u16string& text) {
  return std::string(text.begin(), text.begin() + std::min<std::ptrdiff_t>(text.size(), 40));
}

// Reads wide and narrow, which must agree: "-"magnitude, "data" or "overflow".
std::string Read(const std::string& text, IntegerForm form) {
  std::string results[2];
  for (const bool wide : {true, false}) {
    SetLastError(ERROR_NOT_FOUND);
    IntegerText out{kUntouched, true};
    const bool ok = wide ? ReadIntegerText(std::u16string(text.begin(), text.end()), form, out)
                         : ReadIntegerText(std::string_view(text), form, out);
    const ErrorCode error = GetLastError();
    EXPECT_TRUE(ok ? error == ERROR_SUCCESS : out.magnitude == kUntouched && out.negative);
    results[wide] = ok                   ? (out.negative ? "-" : "") + std::to_string(out.magnitude)
                    : error == kData     ? "data"
                    : error == kOverflow ? "overflow"
                                         : "?";
  }
  EXPECT_EQ(results[0], results[1]) << "narrow against wide";
  return results[1];
}

// The megabyte rows prove linear time.
TEST(ReadIntegerText, Table) {
  constexpr IntegerForm kAuto{}, kSigned{1, true}, k255{16, false, 255}, k32{1, false, kMax};
  const std::string mega(1 << 20, '0');
  const std::string blanks(1 << 20, ' ');
  const struct {
    std::string text;
    IntegerForm form;
    std::string result;
  } rows[] = {
      {"0X1f", kAuto, "31"},
      {"0b101", kAuto, "5"},
      {"0B", kAuto, "0"},
      {"017", kAuto, "15"},
      {" \t42 \r\n", kAuto, "42"},
      {"08", kAuto, "data"},
      {"4 2", kAuto, "data"},
      {"-1", kAuto, "data"},
      {"\b1", kAuto, "data"},  // backspace is no blank here
      {"0x10", {16}, "data"},  // a given radix takes no prefix
      {"zZ", {36}, "1295"},
      {"-\t017", kSigned, "-15"},
      {" + 0x10 ", kSigned, "16"},
      {" + ", kSigned, "data"},
      {"+-5", kSigned, "data"},
      {"4294967296x", k32, "overflow"},
      {"4294967296x", kAuto, "data"},
      {"18446744073709551615", kAuto, "18446744073709551615"},
      {"18446744073709551616", kAuto, "overflow"},
      {"0x1FFFFFFFFFFFFFFFF", kAuto, "overflow"},
      {"ff", k255, "255"},
      {std::string("12\0x", 4), kAuto, "12"},  // a NUL ends the text
      {std::string("-\0 1", 4), kSigned, "data"},
      {blanks + mega + "4294967295" + blanks, {10}, "4294967295"},
      {"0x" + mega + "1", kAuto, "1"},
      {std::string(1 << 20, '9'), kAuto, "overflow"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(Read(row.text, row.form), row.result) << row.text.substr(0, 40);
}

TEST(ParseUnsigned32, RadixMaximumAndTextWidth) {
  const struct {
    const char* text;
    std::uint32_t radix;
    std::uint32_t maximum;
    ErrorCode error;  // 0 for success
    std::uint32_t value;
  } rows[] = {
      {"4294967296", 1, kMax, kOverflow, 0},
      {"255", 1, 255, 0, 255},
      {"256", 1, 255, kOverflow, 0},
      {"zz", 36, kMax, 0, 1295},
      {"1", 0, kMax, ERROR_INVALID_PARAMETER, 0},
      {"1", 37, kMax, ERROR_INVALID_PARAMETER, 0},
      {"1\x85", 1, kMax, kData, 0},  // a byte from 0x80 up is no blank
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    SetLastError(ERROR_NOT_FOUND);
    std::uint32_t out = kUntouched;
    EXPECT_EQ(ParseUnsigned32(row.text, row.radix, false, row.maximum, out), row.error == 0);
    EXPECT_EQ(GetLastError(), row.error);
    EXPECT_EQ(out, row.error == 0 ? row.value : kUntouched);
  }
  std::uint32_t out = kUntouched;
  EXPECT_TRUE(ParseUnsigned32(u"1\u0085", 1, true, kMax, out));  // blank when wide
  EXPECT_EQ(out, 1u);
  EXPECT_FALSE(ParseUnsigned32(nullptr, 10, true, kMax, out));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  for (const char c : std::string("/:@[`{")) {  // the neighbours of the digit ranges
    const char text[] = {c, 0};
    EXPECT_FALSE(ParseUnsigned32(text, 36, false, kMax, out)) << c;
  }
}

TEST(ParseDouble, Texts) {
  const std::u16string blanks(1 << 20, u' ');
  const struct {
    std::u16string text;
    double value;
  } rows[] = {
      {u"-1e3", -1000},
      {u"-1D3", -1000},
      {u"1d+2", 100},
      {u".5", 0.5},
      {u"-.", -0.0},
      {u"1e+", 1},
      {u"+ 7 ", 7},
      {u"\b1\u3000\u00A0", 1},
      {u"0.1", 0.1},
      {u"123456789012345678901234567890", 123456789012345678901234567890.0},
      {u"4.9406564584124654e-324", std::numeric_limits<double>::denorm_min()},
      {u"1.7976931348623157e308", std::numeric_limits<double>::max()},
      {u"9007199254740993", 9007199254740992.0},  // a tie goes to even
      {u"9007199254740993." + std::u16string(1000, u'0') + u"1", 9007199254740994.0},
      {u"1.7976931348623159e308", kInf},
      {u"-1e400", -kInf},
      {u"-1e-400", -0.0},
      {u"1e99999999999999999999999", kInf},
      {u"1e-99999999999999999999999", 0.0},
      {blanks + u"5" + blanks, 5},
      {u"0." + std::u16string(999999, u'0') + u"1e1000000", 1},
      {u"1" + std::u16string(1000000, u'0') + u"e-1000000", 1},
      {std::u16string(1 << 20, u'9'), kInf},
  };
  for (const auto& row : rows) {
    SetLastError(ERROR_NOT_FOUND);
    double out = -12345.0;
    EXPECT_TRUE(ParseDouble(row.text.c_str(), out)) << Shown(row.text);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(out), std::bit_cast<std::uint64_t>(row.value))
        << Shown(row.text) << " gave " << out;
    EXPECT_EQ(GetLastError(), ERROR_NOT_FOUND) << Shown(row.text);
  }
  for (const char16_t* text : {u"  ", u"1.2.3", u"e5", u"1 2", u"- -1", u"1e+-2", u"1e2.5",
                               u"\u20281", static_cast<const char16_t*>(nullptr)}) {
    double out = 5.0;
    EXPECT_FALSE(ParseDouble(text, out));
    EXPECT_EQ(out, 5.0);
  }
}

TEST(IsFinite, ExponentField) {
  EXPECT_TRUE(IsFinite(-std::numeric_limits<double>::max()));
  EXPECT_FALSE(IsFinite(-kInf));
  EXPECT_FALSE(IsFinite(std::bit_cast<double>(std::uint64_t{0x7FF0000000000001u})));  // NaN
}

}  // namespace
}  // namespace bitvane
