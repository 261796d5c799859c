#include "core/integer_texts.h"

#include <gtest/gtest.h>

#include <bitset>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/text.h"

namespace bitvane {
namespace {

std::u16string Widen(const std::string& text) {
  return {text.begin(), text.end()};
}
using test::Narrow;

bool IsHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

TEST(IntegerTexts, EveryByteMatchesAnIndependentFormulation) {
  for (unsigned byte = 0; byte < 256; ++byte) {
    const int asSigned = static_cast<std::int8_t>(byte);
    char literal[8];
    if (byte == '\\' || byte == '\'' || byte == '"')
      std::snprintf(literal, 8, "'\\%c'", byte);
    else if (byte >= 0x20 && byte < 0x7F)
      std::snprintf(literal, 8, "'%c'", byte);
    else
      std::snprintf(literal, 8, "'\\x%02X'", byte);
    char head[32];
    std::snprintf(head, sizeof head, "0x%02X\r\n%uU\r\n%d\r\n", byte, byte, asSigned);
    const std::string info = head + std::bitset<8>(byte).to_string() + "\r\n" + literal;
    EXPECT_EQ(ByteInputText(static_cast<std::uint8_t>(byte)), Widen(std::to_string(asSigned)))
        << byte;
    EXPECT_EQ(ByteInfoText(static_cast<std::uint8_t>(byte)), Widen(info)) << byte;
  }
}

TEST(IntegerTexts, Examples) {
  struct Row {
    std::uint64_t bits;
    unsigned size;  // 1, 4 or 8
    std::u16string_view input, info;
  };
  const Row rows[] = {
      {0x41, 1, u"65", u"0x41\r\n65U\r\n65\r\n01000001\r\n'A'"},
      {0xFF, 1, u"-1", u"0xFF\r\n255U\r\n-1\r\n11111111\r\n'\\xFF'"},
      {0x22, 1, u"34", u"0x22\r\n34U\r\n34\r\n00100010\r\n'\\\"'"},
      {0x41424344, 4, u"1094861636",
       u"0x41424344 = 1094861636U = 1094861636\r\n01000001_01000010_01000011_01000100\r\n"
       u"\"DCBA\" = 'ABCD'"},
      {0xFFFFFFFF, 4, u"-1",
       u"0xFFFFFFFF = 4294967295U = -1\r\n11111111_11111111_11111111_11111111\r\n"
       u"\"\\xFF\\xFF\\xFF\\xFF\" = '\\xFF\\xFF\\xFF\\xFF'"},
      {0x8000000A, 4, u"-2147483638",
       u"0x8000000A = 2147483658U = -2147483638\r\n10000000_00000000_00000000_00001010\r\n"
       u"\"\\x0A\\x00\\x00\\x80\" = '\\x80\\x00\\x00\\x0A'"},
      {1, 8, u"1",
       u"0x0000000000000001 = 1U = 1\r\n"
       u"00000000_00000000_00000000_00000000_00000000_00000000_00000000_00000001\r\n"
       u"\"\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\" = "
       u"'\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x01'"},
      {0x8000000000000000, 8, u"-9223372036854775808",
       u"0x8000000000000000 = 9223372036854775808U = -9223372036854775808\r\n"
       u"10000000_00000000_00000000_00000000_00000000_00000000_00000000_00000000\r\n"
       u"\"\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x80\" = "
       u"'\\x80\\x00\\x00\\x00\\x00\\x00\\x00\\x00'"},
      {0x4847464544434241, 8, u"5208208757389214273",
       u"0x4847464544434241 = 5208208757389214273U = 5208208757389214273\r\n"
       u"01001000_01000111_01000110_01000101_01000100_01000011_01000010_01000001\r\n"
       u"\"ABCDEFGH\" = 'HGFEDCBA'"},
  };
  for (const Row& row : rows) {
    const auto low = static_cast<std::uint32_t>(row.bits);
    const auto byte = static_cast<std::uint8_t>(row.bits);
    const std::u16string input = row.size == 1   ? ByteInputText(byte)
                                 : row.size == 4 ? Int32InputText(low)
                                                 : Int64InputText(row.bits);
    const std::u16string info = row.size == 1   ? ByteInfoText(byte)
                                : row.size == 4 ? Int32InfoText(low)
                                                : Int64InfoText(row.bits);
    EXPECT_EQ(input, row.input) << std::hex << row.bits;
    EXPECT_EQ(info, row.info) << std::hex << row.bits;
  }
}

TEST(CharLiteralText, HexDigitAfterAShortEscapeIsEscapedToo) {
  struct Row {
    std::uint64_t bytes;
    unsigned count;
    char16_t quote;
    std::u16string_view text;
  };
  const Row rows[] = {
      {0x410A, 2, u'"', u"\"\\x0A\\x41\""},  // "\x0AA" would read as 0xAA
      {0x3000, 2, u'"', u"\"\\x00\\x30\""},
      {0x660F, 2, u'"', u"\"\\x0F\\x66\""},
      {0x470A, 2, u'"', u"\"\\x0AG\""},         // no hex digit
      {0x4110, 2, u'"', u"\"\\x10A\""},         // \x10 ends the escape by itself
      {0x424101, 3, u'"', u"\"\\x01\\x41B\""},  // only the character right after
      {0x410A, 2, u'\'', u"'A\\x0A'"},          // the apostrophe turns the order
      {0x0A41, 2, u'\'', u"'\\x0A\\x41'"},
      {0x41, 0, u'\'', u"''"},
      {0x4241, 1, u'"', u"\"A\""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CharLiteralText(row.bytes, row.count, row.quote), row.text) << Narrow(row.text);
  }
}

// Splits a literal into its characters and escapes, checking the notation: the
// quotes, printable characters other than quotes, \\ \' \" and \x with two upper-case
// hex digits, and no hex digit right after the escape of a byte below 0x10. Returns
// the bytes in text order.
std::string CheckedBytes(std::u16string_view literal, char16_t quote) {
  std::string bytes;
  EXPECT_TRUE(literal.size() >= 2 && literal.front() == quote && literal.back() == quote);
  bool afterShortEscape = false;
  for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
    char16_t c = literal[i];
    if (c == u'\\' && literal[i + 1] == u'x') {
      const std::string hex = Narrow(literal.substr(i + 2, 2));
      EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
      bytes += static_cast<char>(std::stoi(hex, nullptr, 16));
      afterShortEscape = hex[0] == '0';
      i += 3;
      continue;
    }
    const bool escaped = c == u'\\';
    if (escaped)
      c = literal[++i];
    else
      EXPECT_FALSE(afterShortEscape && IsHexDigit(c)) << Narrow(literal);
    const bool special = c == u'\\' || c == u'\'' || c == u'"';
    EXPECT_TRUE(i + 1 < literal.size() && c >= 0x20 && c < 0x7F && special == escaped)
        << Narrow(literal);
    bytes += static_cast<char>(c);
    afterShortEscape = false;
  }
  return bytes;
}

TEST(CharLiteralText, PairsAndRandomEightsAreWrittenInTheReadersNotation) {
  std::vector<std::pair<std::uint64_t, unsigned>> cases;
  for (std::uint64_t pair = 0; pair < 0x10000; ++pair) cases.emplace_back(pair, 2);
  std::uint64_t x = 0x9E3779B97F4A7C15u;
  for (int i = 0; i < 4000; ++i) {
    x ^= x << 13;  // xorshift64; every other value rich in small bytes and hex digits
    x ^= x >> 7;
    x ^= x << 17;
    cases.emplace_back(i % 2 ? x : (x & 0x0F0F0F0F0F0F0F0F) | 0x3030003000300030, 8);
  }
  for (const auto& [bytes, count] : cases) {
    for (const char16_t quote : {u'\'', u'"'}) {
      const std::u16string literal = CharLiteralText(bytes, count, quote);
      std::string expected;
      for (unsigned i = 0; i < count; ++i)
        expected += static_cast<char>(bytes >> 8 * (quote == u'\'' ? count - 1 - i : i));
      ASSERT_EQ(CheckedBytes(literal, quote), expected) << Narrow(literal);
    }
  }
  EXPECT_EQ(CharLiteralText(x, 9, u'"'), CharLiteralText(x, 8, u'"'));  // clamped
}

}  // namespace
}  // namespace bitvane
