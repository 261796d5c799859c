#pragma once
// What a float's bits mean, exactly: its class, a NaN's payload, the unbiased exponent,
// every decimal digit of its value, and its neighbours one unit in the last place away.
// Also the half (IEEE binary16) and bfloat16 readings of a 16-bit word. Pure functions
// of the bits.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bitvane {

enum class FloatClass { Zero, Subnormal, Normal, Infinity, QuietNaN, SignallingNaN };

// "zero", "subnormal", "normal", "infinity", "quiet NaN", "signalling NaN".
[[nodiscard]] std::string_view FloatClassName(FloatClass kind) noexcept;

struct FloatExplanation {
  FloatClass kind = FloatClass::Zero;
  std::uint64_t payload = 0;    // a NaN's fraction bits below the quiet bit; else 0
  std::optional<int> exponent;  // unbiased; a subnormal's is the least normal one; none
                                // for zeros, infinities and NaNs
  std::string exact;            // every digit of the value ("-0", "inf", "nan" as such)
  std::string down, up;         // the neighbours' shortest texts; empty where there is none
};

// `mantissa` × 2^`exponent2` in positional decimal notation with every digit, computed
// on integers: no rounding ever. A minus sign in front when `negative`.
[[nodiscard]] std::string ExactDecimal(std::uint64_t mantissa, int exponent2, bool negative);

[[nodiscard]] FloatExplanation ExplainDouble(std::uint64_t bits);
// The explanation as lines for a tooltip: "normal, exponent -4" (or the class with a
// NaN's payload), "exact" and the digits broken every `width` characters, "down" and
// "up" where there are neighbours. Lines end with "\n" but the last.
[[nodiscard]] std::string ExplanationText(const FloatExplanation& explanation, std::size_t width);
[[nodiscard]] FloatExplanation ExplainSingle(std::uint32_t bits);

// The shortest text that reads back as exactly this value ("0.1", "1e-45").
[[nodiscard]] std::string ShortestText(double value);
[[nodiscard]] std::string ShortestText(float value);

// The 16-bit word read as IEEE binary16 (exact as a double) and as bfloat16 (the top
// half of a single).
[[nodiscard]] double HalfToDouble(std::uint16_t bits) noexcept;
[[nodiscard]] float BFloat16ToFloat(std::uint16_t bits) noexcept;

}  // namespace bitvane
