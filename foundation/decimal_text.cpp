#include "foundation/decimal_text.h"

#include <bit>
#include <charconv>
#include <utility>

namespace bitvane {

namespace {

constexpr std::uint64_t kDoubleSign = std::uint64_t{1} << 63;
constexpr std::uint64_t kDoubleExponent = 0x7FF0000000000000;
constexpr std::uint64_t kDoubleFraction = 0x000FFFFFFFFFFFFF;

// Digits rounded to `count` (1 to 16) significant digits, trailing zeros kept.
DecimalDigits RoundedDigits(double magnitude, int count, bool negative) noexcept {
  // Scientific notation with count - 1 digits after the point: "d.ddde+XX". The
  // longest, "1.234567890123456e-324", fits with room to spare.
  char text[32];
  const auto [end, error] =
      std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, count - 1);
  DecimalDigits result;
  result.negative = negative;
  if (error != std::errc{}) return result;

  const char* p = text;
  for (; p != end && *p != 'e'; ++p) {
    if (*p != '.' && result.count < DecimalDigits::kMaxDigits) result.digits[result.count++] = *p;
  }
  int exponent = 0;
  bool exponentNegative = false;
  if (p != end) ++p;  // 'e'
  if (p != end && (*p == '-' || *p == '+')) exponentNegative = *p++ == '-';
  for (; p != end; ++p) exponent = exponent * 10 + (*p - '0');
  result.point = (exponentNegative ? -exponent : exponent) + 1;
  return result;
}

std::size_t TrailingZeros(const DecimalDigits& digits) noexcept {
  std::size_t zeros = 0;
  while (zeros < digits.count && digits.digits[digits.count - 1 - zeros] == '0') ++zeros;
  return zeros;
}

// The 14-digit rounding, taken from the 16 digits of the same value where they
// decide it, which saves a second conversion. They do unless digits 15 and 16 are
// "50": the exact value may then lie on either side of the halfway point.
DecimalDigits FourteenDigits(const DecimalDigits& sixteen, double magnitude) noexcept {
  if (sixteen.count != 16) return sixteen;
  const int tail = (sixteen.digits[14] - '0') * 10 + (sixteen.digits[15] - '0');
  if (tail == 50) return RoundedDigits(magnitude, 14, sixteen.negative);
  DecimalDigits result = sixteen;
  result.count = 14;
  if (tail > 50) {
    int i = 13;
    for (; i >= 0 && result.digits[i] == '9'; --i) result.digits[i] = '0';
    if (i >= 0) {
      ++result.digits[i];
    } else {  // 99...9 rounds up to 100...0: one more digit in front of the point
      result.digits[0] = '1';
      ++result.point;
    }
  }
  return result;
}

void AppendAscii(std::u16string& text, std::string_view ascii) {
  for (const char c : ascii) text += static_cast<char16_t>(c);
}

void AppendPositional(std::u16string& text, std::string_view digits, int point, bool negative) {
  const auto count = static_cast<std::int64_t>(digits.size());
  const std::int64_t p = point;
  text.reserve(text.size() + static_cast<std::size_t>(PlaceDecimalPointLength(count, p, negative)));
  if (negative) text += u'-';
  if (p >= count) {
    if (count == 0 && p == 0) {
      text += u'0';
    } else {
      AppendAscii(text, digits);
      text.append(static_cast<std::size_t>(p - count), u'0');
    }
  } else if (p >= 1) {
    AppendAscii(text, digits.substr(0, static_cast<std::size_t>(p)));
    text += u'.';
    AppendAscii(text, digits.substr(static_cast<std::size_t>(p)));
  } else {
    text += u"0.";
    text.append(static_cast<std::size_t>(-p), u'0');
    AppendAscii(text, digits);
  }
}

}  // namespace

std::optional<std::u16string> NonFiniteText(double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  if ((bits & kDoubleExponent) != kDoubleExponent) return std::nullopt;
  const bool negative = (bits & kDoubleSign) != 0;
  if ((bits & kDoubleFraction) == 0) return negative ? u"-Inf" : u"Inf";
  return negative ? u"-Nan" : u"Nan";
}

DecimalDigits SignificantDigits(double value) noexcept {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const bool negative = (bits & kDoubleSign) != 0;
  if ((bits & kDoubleExponent) == kDoubleExponent) {
    DecimalDigits none;
    none.negative = negative;
    return none;
  }
  const double magnitude = std::bit_cast<double>(bits & ~kDoubleSign);
  const DecimalDigits sixteen = RoundedDigits(magnitude, 16, negative);
  DecimalDigits result = FourteenDigits(sixteen, magnitude);
  if (TrailingZeros(result) < 3) result = sixteen;
  result.count -= TrailingZeros(result);
  return result;
}

std::u16string PlaceDecimalPoint(std::string_view digits, int point, bool negative) {
  std::u16string text;
  AppendPositional(text, digits, point, negative);
  return text;
}

std::int64_t PlaceDecimalPointLength(std::int64_t count, std::int64_t point,
                                     bool negative) noexcept {
  const std::int64_t sign = negative ? 1 : 0;
  if (point >= count) return sign + (count == 0 && point == 0 ? 1 : point);
  if (point >= 1) return sign + count + 1;
  return sign + 2 - point + count;
}

std::u16string DoubleToPlainText(double value) {
  if (auto name = NonFiniteText(value)) return std::move(*name);
  const DecimalDigits digits = SignificantDigits(value);
  return PlaceDecimalPoint(digits.Digits(), digits.point, digits.negative);
}

}  // namespace bitvane
