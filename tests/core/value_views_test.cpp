#include "core/value_views.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/memory_controls.h"
#include "core/status_colors.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

constexpr ControlRef kByte0 = InputOf(ViewId::Byte0), kByte3 = InputOf(ViewId::Byte3),
                     kLowInt = InputOf(ViewId::LowInt32), kHugeInt = InputOf(ViewId::HugeInt64),
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
  EXPECT_EQ(controls.Text(InfoOf(ViewId::Byte3)).substr(0, 4), u"0x41");
  EXPECT_EQ(controls.Text(kLowInt), u"1090519040");
  EXPECT_EQ(controls.Text(kStatusLine), u"(no problem)");
  controls.SetText(kDouble, u"1.5x");
  EXPECT_EQ(controls.Text(kDouble), u"1.5x");
  EXPECT_EQ(controls.Text(kHugeInt), u"4609434218613702656");
}

// A refresh or a swap rewrites every line but reports nothing: the status line keeps
// its message and the marking of the rejected line stays, while its text is replaced.
TEST_F(ValueViewsTest, ProgramWritesNeverReachTheParser) {
  controls.SetText(kHugeInt, u"0x0123456789ABCDEF");
  controls.SetText(kByte0, u"nonsense");
  const ColorPair marked = controls.Colors(kByte0);
  const int statusWrites = controls.WriteCount(kStatusLine);
  views.RefreshViews();
  views.OnSwap(SwapId::HugeBytes);
  EXPECT_EQ(controls.WriteCount(kStatusLine), statusWrites);
  EXPECT_EQ(views.value.ToU64(), 0xEFCDAB8967452301ull);
  EXPECT_EQ(controls.Text(kByte0), u"1");
  EXPECT_EQ(controls.Text(kHugeInt), u"-1167088121787636991");
  EXPECT_EQ(controls.Text(kStatusLine), u"Invalid Byte #0 value");
  EXPECT_EQ(controls.Colors(kByte0), marked);
  for (const ValueView& view : ViewTable()) EXPECT_TRUE(controls.IsEnabled(InputOf(view.id)));
}

// A rejected text changes nothing but the status line and the marking of its line;
// the next accepted text anywhere clears both.
TEST_F(ValueViewsTest, RejectedTextChangesNothingButTheStatus) {
  const struct {
    ViewId view;
    std::u16string_view text, status;
  } rows[] = {
      {ViewId::LowInt32, u"zz", u"Invalid Low Integer (32-bit) value"},
      {ViewId::Double64, u"", u"Empty Double"},
      {ViewId::Byte4, u"256", u"Byte #4 out of range"},
      {ViewId::LowSingle, u"1e39", u"Low Float/Single out of range"},
  };
  const StatusColors light = StatusColorsFor(false);
  for (const auto& row : rows) {
    SCOPED_TRACE(test::Narrow(row.status));
    controls.SetText(kByte0, u"5");
    const auto before = Texts();
    const RawValue value = views.value;
    controls.SetText(InputOf(row.view), row.text);
    EXPECT_EQ(views.value, value);
    EXPECT_EQ(controls.Text(kStatusLine), row.status);
    EXPECT_EQ(controls.Colors(kStatusLine), light.message);
    EXPECT_EQ(controls.Colors(InputOf(row.view)), light.message);
    auto after = Texts();
    const auto typed = static_cast<std::size_t>(row.view);
    EXPECT_EQ(after[typed], row.text);
    after[typed] = before[typed];
    EXPECT_EQ(after, before);

    controls.SetText(kByte0, u"6");
    EXPECT_EQ(controls.Text(kStatusLine), u"(no problem)");
    EXPECT_EQ(controls.Colors(kStatusLine), light.allClear);
    EXPECT_EQ(controls.Colors(InputOf(row.view)), light.inputNormal);
  }
}

TEST_F(ValueViewsTest, DarkThemeStatusColours) {
  views.darkTheme = true;
  views.ShowStatus();
  EXPECT_EQ(controls.Colors(kStatusLine), (ColorPair{0xCCCCCC, 0x003300}));
  EXPECT_EQ(controls.Colors(kDouble), (ColorPair{0xFFFFFF, 0x000000}));
  views.ShowStatus(ViewId::Double64, u"x");
  EXPECT_EQ(controls.Colors(kDouble), (ColorPair{0xFFFFFF, 0x003399}));
}

}  // namespace
}  // namespace bitvane
