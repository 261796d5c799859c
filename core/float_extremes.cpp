#include "core/float_extremes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <limits>

#include "core/float_texts.h"
#include "foundation/decimal_text.h"

namespace bitvane {

namespace {

// The exact magnitude of a plain decimal text as 0.d1d2d3... x 10^point: the first
// kKept significant digits, whether a non-zero digit follows them, and the point.
// Zero has no digits. Enough to compare it exactly with a text of at most 16 digits.
struct ExactDecimal {
  static constexpr std::size_t kKept = DecimalDigits::kMaxDigits + 1;
  std::array<char, kKept> digits{};
  std::size_t count = 0;
  bool moreDigits = false;
  std::int64_t point = 0;
  bool negative = false;
};

// A larger exponent reads as this one. The point then still lies far beyond both
// formats' range unless the text has nearly as many digits as the cap, and the sum
// with the point cannot overflow.
constexpr std::int64_t kExponentCap = 1'000'000'000'000'000;

// [+-] digits [. digits] [e|E [+-] digits], a digit on at least one side of the
// point, and nothing else.
bool ReadExactDecimal(std::u16string_view text, ExactDecimal& out) noexcept {
  ExactDecimal value;
  std::size_t i = 0;
  const auto atDigit = [&] { return i < text.size() && text[i] >= u'0' && text[i] <= u'9'; };
  const auto takeSign = [&] {
    const bool minus = i < text.size() && text[i] == u'-';
    if (minus || (i < text.size() && text[i] == u'+')) ++i;
    return minus;
  };
  bool anyDigit = false;
  const auto takeMantissaDigit = [&](bool fraction) {
    const char digit = static_cast<char>(text[i++]);
    anyDigit = true;
    if (value.count == 0 && digit == '0') {  // a leading zero moves only a fraction
      if (fraction) --value.point;
      return;
    }
    if (!fraction) ++value.point;
    if (value.count < ExactDecimal::kKept) {
      value.digits[value.count++] = digit;
    } else if (digit != '0') {
      value.moreDigits = true;
    }
  };

  value.negative = takeSign();
  while (atDigit()) takeMantissaDigit(false);
  if (i < text.size() && text[i] == u'.') {
    ++i;
    while (atDigit()) takeMantissaDigit(true);
  }
  if (!anyDigit) return false;
  if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
    ++i;
    const bool negativeExponent = takeSign();
    if (!atDigit()) return false;
    std::int64_t exponent = 0;
    while (atDigit()) exponent = std::min(exponent * 10 + (text[i++] - u'0'), kExponentCap);
    value.point += negativeExponent ? -exponent : exponent;
  }
  if (i != text.size()) return false;
  out = value;
  return true;
}

// The sign of |number| - |limit|, exactly, for two numbers that are not zero and a
// limit that has all its digits kept.
int CompareMagnitude(const ExactDecimal& number, const ExactDecimal& limit) noexcept {
  if (number.point != limit.point) return number.point < limit.point ? -1 : 1;
  for (std::size_t k = 0; k < ExactDecimal::kKept; ++k) {
    const char a = k < number.count ? number.digits[k] : '0';
    const char b = k < limit.count ? limit.digits[k] : '0';
    if (a != b) return a < b ? -1 : 1;
  }
  return number.moreDigits ? 1 : 0;
}

}  // namespace

bool ReadShownExtreme(std::u16string_view typed, unsigned size, double number,
                      std::uint64_t& bits) {
  if (size != 4 && size != 8) return false;
  constexpr auto kSingleMax = std::bit_cast<std::uint32_t>(std::numeric_limits<float>::max());
  constexpr double kDoubleMax = std::numeric_limits<double>::max();
  constexpr double kDoubleMin = std::numeric_limits<double>::min();
  constexpr double kLargestDenormal = kDoubleMin - std::numeric_limits<double>::denorm_min();
  // The single's view widens it first, so its text is that of the widened value.
  const double largest = size == 4 ? WidenSingle(kSingleMax) : kDoubleMax;
  const double magnitude = std::fabs(number);
  double shown = 0;  // the extreme whose text this may be
  if (magnitude > largest) {
    shown = largest;
  } else if (size == 8 && magnitude == kLargestDenormal) {
    shown = kDoubleMin;
  } else {
    return false;
  }

  ExactDecimal text;
  ExactDecimal own;
  if (!ReadExactDecimal(typed, text) || text.count == 0) return false;  // zero is no extreme
  // The views' own text (at most 16 digits, all kept), read by the same rules.
  if (!ReadExactDecimal(FloatInputText(shown), own)) return false;
  const int order = CompareMagnitude(text, own);
  if (shown == kDoubleMin ? order != 0 : order > 0) return false;
  const std::uint64_t sign = std::uint64_t{text.negative} << (8 * size - 1);
  bits = (size == 4 ? kSingleMax : std::bit_cast<std::uint64_t>(shown)) | sign;
  return true;
}

}  // namespace bitvane
