#include "foundation/number_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/last_error.h"

namespace bitvane {
namespace {

TEST(NumberText, UnsignedInEveryRadix) {
  const struct {
    std::uint64_t value;
    unsigned radix;
    std::u16string_view text;
  } rows[] = {
      {0, 2, u"0"},
      {35, 36, u"Z"},
      {36, 36, u"10"},
      {0xFFFFFFFF, 36, u"1Z141Z3"},
      {UINT64_MAX, 16, u"FFFFFFFFFFFFFFFF"},
      {UINT64_MAX, 2, u"1111111111111111111111111111111111111111111111111111111111111111"},
      {UINT64_MAX, 36, u"3W5E11264SGSF"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(Unsigned64ToText(row.value, row.radix), row.text);
    if (row.value <= UINT32_MAX) {
      EXPECT_EQ(UnsignedToText(static_cast<std::uint32_t>(row.value), row.radix, 0, u' '),
                row.text);
    }
  }
}

TEST(NumberText, Signed) {
  EXPECT_EQ(SignedToText(INT32_MIN), u"-2147483648");
  EXPECT_EQ(Signed64ToText(INT64_MAX), u"9223372036854775807");
  EXPECT_EQ(Signed64ToText(INT64_MIN), u"-9223372036854775808");
}

TEST(NumberText, InvalidArgumentsGiveEmptyTextAndError) {
  for (const unsigned radix : {1u, 37u}) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(UnsignedToText(5, radix, 4, u'0'), u"") << radix;
    EXPECT_EQ(Unsigned64ToText(5, radix, 4, u'0'), u"") << radix;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << radix;
  }
  for (const unsigned bits : {0u, 65u}) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(BinaryDigits(1, bits), u"") << bits;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << bits;
  }
}

TEST(NumberText, Padding) {
  const struct {
    std::u16string_view text;
    int width;
    std::u16string_view expected;
  } rows[] = {
      {u"42", 5, u"...42"},    {u"42", -5, u"42..."}, {u"42", 2, u"42"}, {u"42", -2, u"42"},
      {u"12345", 3, u"12345"}, {u"", -1, u"."},       {u"", 1, u"."},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(PadText(row.text, row.width, u'.'), row.expected) << row.width;
  }
  EXPECT_EQ(UnsignedToText(0xA, 16, 8, u'0'), u"0000000A");
  EXPECT_EQ(Unsigned64ToText(0xA, 16, -4, u'.'), u"A...");
  EXPECT_EQ(Signed64ToText(-42, 5, u'0'), u"-0042");
  EXPECT_EQ(Signed64ToText(-42, 3, u'0'), u"-42");
  EXPECT_EQ(Signed64ToText(-42, 5), u"  -42");
  EXPECT_EQ(Signed64ToText(-42, -5, u'0'), u"-4200");
  EXPECT_EQ(Signed64ToText(42, 4, u'0'), u"0042");
}

TEST(NumberText, BinaryDigits) {
  EXPECT_EQ(BinaryDigits(0xFF00, 8), u"00000000");  // higher bits are not shown
  EXPECT_EQ(BinaryDigits(0x501, 11), u"101_00000001");
  EXPECT_EQ(BinaryDigits(0x8000000000000081, 64),
            u"10000000_00000000_00000000_00000000_00000000_00000000_00000000_10000001");
}

}  // namespace
}  // namespace bitvane
