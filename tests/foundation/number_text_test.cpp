#include "foundation/number_text.h"

#include <gtest/gtest.h>

#include <bitset>
#include <charconv>
#include <climits>
#include <vector>

#include "platform/last_error.h"

namespace bitvane {
namespace {

std::u16string Widen(std::string_view text) {
  return std::u16string(text.begin(), text.end());
}

// std::to_chars as an independent reference, with upper-case letters.
std::u16string Reference(std::uint64_t value, unsigned radix) {
  char buffer[72];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, static_cast<int>(radix));
  std::u16string text = Widen({buffer, result.ptr});
  for (char16_t& c : text) c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  return text;
}

// Every power of two and its neighbours, the extremes, and a pseudo-random spread.
std::vector<std::uint64_t> SampleValues() {
  std::vector<std::uint64_t> values = {0, 35, 36, UINT32_MAX, UINT64_MAX};
  for (int bit = 0; bit < 64; ++bit) {
    const std::uint64_t power = std::uint64_t{1} << bit;
    values.insert(values.end(), {power - 1, power, power + 1});
  }
  std::uint64_t x = 0x9E3779B97F4A7C15u;
  for (int i = 0; i < 300; ++i) {
    x ^= x << 13;  // xorshift64
    x ^= x >> 7;
    x ^= x << 17;
    values.push_back(x >> (i % 64));
  }
  return values;
}

TEST(NumberText, UnsignedMatchesReferenceInEveryRadix) {
  for (unsigned radix = 2; radix <= 36; ++radix) {
    for (const std::uint64_t value : SampleValues()) {
      const auto low = static_cast<std::uint32_t>(value);
      ASSERT_EQ(UnsignedToText(low, radix, 0, u' '), Reference(low, radix))
          << low << " radix " << radix;
      ASSERT_EQ(Unsigned64ToText(value, radix), Reference(value, radix))
          << value << " radix " << radix;
    }
  }
}

TEST(NumberText, SignedIncludingTheMostNegative) {
  for (const std::int32_t value : {0, -1, 9, -10, INT32_MAX, INT32_MIN}) {
    EXPECT_EQ(SignedToText(value), Widen(std::to_string(value))) << value;
  }
  for (const std::uint64_t bits : SampleValues()) {
    const auto value = static_cast<std::int64_t>(bits);
    ASSERT_EQ(Signed64ToText(value), Widen(std::to_string(value))) << value;
  }
  EXPECT_EQ(Signed64ToText(INT64_MIN), u"-9223372036854775808");
}

TEST(NumberText, InvalidArgumentsGiveEmptyTextAndError) {
  for (const unsigned radix : {0u, 1u, 37u, UINT_MAX}) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(UnsignedToText(5, radix, 4, u'0'), u"") << radix;
    EXPECT_EQ(Unsigned64ToText(5, radix, 4, u'0'), u"") << radix;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << radix;
  }
  for (const unsigned bits : {0u, 65u, UINT_MAX}) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(BinaryDigits(1, bits), u"") << bits;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << bits;
  }
}

TEST(NumberText, PadText) {
  struct Row {
    std::u16string_view text;
    int width;
    std::u16string_view expected;
  };
  const Row rows[] = {
      {u"42", 5, u"...42"}, {u"42", -5, u"42..."},   {u"42", 0, u"42"},        {u"42", 2, u"42"},
      {u"42", -2, u"42"},   {u"12345", 3, u"12345"}, {u"12345", -3, u"12345"}, {u"", 3, u"..."},
      {u"", -1, u"."},      {u"", 0, u""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(PadText(row.text, row.width, u'.'), row.expected)
        << std::string(row.text.begin(), row.text.end()) << " width " << row.width;
  }
  EXPECT_EQ(RepeatChar(0, u'x'), u"");
  EXPECT_EQ(RepeatChar(3, u'x'), u"xxx");
}

TEST(NumberText, NumbersWithPadding) {
  EXPECT_EQ(UnsignedToText(0xA, 16, 8, u'0'), u"0000000A");
  EXPECT_EQ(UnsignedToText(0xA, 16, -4, u'.'), u"A...");
  EXPECT_EQ(UnsignedToText(123456, 10, 3, u'0'), u"123456");
  EXPECT_EQ(Unsigned64ToText(1, 16, 16, u'0'), u"0000000000000001");
  EXPECT_EQ(Signed64ToText(42, 5, u'0'), u"00042");
  // Zeros go between the sign and the digits; other pads in front of the sign.
  EXPECT_EQ(Signed64ToText(-42, 5, u'0'), u"-0042");
  EXPECT_EQ(Signed64ToText(-42, 3, u'0'), u"-42");
  EXPECT_EQ(Signed64ToText(-42, 5), u"  -42");
  EXPECT_EQ(Signed64ToText(-42, -5, u'*'), u"-42**");
  EXPECT_EQ(Signed64ToText(INT64_MIN, 21, u'0'), u"-09223372036854775808");
}

// Independent reference: std::bitset, then '_' every 8 digits from the right.
std::u16string BinaryReference(std::uint64_t value, unsigned bitCount) {
  const std::string all = std::bitset<64>(value).to_string();
  std::u16string text;
  for (unsigned bit = bitCount; bit-- > 0;) {
    text += static_cast<char16_t>(all[63 - bit]);
    if (bit != 0 && bit % 8 == 0) text += u'_';
  }
  return text;
}

TEST(NumberText, BinaryDigits) {
  EXPECT_EQ(BinaryDigits(0x501, 11), u"101_00000001");
  EXPECT_EQ(BinaryDigits(0x41424344, 32), u"01000001_01000010_01000011_01000100");
  EXPECT_EQ(BinaryDigits(0xFF00, 8), u"00000000");  // higher bits are not shown
  for (unsigned byte = 0; byte < 256; ++byte) {
    ASSERT_EQ(BinaryDigits(byte, 8), BinaryReference(byte, 8)) << byte;
  }
  for (const unsigned bits : {1u, 8u, 9u, 11u, 32u, 64u}) {
    for (const std::uint64_t value : SampleValues()) {
      ASSERT_EQ(BinaryDigits(value, bits), BinaryReference(value, bits))
          << value << " bits " << bits;
    }
  }
}

}  // namespace
}  // namespace bitvane
