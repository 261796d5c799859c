// The float views read back what they show, the largest finite values included.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <string>

#include "core/memory_controls.h"
#include "core/value_views.h"
#include "tests/support/sample_doubles.h"

namespace bitvane {
namespace {

using enum ViewId;
using test::Narrow;

// The view shows `bits` in its input line as the window does, and that line is read
// back over a value of which every bit differs: the view's bits then, nothing if rejected.
std::optional<std::uint64_t> TypeOwnText(ViewId id, std::uint64_t bits, std::u16string& text) {
  const ValueView& view = ViewOf(id);
  MemoryControls controls;
  ValueViews views(controls);
  views.value.SetBytes(view.firstByte, view.size, bits);
  views.RefreshViews();
  text = controls.Text(InputOf(view.id));
  views.value = RawValue::FromU64(~views.value.ToU64());
  if (!views.ParseFieldText(view)) return std::nullopt;
  return views.value.Bytes(view.firstByte, view.size);
}

TEST(FloatExtremes, OwnTextsOfTheExtremesReadBack) {
  std::u16string text;
  for (const std::uint64_t sign : {0ull, 1ull}) {
    for (const std::uint64_t bits : {0x7F7FFFFFull, 0x00800000ull, 1ull}) {
      EXPECT_EQ(TypeOwnText(LowSingle, bits | sign << 31, text), bits | sign << 31) << Narrow(text);
      EXPECT_EQ(TypeOwnText(HighSingle, bits | sign << 31, text), bits | sign << 31);
    }
    for (const std::uint64_t bits : {0x7FEFFFFFFFFFFFFFull, 0x0010000000000000ull, 1ull}) {
      EXPECT_EQ(TypeOwnText(Double64, bits | sign << 63, text), bits | sign << 63) << Narrow(text);
    }
  }
}

// Random finite values; three in eight lie within 64 bit patterns of the largest value,
// the smallest normal one or zero, or have the top exponent.
TEST(FloatExtremes, RandomOwnTextsReadBack) {
  std::mt19937_64 random(11);
  std::u16string text;
  for (int i = 0; i < 4000; ++i) {
    const std::uint64_t r = random(), pick = i % 8, sign = r & 1ull << 63;
    const auto near = static_cast<std::uint32_t>(r % 64);
    const std::uint32_t singles[] = {0x7F7FFFFFu - near, 0x007FFFE0u + near, near};
    const std::uint64_t single =
        (pick < 3 ? singles[pick] : static_cast<std::uint32_t>(r)) ^ sign >> 32;
    if ((single & 0x7F800000u) != 0x7F800000u) {
      EXPECT_EQ(TypeOwnText(i % 2 ? LowSingle : HighSingle, single, text), single) << Narrow(text);
    }
    const std::uint64_t doubles[] = {0x7FEFFFFFFFFFFFFFull - near, 0x7FE0000000000000 | r >> 12,
                                     0x000FFFFFFFFFFFE0ull + near};
    const std::uint64_t bits = (pick < 3 ? doubles[pick] : r) ^ sign;
    if ((bits & 0x7FF0000000000000u) == 0x7FF0000000000000u) continue;
    // The digits need not pin a double down, but they come close: never rejected nor infinite.
    const double back = test::Double(TypeOwnText(Double64, bits, text).value_or(~0ull));  // NaN
    EXPECT_LE(std::abs(back - test::Double(bits)), std::abs(test::Double(bits)) * 1e-13)
        << Narrow(text);
  }
}

}  // namespace
}  // namespace bitvane
