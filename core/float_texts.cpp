#include "core/float_texts.h"

#include <array>
#include <bit>
#include <utility>

#include "foundation/number_text.h"

namespace bitvane {

namespace {

constexpr std::uint64_t kDoubleSign = std::uint64_t{1} << 63;
constexpr std::uint64_t kDoubleExponent = 0x7FF0000000000000;
constexpr std::uint64_t kDoubleFraction = 0x000FFFFFFFFFFFFF;

// Engineering form of a point position: the exponent, a multiple of 3, and the
// number of digits in front of the point (1 to 3). `point` comes from
// SignificantDigits, so point - 1 cannot overflow.
struct Engineering {
  int exponent;
  int lead;
};

Engineering EngineeringOf(int point) noexcept {
  Engineering form{point - 1, 1};
  while (form.exponent % 3 != 0) {  // % truncates: -1 moves down to -3, 5 to 3
    --form.exponent;
    ++form.lead;
  }
  return form;
}

std::int64_t ExponentLength(int exponent) noexcept {
  std::int64_t length = 3;  // 'e', the sign and the first digit
  for (int rest = exponent < 0 ? -exponent : exponent; rest >= 10; rest /= 10) ++length;
  return length;
}

std::u16string EngText(const DecimalDigits& digits) {
  const Engineering form = EngineeringOf(digits.point);
  std::u16string text = PlaceDecimalPoint(digits.Digits(), form.lead, digits.negative);
  text += u'e';
  if (form.exponent >= 0) text += u'+';
  text += SignedToText(form.exponent);
  return text;
}

char16_t* WriteText(char16_t* out, std::u16string_view text) noexcept {
  for (const char16_t c : text) *out++ = c;
  return out;
}

// The low `bits` bits as BinaryDigits writes them, "_" between groups of 8 counted
// from the least significant bit.
char16_t* WriteBinary(char16_t* out, std::uint64_t value, unsigned bits) noexcept {
  while (bits-- > 0) {
    *out++ = ((value >> bits) & 1) != 0 ? u'1' : u'0';
    if (bits != 0 && bits % 8 == 0) *out++ = u'_';
  }
  return out;
}

// Built on the stack, as it is rewritten with every view: the double's text, the
// longest, has 90 characters.
std::u16string FieldsText(bool sign, std::uint64_t exponent, unsigned exponentBits,
                          std::uint64_t fraction, unsigned fractionBits) {
  std::array<char16_t, 96> text;
  char16_t* end = WriteText(text.data(), u"Sign=");
  *end++ = sign ? u'1' : u'0';
  end = WriteText(end, u" Exp=");
  end = WriteBinary(end, exponent, exponentBits);
  end = WriteText(end, u"\r\nMant=");
  end = WriteBinary(end, fraction, fractionBits);
  return std::u16string(text.data(), static_cast<std::size_t>(end - text.data()));
}

}  // namespace

double WidenSingle(std::uint32_t bits) noexcept {
  const bool isNan = (bits & 0x7F800000u) == 0x7F800000u && (bits & 0x007FFFFFu) != 0;
  if (!isNan) return static_cast<double>(std::bit_cast<float>(bits));
  // A NaN is widened by its bits: a conversion would quiet a signalling NaN.
  return std::bit_cast<double>((std::uint64_t{bits >> 31} << 63) | kDoubleExponent |
                               (std::uint64_t{bits & 0x007FFFFFu} << 29));
}

std::u16string DoubleToEngText(double value) {
  if (auto name = NonFiniteText(value)) return std::move(*name);
  return EngText(SignificantDigits(value));
}

std::u16string FloatInputText(double value) {
  if (auto name = NonFiniteText(value)) return std::move(*name);
  // The digits are made once, and only the shorter text is built: both lengths
  // follow from the digit count and the point.
  const DecimalDigits digits = SignificantDigits(value);
  const auto count = static_cast<std::int64_t>(digits.count);
  const Engineering form = EngineeringOf(digits.point);
  const std::int64_t plainLength = PlaceDecimalPointLength(count, digits.point, digits.negative);
  const std::int64_t engLength =
      PlaceDecimalPointLength(count, form.lead, digits.negative) + ExponentLength(form.exponent);
  if (plainLength > engLength) return EngText(digits);
  return PlaceDecimalPoint(digits.Digits(), digits.point, digits.negative);
}

std::u16string SingleInfoText(std::uint32_t bits) {
  return FieldsText((bits >> 31) != 0, (bits >> 23) & 0xFF, 8, bits & 0x007FFFFFu, 23);
}

std::u16string DoubleInfoText(std::uint64_t bits) {
  return FieldsText((bits & kDoubleSign) != 0, (bits & kDoubleExponent) >> 52, 11,
                    bits & kDoubleFraction, 52);
}

}  // namespace bitvane
