#include "core/float_texts.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "core/view_texts.h"
#include "tests/support/sample_doubles.h"

namespace bitvane {
namespace {

using test::Double;
using test::Narrow;

using test::SampleDoubles;

TEST(FloatTexts, InputTextExamples) {
  struct Row {
    const char* name;
    double value;
    std::u16string_view eng, input;  // eng empty: only longer than the input text
  };
  const Row rows[] = {
      {"0", 0.0, u"", u"0"},
      {"-0", -0.0, u"", u"-0"},
      {"1", 1.0, u"1e+0", u"1"},
      {"1.5", 1.5, u"1.5e+0", u"1.5"},
      {"1000", 1000.0, u"1e+3", u"1000"},
      {"10000", 10000.0, u"10e+3", u"10000"},
      {"1000000", 1e6, u"1e+6", u"1e+6"},
      {"123456789", 123456789.0, u"123.456789e+6", u"123456789"},
      {"12345.678", 12345.678, u"12.345678e+3", u"12345.678"},
      {"0.00001", 0.00001, u"10e-6", u"10e-6"},
      {"0.1", 0.1, u"100e-3", u"0.1"},
      {"0.1 + 0.2", 0.1 + 0.2, u"300e-3", u"0.3"},
      {"1e20", 1e20, u"100e+18", u"100e+18"},
      {"-1.5e-7", -1.5e-7, u"-150e-9", u"-150e-9"},
      {"largest double", DBL_MAX, u"179.7693134862316e+306", u"179.7693134862316e+306"},
      {"smallest denormal", DBL_TRUE_MIN, u"4.940656458412465e-324", u"4.940656458412465e-324"},
      {"single 0.1", WidenSingle(0x3DCCCCCD), u"100.0000014901161e-3", u"0.1000000014901161"},
      {"single 1/3", WidenSingle(0x3EAAAAAB), u"333.3333432674408e-3", u"0.3333333432674408"},
      {"largest single", WidenSingle(0x7F7FFFFF), u"340.2823466385289e+36",
       u"340.2823466385289e+36"},
      {"smallest denormal single", WidenSingle(1), u"1.401298464324817e-45",
       u"1.401298464324817e-45"},
      {"+inf", HUGE_VAL, u"Inf", u"Inf"},
      {"single +inf", WidenSingle(0x7F800000), u"Inf", u"Inf"},
      {"-inf", -HUGE_VAL, u"-Inf", u"-Inf"},
      {"quiet nan", Double(0x7FF8000000000000), u"Nan", u"Nan"},
      {"-signalling nan", Double(0xFFF0000000000001), u"-Nan", u"-Nan"},
      {"single -signalling nan", WidenSingle(0xFFA00000), u"-Nan", u"-Nan"},
  };
  for (const Row& row : rows) {
    const std::u16string eng = DoubleToEngText(row.value);
    EXPECT_TRUE(row.eng.empty() || eng == row.eng) << row.name << ": " << Narrow(eng);
    EXPECT_GE(eng.size(), row.input.size()) << row.name;
    EXPECT_EQ(FloatInputText(row.value), row.input) << row.name;
  }
}

TEST(FloatTexts, InputTextIsTheShorter) {
  for (const double value : SampleDoubles()) {
    const std::u16string plain = DoubleToPlainText(value);
    const std::u16string eng = DoubleToEngText(value);
    ASSERT_EQ(FloatInputText(value), plain.size() > eng.size() ? eng : plain) << value;
  }
}

TEST(FloatTexts, EngTextOfNegativeZero) {
  EXPECT_EQ(DoubleToEngText(-0.0), u"-0e+0");
}

TEST(FloatTexts, WideningKeepsNaNSignAndFraction) {
  EXPECT_EQ(std::bit_cast<std::uint64_t>(WidenSingle(0xFFA00001)), 0xFFF4000020000000u);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(WidenSingle(0x7FC00000)), 0x7FF8000000000000u);
  EXPECT_EQ(WidenSingle(0x3DCCCCCD), static_cast<double>(0.1f));
}

TEST(FloatTexts, InfoTexts) {
  const std::u16string zeros = u"_00000000_00000000_00000000_00000000_00000000_00000000";
  EXPECT_EQ(SingleInfoText(0x3F800000), u"Sign=0 Exp=01111111\r\nMant=0000000_00000000_00000000");
  EXPECT_EQ(SingleInfoText(0x7FC00000), u"Sign=0 Exp=11111111\r\nMant=1000000_00000000_00000000");
  EXPECT_EQ(DoubleInfoText(0x3FF0000000000000), u"Sign=0 Exp=011_11111111\r\nMant=0000" + zeros);
  EXPECT_EQ(DoubleInfoText(0x8000000000000000), u"Sign=1 Exp=000_00000000\r\nMant=0000" + zeros);

  // The digits, read in order, give back every bit.
  const auto bitsOf = [](const std::u16string& text) {
    std::uint64_t bits = 0;
    for (const char16_t c : text.substr(5)) {
      if (c == u'0' || c == u'1') bits = bits * 2 + (c - u'0');
    }
    return bits;
  };
  std::uint64_t x = 0x243F6A8885A308D3u;
  for (int i = 0; i < 2000; ++i) {
    x = x * 6364136223846793005u + 1442695040888963407u;
    ASSERT_EQ(bitsOf(DoubleInfoText(x)), x) << std::hex << x;
    ASSERT_EQ(bitsOf(SingleInfoText(static_cast<std::uint32_t>(x >> 32))), x >> 32)
        << std::hex << x;
  }
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
      {0x01, ViewId::LowSingle, u"1.401298464324817e-45", u"Sign=0 Exp=00000000\r\n"},
      {0x01, ViewId::HighInt32, u"0", u"0x00000000 = "},
      {0x8000000000000000, ViewId::HighInt32, u"-2147483648", u"0x80000000 = "},
      {0x8000000000000000, ViewId::Double64, u"-0", u"Sign=1 Exp=000_00000000\r\n"},
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
