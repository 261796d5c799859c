// What the views write, the parser must read back to the same bytes.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/field_parser.h"
#include "core/integer_texts.h"
#include "core/view_table.h"
#include "core/view_texts.h"

namespace bitvane {
namespace {

std::string Shown(std::u16string_view text) {
  return std::string(text.begin(), text.end());
}

void ExpectLiteralReadsBack(std::uint64_t bytes, unsigned count) {
  for (char16_t quote : {u'\'', u'"'}) {
    const std::u16string literal = CharLiteralText(bytes, count, quote);
    std::uint64_t back = ~std::uint64_t{0};
    ASSERT_EQ(ParseCharLiteral(literal, back), static_cast<int>(count)) << Shown(literal);
    const std::uint64_t mask = count == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << 8 * count) - 1;
    ASSERT_EQ(back, bytes & mask) << Shown(literal);
  }
}

TEST(RoundTrip, CharLiteralsOfEveryPairOfBytes) {
  for (std::uint64_t pair = 0; pair <= 0xFFFF; ++pair) ExpectLiteralReadsBack(pair, 2);
  EXPECT_EQ(CharLiteralText(0x410A, 2, u'"'), u"\"\\x0A\\x41\"");  // not \x0AA, which is 0xAA
}

TEST(RoundTrip, CharLiteralsOfRandomValues) {
  std::mt19937_64 random(3);
  for (int i = 0; i < 20000; ++i) {
    // Bias towards the bytes that need escapes and hex-digit letters.
    std::uint64_t bytes = 0;
    for (int b = 0; b < 8; ++b) {
      static constexpr std::uint8_t kTricky[] = {0x00, 0x0A, 0x0F, 0x10, 0x22, 0x27, 0x30, 0x39,
                                                 0x41, 0x46, 0x5C, 0x61, 0x66, 0x7F, 0xFF};
      const std::uint64_t byte =
          random() % 2 ? kTricky[random() % std::size(kTricky)] : random() & 0xFF;
      bytes |= byte << (8 * b);
    }
    ExpectLiteralReadsBack(bytes, 8);
    ExpectLiteralReadsBack(bytes, 4);
  }
}

TEST(RoundTrip, EveryInputTextReadsBackToItsBytes) {
  std::mt19937_64 random(5);
  for (int i = 0; i < 5000; ++i) {
    const RawValue value = RawValue::FromU64(random());
    for (const ValueView& view : ViewTable()) {
      const std::u16string text = ViewInputText(view, value);
      RawValue back = RawValue::FromU64(~value.ToU64());
      std::u16string message;
      // Every input text is accepted. Integers read back exactly; float texts keep at
      // most 16 digits, which do not always pin a double down, so they are not compared.
      if (!ReadFieldText(text, view, back, message)) {
        ADD_FAILURE() << Shown(text) << ": " << Shown(message);
        continue;
      }
      if (view.kind == ViewKind::Integer) {
        EXPECT_EQ(back.Bytes(view.firstByte, view.size), value.Bytes(view.firstByte, view.size))
            << Shown(view.name) << " " << Shown(text);
      }
    }
  }
}

}  // namespace
}  // namespace bitvane
