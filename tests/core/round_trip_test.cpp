// What the views write, the parser must read back to the same bytes.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/field_parser.h"
#include "core/integer_texts.h"
#include "core/view_table.h"
#include "core/view_texts.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

using test::Shown;

void ExpectLiteralReadsBack(std::uint64_t bytes, unsigned count) {
  for (const char16_t quote : {u'\'', u'"'}) {
    const std::u16string literal = CharLiteralText(bytes, count, quote);
    std::uint64_t back = ~std::uint64_t{0};
    ASSERT_EQ(ParseCharLiteral(literal, back), static_cast<int>(count)) << Shown(literal);
    ASSERT_EQ(back, count == 8 ? bytes : bytes & ((1ull << 8 * count) - 1)) << Shown(literal);
  }
}

// A literal's only context is the byte before: every pair, then the order of eight.
TEST(RoundTrip, CharLiterals) {
  for (std::uint64_t pair = 0; pair <= 0xFFFF; ++pair) ExpectLiteralReadsBack(pair, 2);
  for (const std::uint64_t eight : {0x0A410F66'5C2227FFull, 0x00300A46'6110417Full}) {
    ExpectLiteralReadsBack(eight, 8);
    ExpectLiteralReadsBack(eight, 4);
  }
}

bool IsFinite(const ValueView& view, const RawValue& value) {
  const std::uint64_t exponent = view.size == 4 ? 0x7F800000 : 0x7FF0000000000000;
  return (value.Bytes(view.firstByte, view.size) & exponent) != exponent;
}

// Every input text is accepted. Integers and singles read back exactly, and so do the
// extremes of both formats; a double's 16 digits need not pin it down, but come close.
TEST(RoundTrip, EveryInputTextReadsBack) {
  std::vector<std::uint64_t> values;
  for (const std::uint64_t sign : {0ull, 0x8000000080000000ull}) {
    for (const std::uint64_t bits :
         {0x7F7FFFFF7F7FFFFFull, 0x0080000000800000ull, 0x0000000100000001ull,
          0x7FEFFFFFFFFFFFFFull, 0x0010000000000000ull, 1ull}) {
      values.push_back(bits ^ sign);
    }
  }
  // Then random values; three in eight lie within 64 bit patterns of the largest
  // value, the smallest normal one or zero, in the double or in both singles.
  std::mt19937_64 random(5);
  for (int i = 0; i < 4000; ++i) {
    const std::uint64_t r = random(), near = r % 64, sign = r & 0x8000000080000000ull;
    const std::uint64_t doubles[] = {0x7FEFFFFFFFFFFFFF - near, 0x000FFFFFFFFFFFE0 + near, near};
    const std::uint64_t singles[] = {0x7F7FFFFF - near, 0x007FFFE0 + near, near};
    const int pick = i % 16;
    values.push_back(pick < 3   ? doubles[pick] ^ sign
                     : pick < 6 ? (singles[pick - 3] * 0x100000001ull) ^ sign
                                : r);
  }
  for (const std::uint64_t bits64 : values) {
    const RawValue value = RawValue::FromU64(bits64);
    for (const ValueView& view : ViewTable()) {
      const std::u16string text = ViewInputText(view, value);
      SCOPED_TRACE(Shown(view.name) + " " + Shown(text));
      RawValue back = RawValue::FromU64(~value.ToU64());
      std::u16string message;
      ASSERT_TRUE(ReadFieldText(text, view, back, message)) << Shown(message);
      const std::uint64_t bits = value.Bytes(view.firstByte, view.size);
      const std::uint64_t read = back.Bytes(view.firstByte, view.size);
      const std::uint64_t magnitude = bits << 1 >> 1;  // of a double
      const bool extreme =
          magnitude == 0x7FEFFFFFFFFFFFFF || magnitude == 0x0010000000000000 || magnitude == 1;
      if (view.kind == ViewKind::Integer || (view.size == 4 && IsFinite(view, value)) || extreme) {
        EXPECT_EQ(read, bits);
      } else if (IsFinite(view, value)) {
        const double was = std::bit_cast<double>(bits), now = std::bit_cast<double>(read);
        EXPECT_LE(std::abs(now - was), std::abs(was) * 1e-13);
      }
    }
  }
}

}  // namespace
}  // namespace bitvane
