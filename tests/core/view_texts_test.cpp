// Each view's texts, the float and character-literal texts, and reading them back.
#include "core/view_texts.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "core/field_parser.h"
#include "core/float_texts.h"
#include "core/integer_texts.h"
#include "tests/support/sample_doubles.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

using enum ViewId;
using test::Narrow;
using test::Shown;

TEST(ViewTexts, EachViewShowsItsOwnBytes) {
  const std::uint64_t mixed = 0xC0490FDB3F800000;  // high single -pi, low single 1
  // The value, a view, its input text and the start of its information text.
  const std::tuple<std::uint64_t, ViewId, std::u16string_view, std::u16string_view> rows[] = {
      {0xFF, Byte0, u"-1", u"0xFF\r\n255U\r\n-1\r\n11111111\r\n'\\xFF'"},
      {mixed, Byte4, u"-37", u"0xDB\r\n"},
      {0x8000000A, LowInt32, u"-2147483638",
       u"0x8000000A = 2147483658U = -2147483638\r\n10000000_00000000_00000000_00001010\r\n"
       u"\"\\x0A\\x00\\x00\\x80\" = '\\x80\\x00\\x00\\x0A'"},
      {mixed, HighInt32, u"-1068953637", u"0xC0490FDB = 3226013659U = -1068953637\r\n"},
      {1ull << 63, HugeInt64, u"-9223372036854775808", u"0x8000000000000000 = "},
      {0x4847464544434241, HugeInt64, u"5208208757389214273",
       u"0x4847464544434241 = 5208208757389214273U = 5208208757389214273\r\n"
       u"01001000_01000111_01000110_01000101_01000100_01000011_01000010_01000001\r\n"
       u"\"ABCDEFGH\" = 'HGFEDCBA'"},
      {mixed, LowSingle, u"1", u"Sign=0 Exp=01111111\r\n"},
      {mixed, HighSingle, u"-3.141592741012573",
       u"Sign=1 Exp=10000000\r\nMant=1001001_00001111_11011011"},
      {0x400921FB54442D18, Double64, u"3.141592653589793",
       u"Sign=0 Exp=100_00000000\r\n"
       u"Mant=1001_00100001_11111011_01010100_01000100_00101101_00011000"}};
  for (const auto& [bits, id, input, info] : rows) {
    const ValueView& view = ViewOf(id);
    const RawValue value = RawValue::FromU64(bits);
    SCOPED_TRACE(Narrow(view.name));
    EXPECT_EQ(ViewInputText(view, value), input);
    EXPECT_EQ(ViewInfoText(view, value).substr(0, info.size()), info);
  }
}

// Printable from 0x20 to 0x7E. A hex-digit character right after "\x0H" is escaped
// too: the reader would take it in.
TEST(CharLiteralText, EscapesWhatTheReaderWouldMisread) {
  const std::tuple<std::uint64_t, unsigned, char16_t, std::u16string_view> rows[] = {
      // clang-format off
      {0x7F7E201F, 4, u'"', u"\"\\x1F ~\\x7F\""},     {0x5C2722, 3, u'\'', u"'\\\\\\'\\\"'"},
      {0x410A, 2, u'"', u"\"\\x0A\\x41\""},           {0x470A, 2, u'"', u"\"\\x0AG\""},
      {0x4110, 2, u'"', u"\"\\x10A\""},               {0x424101, 3, u'"', u"\"\\x01\\x41B\""},
      {0x410A, 2, u'\'', u"'A\\x0A'"}, {0x4847464544434241, 9, u'"', u"\"ABCDEFGH\""}};
  // clang-format on
  for (const auto& [bytes, count, quote, text] : rows) {
    EXPECT_EQ(CharLiteralText(bytes, count, quote), text) << Narrow(text);
  }
}

