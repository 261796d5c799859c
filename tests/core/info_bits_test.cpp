// The binary digits of the information texts, as the views write them, and the bits
// they stand for.
#include "core/info_bits.h"

#include <gtest/gtest.h>

namespace bitvane {
namespace {

TEST(InfoBits, EachDigitIsItsBitAndNothingElseIs) {
  const std::u16string byteLine = u"01000001", tooLong = u"010000011",
                       intLine = u"00000000_00000000_00000000_01000001",
                       hugeLine =
                           u"00111111_11111000_00000000_00000000_00000000_00000000_"
                           u"00000000_01000001",
                       doubleTop = u"Sign=0 Exp=011_11111111",
                       doubleMant =
                           u"Mant=1000_00000000_00000000_00000000_00000000_00000000_01000001",
                       singleTop = u"Sign=0 Exp=01111111",
                       singleMant = u"Mant=0000000_00000000_01000001";
  const struct {
    ViewId view;
    const std::u16string& text;
    unsigned line, column;
    int valueBit;  // -1: no digit there
    const char* tip;
  } rows[] = {
      {ViewId::Byte0, byteLine, 3, 1, 6, "bit 6 of the value; bit 6 of byte #0"},
      {ViewId::Byte0, byteLine, 2, 1, -1, nullptr},
      {ViewId::Byte0, byteLine, 3, 8, -1, nullptr},
      {ViewId::Byte0, tooLong, 3, 8, -1, nullptr},     // more digits than the view has bits
      {ViewId::LowInt32, intLine, 1, 8, -1, nullptr},  // a group separator
      {ViewId::LowInt32, intLine, 1, 9, 23, "bit 23 of the value; bit 23 of the low integer"},
      {ViewId::LowInt32, intLine, 1, 34, 0, nullptr},
      {ViewId::HighInt32, intLine, 1, 0, 63, "bit 63 of the value; bit 31 of the high integer"},
      {ViewId::HighInt32, intLine, 0, 0, -1, nullptr},
      {ViewId::HugeInt64, hugeLine, 1, 70, 0, nullptr},
      {ViewId::Double64, doubleTop, 0, 5, 63, "bit 63 of the value; sign bit of the double"},
      {ViewId::Double64, doubleTop, 0, 4, -1, nullptr},
      {ViewId::Double64, doubleTop, 0, 11, 62,
       "bit 62 of the value; exponent bit 10 of the double"},
      {ViewId::Double64, doubleTop, 0, 14, -1, nullptr},
      {ViewId::Double64, doubleTop, 0, 22, 52, "bit 52 of the value; exponent bit 0 of the double"},
      {ViewId::Double64, doubleMant, 1, 5, 51,
       "bit 51 of the value; fraction bit 51 of the double"},
      {ViewId::Double64, doubleMant, 1, 62, 0, nullptr},
      {ViewId::Double64, doubleMant, 0, 5, -1, nullptr},
      {ViewId::HighSingle, singleTop, 0, 5, 63, "bit 63 of the value; sign bit of the high single"},
      {ViewId::HighSingle, singleTop, 0, 18, 55,
       "bit 55 of the value; exponent bit 0 of the high single"},
      {ViewId::LowSingle, singleMant, 1, 29, 0,
       "bit 0 of the value; fraction bit 0 of the low single"},
      {ViewId::LowSingle, singleMant, 1, 5, 22, nullptr}};
  for (const auto& row : rows) {
    const ValueView& view = ViewOf(row.view);
    const std::optional<InfoBit> bit = BitAtInfoPosition(view, row.text, row.line, row.column);
    ASSERT_EQ(bit.has_value(), row.valueBit >= 0)
        << static_cast<int>(row.view) << " " << row.column;
    if (!bit) continue;
    EXPECT_EQ(bit->valueBit, static_cast<unsigned>(row.valueBit)) << static_cast<int>(row.view);
    if (row.tip != nullptr) {
      EXPECT_EQ(InfoBitTip(view, *bit), row.tip);
    }
  }
}

}  // namespace
}  // namespace bitvane
