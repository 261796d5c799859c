#include "core/value_views.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/memory_controls.h"
#include "core/status_colors.h"

namespace bitvane {
namespace {

constexpr ControlRef kByte0 = InputOf(ViewId::Byte0), kByte3 = InputOf(ViewId::Byte3),
                     kByte3Info = InfoOf(ViewId::Byte3), kLowInt = InputOf(ViewId::LowInt32),
                     kHugeInt = InputOf(ViewId::HugeInt64), kLowSingle = InputOf(ViewId::LowSingle),
                     kDouble = InputOf(ViewId::Double64);

class ValueViewsTest : public ::testing::Test {
 protected:
  ValueViewsTest() {
    controls.SetChangeHandler([this](ControlRef control) { views.OnInputChanged(control); });
    views.RefreshViews();
    views.ShowStatus();
  }

  // Every input and information text, inputs first, in table order.
  std::vector<std::u16string> Texts() const {
    std::vector<std::u16string> texts;
    for (const ValueView& view : ViewTable()) texts.push_back(controls.Text(InputOf(view.id)));
    for (const ValueView& view : ViewTable()) texts.push_back(controls.Text(InfoOf(view.id)));
    return texts;
  }

  MemoryControls controls;
  ValueViews views{controls};
};

TEST_F(ValueViewsTest, TypingRewritesEverythingButTheTypedLine) {
  controls.SetText(kByte3, u"0x41");
  EXPECT_EQ(views.value.ToU64(), 0x41000000u);
  EXPECT_EQ(controls.Text(kByte3), u"0x41");  // stays as typed
  EXPECT_EQ(controls.Text(kByte3Info).substr(0, 4), u"0x41");
  EXPECT_EQ(controls.Text(kLowInt), u"1090519040");
  EXPECT_EQ(controls.Text(kStatusLine), u"(no problem)");

  controls.SetText(kDouble, u"1e3");
  EXPECT_EQ(controls.Text(kDouble), u"1e3");
  EXPECT_EQ(controls.Text(kHugeInt), u"4652007308841189376");
}

TEST_F(ValueViewsTest, ProgramWritesNeverReachTheParser) {
  const int statusWrites = controls.WriteCount(kStatusLine);
  views.RefreshViews();
  views.OnSwap(SwapId::HugeBytes);
  EXPECT_EQ(controls.WriteCount(kStatusLine), statusWrites);
  for (const ValueView& view : ViewTable()) EXPECT_TRUE(controls.IsEnabled(InputOf(view.id)));
}

TEST_F(ValueViewsTest, RejectedTextChangesNothingButTheStatus) {
  controls.SetText(kByte0, u"5");
  const auto before = Texts();
  const RawValue value = views.value;
  controls.SetText(kLowInt, u"zz");
  EXPECT_EQ(views.value, value);
  EXPECT_EQ(controls.Text(kStatusLine), u"Invalid Low Integer (32-bit) value");
  const StatusColors light = StatusColorsFor(false);
  EXPECT_EQ(controls.Colors(kStatusLine), light.message);
  EXPECT_EQ(controls.Colors(kLowInt), light.message);
  auto after = Texts();
  const auto lowInt = static_cast<std::size_t>(ViewId::LowInt32);
  EXPECT_EQ(after[lowInt], u"zz");
  after[lowInt] = before[lowInt];
  EXPECT_EQ(after, before);

  // The next accepted text anywhere clears both.
  controls.SetText(kByte0, u"6");
  EXPECT_EQ(controls.Text(kStatusLine), u"(no problem)");
  EXPECT_EQ(controls.Colors(kStatusLine), light.allClear);
  EXPECT_EQ(controls.Colors(kLowInt), light.inputNormal);
}

TEST_F(ValueViewsTest, MessagesOfTheHandlers) {
  const struct {
    ControlRef input;
    std::u16string text;
    std::u16string status;
  } rows[] = {
      {kByte0, u"-", u"Invalid Byte #0 value"},
      {kDouble, u"", u"Empty Double"},
      {InputOf(ViewId::Byte4), u"256", u"Byte #4 out of range"},
      {kLowSingle, u"1e39", u"Low Float/Single out of range"},
  };
  for (const auto& row : rows) {
    const RawValue value = views.value;
    controls.SetText(row.input, row.text);
    EXPECT_EQ(controls.Text(kStatusLine), row.status);
    EXPECT_EQ(views.value, value);
  }
  controls.SetText(kLowInt, u"0x");  // reads as 0, so it is accepted
  EXPECT_EQ(controls.Text(kStatusLine), u"(no problem)");
  controls.SetText(kDouble, u"1.5x");
  EXPECT_EQ(controls.Text(kHugeInt), u"4609434218613702656");
}

TEST_F(ValueViewsTest, SwapRewritesEveryLineAndLeavesTheStatus) {
  controls.SetText(kHugeInt, u"0x0123456789ABCDEF");
  controls.SetText(kByte0, u"nonsense");
  const ColorPair marked = controls.Colors(kByte0);
  views.OnSwap(SwapId::HugeBytes);
  EXPECT_EQ(views.value.ToU64(), 0xEFCDAB8967452301ull);
  EXPECT_EQ(controls.Text(kByte0), u"1");  // the rejected text is replaced
  EXPECT_EQ(controls.Text(kHugeInt), u"-1167088121787636991");
  EXPECT_EQ(controls.Text(kStatusLine), u"Invalid Byte #0 value");
  EXPECT_EQ(controls.Colors(kByte0), marked);
}

TEST_F(ValueViewsTest, SmallestDenormalsFromByteZero) {
  controls.SetText(kByte0, u"1");
  EXPECT_EQ(controls.Text(kLowInt), u"1");
  EXPECT_EQ(controls.Text(kLowSingle), u"1.401298464324817e-45");
  EXPECT_EQ(controls.Text(kDouble), u"4.940656458412465e-324");
  controls.SetText(kByte0, u"0");
  controls.SetText(InputOf(ViewId::Byte7), u"0x80");
  EXPECT_EQ(controls.Text(InputOf(ViewId::HighInt32)), u"-2147483648");
  EXPECT_EQ(controls.Text(kDouble), u"-0");
}

TEST_F(ValueViewsTest, DarkThemeStatusColours) {
  views.darkTheme = true;
  views.ShowStatus();
  EXPECT_EQ(controls.Text(kStatusLine), u"(no problem)");
  EXPECT_EQ(controls.Colors(kStatusLine), (ColorPair{0xCCCCCC, 0x003300}));
  EXPECT_EQ(controls.Colors(kDouble), (ColorPair{0xFFFFFF, 0x000000}));
  views.ShowStatus(ViewId::Double64, u"x");
  EXPECT_EQ(controls.Colors(kDouble), (ColorPair{0xFFFFFF, 0x003399}));
}

}  // namespace
}  // namespace bitvane
