#include "core/float_texts.h"

#include <bit>
#include <charconv>
#include <utility>

#include "foundation/number_text.h"

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

// The length of PlaceDecimalPoint's text, in 64 bits so that no point overflows it.
std::int64_t PositionalLength(std::int64_t count, std::int64_t point, bool negative) noexcept {
  const std::int64_t sign = negative ? 1 : 0;
  if (point >= count) return sign + (count == 0 && point == 0 ? 1 : point);
  if (point >= 1) return sign + count + 1;
  return sign + 2 - point + count;
}

void AppendAscii(std::u16string& text, std::string_view ascii) {
  for (const char c : ascii) text += static_cast<char16_t>(c);
}

void AppendPositional(std::u16string& text, std::string_view digits, int point, bool negative) {
  const auto count = static_cast<std::int64_t>(digits.size());
  const std::int64_t p = point;
  text.reserve(text.size() + static_cast<std::size_t>(PositionalLength(count, p, negative)));
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

std::u16string PlainText(const DecimalDigits& digits) {
  std::u16string text;
  AppendPositional(text, digits.Digits(), digits.point, digits.negative);
  return text;
}

std::u16string EngText(const DecimalDigits& digits) {
  const Engineering form = EngineeringOf(digits.point);
  std::u16string text;
  AppendPositional(text, digits.Digits(), form.lead, digits.negative);
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

std::u16string DoubleToPlainText(double value) {
  if (auto name = NonFiniteText(value)) return std::move(*name);
  return PlainText(SignificantDigits(value));
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
  const std::int64_t plainLength = PositionalLength(count, digits.point, digits.negative);
  const std::int64_t engLength =
      PositionalLength(count, form.lead, digits.negative) + ExponentLength(form.exponent);
  return plainLength > engLength ? EngText(digits) : PlainText(digits);
}

std::u16string SingleInfoText(std::uint32_t bits) {
  return FieldsText((bits >> 31) != 0, (bits >> 23) & 0xFF, 8, bits & 0x007FFFFFu, 23);
}

std::u16string DoubleInfoText(std::uint64_t bits) {
  return FieldsText((bits & kDoubleSign) != 0, (bits & kDoubleExponent) >> 52, 11,
                    bits & kDoubleFraction, 52);
}

}  // namespace bitvane
