#include "core/value_views.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/memory_controls.h"
#include "core/status_colors.h"
#include "core/swaps.h"
#include "core/view_texts.h"

namespace bitvane {
namespace {

using enum ViewId;

constexpr ControlRef kByte0 = InputOf(Byte0), kByte3 = InputOf(Byte3), kLowInt = InputOf(LowInt32),
                     kDouble = InputOf(Double64);

TEST(Swaps, EachSwapOnAKnownValue) {
  RawValue value = RawValue::FromU64(0x0123456789ABCDEFull);  // every byte differs
  const std::pair<SwapId, std::uint64_t> rows[] = {
      {SwapId::HighWords, 0x4567012389ABCDEFull}, {SwapId::HighBytes, 0x6745230189ABCDEFull},
      {SwapId::LowWords, 0x01234567CDEF89ABull},  {SwapId::LowBytes, 0x01234567EFCDAB89ull},
      {SwapId::Halves, 0x89ABCDEF01234567ull},    {SwapId::HugeWords, 0xCDEF89AB45670123ull},
      {SwapId::HugeBytes, 0xEFCDAB8967452301ull}};
  for (const auto& [id, result] : rows) EXPECT_EQ(ApplySwap(id, value).ToU64(), result) << int(id);
  value.SetBytes(3, 1, 0x1FF);  // only the low byte is taken
  EXPECT_EQ(value.ToU64(), 0x01234567FFABCDEFull);
}

// A rejected text changes nothing but the status line and the marking of its line; the
// next accepted text anywhere clears both and rewrites every line but the typed one.
// A refresh or a swap rewrites every line but reports nothing.
TEST(ValueViews, TypingRefreshAndSwap) {
  MemoryControls controls;
  ValueViews views{controls};
  controls.SetChangeHandler([&](ControlRef control) { views.OnInputChanged(control); });
  const auto texts = [&] {  // inputs, then information texts
    std::vector<std::u16string> all;
    for (const ValueView& view : ViewTable()) all.push_back(controls.Text(InputOf(view.id)));
    for (const ValueView& view : ViewTable()) all.push_back(controls.Text(InfoOf(view.id)));
    return all;
  };
  const StatusColors light = StatusColorsFor(false);
  controls.SetText(kByte3, u"0x41");
  auto before = texts();
  controls.SetText(kLowInt, u"zz");
  EXPECT_EQ(views.value.ToU64(), 0x41000000u);
  EXPECT_EQ(controls.Text(kStatusLine), u"Invalid Low Integer (32-bit) value");
  EXPECT_EQ(controls.Colors(kStatusLine), light.message);
  EXPECT_EQ(controls.Colors(kLowInt), light.message);
  before[static_cast<std::size_t>(LowInt32)] = u"zz";
  EXPECT_EQ(texts(), before);

  controls.SetText(kByte0, u"0x05");
  EXPECT_EQ(views.value.ToU64(), 0x41000005u);
  EXPECT_EQ(controls.Text(kByte0), u"0x05");  // stays as typed
  EXPECT_EQ(controls.Text(InfoOf(Byte0)).substr(0, 4), u"0x05");
  EXPECT_EQ(controls.Text(kLowInt), u"1090519045");
  EXPECT_EQ(controls.Text(kStatusLine), u"(no problem)");
  EXPECT_EQ(controls.Colors(kStatusLine), light.allClear);
  EXPECT_EQ(controls.Colors(kLowInt), light.inputNormal);

  // The status line keeps its message and the marking of the rejected line stays.
  controls.SetText(kByte0, u"nonsense");
  const int statusWrites = controls.WriteCount(kStatusLine);
  views.RefreshViews();
  views.OnSwap(SwapId::HugeBytes);
  EXPECT_EQ(controls.WriteCount(kStatusLine), statusWrites);
  EXPECT_EQ(views.value.ToU64(), 0x0500004100000000u);
  EXPECT_EQ(controls.Text(kByte0), u"0");
  EXPECT_EQ(controls.Text(kStatusLine), u"Invalid Byte #0 value");
  EXPECT_EQ(controls.Colors(kByte0), light.message);
  for (const ValueView& view : ViewTable()) EXPECT_TRUE(controls.IsEnabled(InputOf(view.id)));

  views.darkTheme = true;
  views.ShowStatus(Double64, u"x");
  EXPECT_EQ(controls.Colors(kDouble), (ColorPair{0xFFFFFF, 0x003399}));
  views.ShowStatus();
  EXPECT_EQ(controls.Colors(kStatusLine), (ColorPair{0xCCCCCC, 0x003300}));
}

}  // namespace
}  // namespace bitvane
