#include "core/float_texts.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <string>

#include "core/view_texts.h"
#include "tests/support/sample_doubles.h"

namespace bitvane {
namespace {

using test::Double;
using test::Narrow;

TEST(FloatTexts, InputTextExamples) {
  struct Row {
    double value;
    std::u16string_view eng, input;  // eng empty: only no shorter than the input text
  };
  const Row rows[] = {
      {0.0, u"", u"0"},
      {-0.0, u"-0e+0", u"-0"},
      {1.0, u"1e+0", u"1"},
      {0.00001, u"10e-6", u"10e-6"},
      {0.1 + 0.2, u"300e-3", u"0.3"},
      {-1.5e-7, u"-150e-9", u"-150e-9"},
      {DBL_MAX, u"179.7693134862316e+306", u"179.7693134862316e+306"},
      {DBL_TRUE_MIN, u"4.940656458412465e-324", u"4.940656458412465e-324"},
      {WidenSingle(0x3DCCCCCD), u"100.0000014901161e-3", u"0.1000000014901161"},
      {WidenSingle(0x7F7FFFFF), u"340.2823466385289e+36", u"340.2823466385289e+36"},
      {-HUGE_VAL, u"-Inf", u"-Inf"},
      {Double(0x7FF8000000000000), u"Nan", u"Nan"},
      {WidenSingle(0xFFA00000), u"-Nan", u"-Nan"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Narrow(row.input));
    const std::u16string eng = DoubleToEngText(row.value);
    EXPECT_TRUE(row.eng.empty() || eng == row.eng) << Narrow(eng);
    EXPECT_GE(eng.size(), row.input.size());
    EXPECT_EQ(FloatInputText(row.value), row.input);
  }
}

// FloatInputText counts both lengths without building both texts.
TEST(FloatTexts, InputTextIsTheShorter) {
  for (const double value : test::SampleDoubles()) {
    const std::u16string plain = DoubleToPlainText(value);
    const std::u16string eng = DoubleToEngText(value);
    ASSERT_EQ(FloatInputText(value), plain.size() > eng.size() ? eng : plain) << value;
  }
}

TEST(FloatTexts, WideningKeepsNaNSignAndFraction) {
  EXPECT_EQ(std::bit_cast<std::uint64_t>(WidenSingle(0xFFA00001)), 0xFFF4000020000000u);
  EXPECT_EQ(WidenSingle(0x3DCCCCCD), static_cast<double>(0.1f));
}

TEST(FloatTexts, InfoTexts) {
  const std::u16string zeros = u"_00000000_00000000_00000000_00000000_00000000_00000000";
  EXPECT_EQ(SingleInfoText(0x3F800000), u"Sign=0 Exp=01111111\r\nMant=0000000_00000000_00000000");
  EXPECT_EQ(SingleInfoText(0xC0490FDB), u"Sign=1 Exp=10000000\r\nMant=1001001_00001111_11011011");
  EXPECT_EQ(DoubleInfoText(0x8000000000000000), u"Sign=1 Exp=000_00000000\r\nMant=0000" + zeros);
  EXPECT_EQ(DoubleInfoText(0x400921FB54442D18),
            u"Sign=0 Exp=100_00000000\r\n"
            u"Mant=1001_00100001_11111011_01010100_01000100_00101101_00011000");
}

TEST(ViewTexts, EachViewShowsItsOwnBytes) {
  struct Row {
    std::uint64_t value;
    ViewId id;
    std::u16string_view input, infoStart;
  };
  const std::uint64_t mixed = 0xC0490FDB3F800000;  // high single -pi, low single 1
  const Row rows[] = {
      {mixed, ViewId::Byte2, u"-128", u"0x80\r\n"},
      {mixed, ViewId::Byte4, u"-37", u"0xDB\r\n"},
      {mixed, ViewId::LowInt32, u"1065353216", u"0x3F800000 = "},
      {mixed, ViewId::HighInt32, u"-1068953637", u"0xC0490FDB = 3226013659U = -1068953637\r\n"},
      {mixed, ViewId::HugeInt64, u"-4591120910789902336", u"0xC0490FDB3F800000 = "},
      {mixed, ViewId::LowSingle, u"1", u"Sign=0 Exp=01111111\r\n"},
      {mixed, ViewId::HighSingle, u"-3.141592741012573", u"Sign=1 Exp=10000000\r\n"},
      {mixed, ViewId::Double64, u"-50.12387841939926", u"Sign=1 Exp=100_00000100\r\n"},
  };
  for (const Row& row : rows) {
    const ValueView& view = ViewOf(row.id);
    const RawValue value = RawValue::FromU64(row.value);
    EXPECT_EQ(ViewInputText(view, value), row.input) << Narrow(view.name);
    EXPECT_EQ(ViewInfoText(view, value).substr(0, row.infoStart.size()), row.infoStart)
        << Narrow(view.name);
  }
}

}  // namespace
}  // namespace bitvane
