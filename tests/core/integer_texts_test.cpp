#include "core/integer_texts.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/text.h"

namespace bitvane {
namespace {

using test::Narrow;

TEST(IntegerTexts, Examples) {
  struct Row {
    std::uint64_t bits;
    unsigned size;  // 1, 4 or 8
    std::u16string_view input, info;
  };
  const Row rows[] = {
      {0x20, 1, u"32", u"0x20\r\n32U\r\n32\r\n00100000\r\n' '"},         // printable from 0x20
      {0x7F, 1, u"127", u"0x7F\r\n127U\r\n127\r\n01111111\r\n'\\x7F'"},  // up to 0x7E
      {0xFF, 1, u"-1", u"0xFF\r\n255U\r\n-1\r\n11111111\r\n'\\xFF'"},
      {0x22, 1, u"34", u"0x22\r\n34U\r\n34\r\n00100010\r\n'\\\"'"},
      {0x8000000A, 4, u"-2147483638",
       u"0x8000000A = 2147483658U = -2147483638\r\n10000000_00000000_00000000_00001010\r\n"
       u"\"\\x0A\\x00\\x00\\x80\" = '\\x80\\x00\\x00\\x0A'"},
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
    SCOPED_TRACE(Narrow(row.input));
    const auto low = static_cast<std::uint32_t>(row.bits);
    const auto byte = static_cast<std::uint8_t>(row.bits);
    EXPECT_EQ(row.size == 1   ? ByteInputText(byte)
              : row.size == 4 ? Int32InputText(low)
                              : Int64InputText(row.bits),
              row.input);
    EXPECT_EQ(row.size == 1   ? ByteInfoText(byte)
              : row.size == 4 ? Int32InfoText(low)
                              : Int64InfoText(row.bits),
              row.info);
  }
}

// A hex-digit character right after "\x0H" is escaped too: the reader would take it in.
TEST(CharLiteralText, HexDigitAfterAShortEscapeIsEscapedToo) {
  struct Row {
    std::uint64_t bytes;
    unsigned count;
    char16_t quote;
    std::u16string_view text;
  };
  const Row rows[] = {
      {0x410A, 2, u'"', u"\"\\x0A\\x41\""},            // "\x0AA" would read as 0xAA
      {0x470A, 2, u'"', u"\"\\x0AG\""},                // no hex digit
      {0x4110, 2, u'"', u"\"\\x10A\""},                // \x10 ends the escape by itself
      {0x424101, 3, u'"', u"\"\\x01\\x41B\""},         // only the character right after
      {0x410A, 2, u'\'', u"'A\\x0A'"},                 // the apostrophe turns the order
      {0x4847464544434241, 9, u'"', u"\"ABCDEFGH\""},  // clamped to 8
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CharLiteralText(row.bytes, row.count, row.quote), row.text) << Narrow(row.text);
  }
}

}  // namespace
}  // namespace bitvane
