// What a float's bits mean: exact digits (against the C library's exact printing), class,
// payload, exponent, neighbours, and the 16-bit readings.
#include "core/float_explain.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace bitvane {
namespace {

// The C library prints a double's exact value given enough places; without the zeros.
std::string PrintedExactly(double value) {
  std::string text(2000, '\0');
  text.resize(static_cast<std::size_t>(std::snprintf(text.data(), text.size(), "%.1100f", value)));
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

TEST(FloatExplain, ExactDigitsAgreeWithTheCLibrary) {
  EXPECT_EQ(ExplainDouble(std::bit_cast<std::uint64_t>(0.1)).exact,
            "0.1000000000000000055511151231257827021181583404541015625");
  const std::string tiny = ExplainDouble(1).exact;  // 2^-1074: 751 significant digits
  EXPECT_TRUE(tiny.starts_with("0." + std::string(323, '0') + "4940656458412465") &&
              tiny.ends_with("265625") && tiny.size() == 2 + 323 + 751)
      << tiny.size();
  EXPECT_EQ(ExactDecimal(1, 64, true), "-18446744073709551616");
  std::mt19937_64 random(7);
  for (int i = 0; i < 3000; ++i) {
    // every exponent, with random fractions and signs
    const std::uint64_t bits = (random() & 0x800FFFFFFFFFFFFFull) | std::uint64_t(i % 2047) << 52;
    const double value = std::bit_cast<double>(bits);
    ASSERT_EQ(ExplainDouble(bits).exact, PrintedExactly(value)) << std::hex << bits;
    const auto single = static_cast<std::uint32_t>(bits >> 32);
    if ((single & 0x7F800000) != 0x7F800000) {
      ASSERT_EQ(ExplainSingle(single).exact, PrintedExactly(std::bit_cast<float>(single)))
          << std::hex << single;
    }
  }
}

TEST(FloatExplain, ClassPayloadExponentAndNeighbours) {
  // clang-format off
  struct Row {
    std::uint64_t bits;
    bool single;
    FloatClass kind;
    std::uint64_t payload;
    std::optional<int> exponent;
    const char *exact, *down, *up;
  } rows[] = {
      {0x3FF0000000000000, false, FloatClass::Normal, 0, 0, "1", "0.9999999999999999",
       "1.0000000000000002"},
      {0x8000000000000000, false, FloatClass::Zero, 0, {}, "-0", "-5e-324", "5e-324"},
      {0x000FFFFFFFFFFFFF, false, FloatClass::Subnormal, 0, -1022, nullptr,
       "2.2250738585072004e-308", "2.2250738585072014e-308"},
      {0x7FF0000000000000, false, FloatClass::Infinity, 0, {}, "inf", "1.7976931348623157e+308",
       ""},
      {0xFFF0000000000000, false, FloatClass::Infinity, 0, {}, "-inf", "",
       "-1.7976931348623157e+308"},
      {0x7FF8000000000005, false, FloatClass::QuietNaN, 5, {}, "nan", "", ""},
      {0xFFF0000000000001, false, FloatClass::SignallingNaN, 1, {}, "-nan", "", ""},
      {0x3F800000, true, FloatClass::Normal, 0, 0, "1", "0.99999994", "1.0000001"},
      {0x00000001, true, FloatClass::Subnormal, 0, -126, nullptr, "0", "3e-45"},
      {0x7FA00001, true, FloatClass::SignallingNaN, 0x200001, {}, "nan", "", ""},
      {0x7F7FFFFF, true, FloatClass::Normal, 0, 127, "340282346638528859811704183484516925440",
       "3.4028233e+38", "inf"}};
  // clang-format on
  for (const Row& row : rows) {
    const FloatExplanation got =
        row.single ? ExplainSingle(static_cast<std::uint32_t>(row.bits)) : ExplainDouble(row.bits);
    EXPECT_TRUE(got.kind == row.kind && got.payload == row.payload &&
                got.exponent == row.exponent && got.down == row.down && got.up == row.up)
        << std::hex << row.bits << " " << FloatClassName(got.kind) << " " << got.down << " "
        << got.up;
    if (row.exact != nullptr) {
      EXPECT_EQ(got.exact, row.exact) << std::hex << row.bits;
    }
  }
}

TEST(FloatExplain, TooltipLines) {
  EXPECT_EQ(ExplanationText(ExplainDouble(std::bit_cast<std::uint64_t>(0.1)), 30),
            "normal, exponent -4\nexact 0.1000000000000000055511151231\n"
            "      257827021181583404541015625\n"
            "down  0.09999999999999999\nup    0.10000000000000002");
  EXPECT_EQ(ExplanationText(ExplainSingle(0xFFA00001), 64),
            "signalling NaN, payload 0x200001\nexact -nan");
  EXPECT_EQ(ExplanationText(ExplainSingle(0x7F800000), 64),
            "infinity\nexact inf\ndown  3.4028235e+38");
}

TEST(FloatExplain, HalfAndBFloat16Readings) {
  const std::pair<std::uint16_t, double> halves[] = {{0x3C00, 1.0},
                                                     {0x0001, std::ldexp(1, -24)},
                                                     {0x03FF, 1023 * std::ldexp(1, -24)},
                                                     {0x7BFF, 65504.0},
                                                     {0xC000, -2.0},
                                                     {0xFC00, -INFINITY},
                                                     {0x8000, -0.0}};
  for (const auto& [bits, value] : halves) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(HalfToDouble(bits)), std::bit_cast<std::uint64_t>(value))
        << std::hex << bits;
  }
  EXPECT_TRUE(std::isnan(HalfToDouble(0x7E00)) && std::signbit(HalfToDouble(0xFE01)));
  EXPECT_EQ(BFloat16ToFloat(0x3F80), 1.0f);
  EXPECT_EQ(BFloat16ToFloat(0x4049), 3.140625f);
  EXPECT_EQ(BFloat16ToFloat(0xFF80), -INFINITY);
}

}  // namespace
}  // namespace bitvane