TEST(FloatTexts, InputAndEngineeringTexts) {
  // A value, its engineering text and its input text, the shorter one.
  const std::tuple<double, std::u16string_view, std::u16string_view> rows[] = {
      // clang-format off
      {-0.0, u"-0e+0", u"-0"}, {1.0, u"1e+0", u"1"}, {0.1 + 0.2, u"300e-3", u"0.3"},
      {-1.5e-7, u"-150e-9", u"-150e-9"}, {-HUGE_VAL, u"-Inf", u"-Inf"},
      {WidenSingle(0xFFA00000), u"-Nan", u"-Nan"},
      {DBL_MAX, u"179.7693134862316e+306", u"179.7693134862316e+306"},
      {DBL_TRUE_MIN, u"4.940656458412465e-324", u"4.940656458412465e-324"},
      {WidenSingle(0x3DCCCCCD), u"100.0000014901161e-3", u"0.1000000014901161"}};
  // clang-format on
  for (const auto& [value, eng, input] : rows) {
    EXPECT_EQ(DoubleToEngText(value), eng);
    EXPECT_EQ(FloatInputText(value), input);
  }
  // FloatInputText counts both lengths without building both texts.
  for (const double value : test::SampleDoubles()) {
    const std::u16string plain = DoubleToPlainText(value), eng = DoubleToEngText(value);
    ASSERT_EQ(FloatInputText(value), plain.size() > eng.size() ? eng : plain) << value;
  }
  // A NaN keeps its sign and fraction.
  EXPECT_EQ(std::bit_cast<std::uint64_t>(WidenSingle(0xFFA00001)), 0xFFF4000020000000u);
}

// A literal's only context is the byte before: every pair, then the order of eight.
TEST(RoundTrip, CharLiterals) {
  const auto readsBack = [](std::uint64_t bytes, unsigned count) {
    for (const char16_t quote : {u'\'', u'"'}) {
      const std::u16string literal = CharLiteralText(bytes, count, quote);
      std::uint64_t back = ~std::uint64_t{0};
      ASSERT_EQ(ParseCharLiteral(literal, back), static_cast<int>(count)) << Shown(literal);
      ASSERT_EQ(back, count == 8 ? bytes : bytes & ((1ull << 8 * count) - 1)) << Shown(literal);
    }
  };
  for (std::uint64_t pair = 0; pair <= 0xFFFF; ++pair) readsBack(pair, 2);
  for (const std::uint64_t eight : {0x0A410F66'5C2227FFull, 0x00300A46'6110417Full}) {
    for (const unsigned count : {4u, 8u}) readsBack(eight, count);
  }
}

// Every input text is accepted. Integers and singles read back exactly, and so do the
// extremes of both formats; a double's 16 digits need not pin it down, but come close.
// Values near the largest, the smallest normal and zero of each format, random ones.
TEST(RoundTrip, EveryInputTextReadsBack) {
  std::vector<std::uint64_t> values;
  std::mt19937_64 random(5);
  constexpr std::uint64_t kBoth = 0x100000001;  // a single in both halves
  for (std::uint64_t near = 0; near < 64; ++near) {
    for (const std::uint64_t bits :
         {0x7FEFFFFFFFFFFFFF - near, 0x000FFFFFFFFFFFE0 + near, near, (0x7F7FFFFF - near) * kBoth,
          (0x007FFFE0 + near) * kBoth, near * kBoth, random(), random(), random(), random()}) {
      values.insert(values.end(), {bits, bits ^ 0x8000000080000000ull});
    }
  }
  for (const std::uint64_t bits64 : values) {
    const RawValue value = RawValue::FromU64(bits64);
    for (const ValueView& view : ViewTable()) {
      const std::u16string text = ViewInputText(view, value);
      SCOPED_TRACE(Shown(view.name) + " " + Shown(text));
      RawValue back = RawValue::FromU64(~bits64);
      std::u16string message;
      ASSERT_TRUE(ReadFieldText(text, view, back, message)) << Shown(message);
      const std::uint64_t bits = value.Bytes(view.firstByte, view.size), magnitude = bits << 1 >> 1;
      const std::uint64_t read = back.Bytes(view.firstByte, view.size);
      const std::uint64_t exponent = view.size == 4 ? 0x7F800000 : 0x7FF0000000000000;
      if (view.kind == ViewKind::Float && (bits & exponent) == exponent) continue;  // Inf, NaN
      if (view.kind == ViewKind::Integer || view.size == 4 || magnitude == 0x7FEFFFFFFFFFFFFF ||
          magnitude == 0x0010000000000000 || magnitude == 1) {
        EXPECT_EQ(read, bits);
      } else {
        const double was = std::bit_cast<double>(bits);
        EXPECT_NEAR(std::bit_cast<double>(read), was, std::abs(was) * 1e-13);
      }
    }
  }
}

}  // namespace
}  // namespace bitvane
