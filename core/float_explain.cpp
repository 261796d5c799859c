#include "core/float_explain.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

namespace bitvane {

namespace {

constexpr std::uint32_t kLimb = 1'000'000'000;  // a big number's limbs, base 10^9

// `number` (limbs, least significant first) × `factor`.
void Multiply(std::vector<std::uint32_t>& number, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (std::uint32_t& limb : number) {
    const std::uint64_t product = std::uint64_t{limb} * factor + carry;
    limb = static_cast<std::uint32_t>(product % kLimb);
    carry = product / kLimb;
  }
  while (carry != 0) {
    number.push_back(static_cast<std::uint32_t>(carry % kLimb));
    carry /= kLimb;
  }
}

std::string Digits(const std::vector<std::uint32_t>& number) {
  std::string text = std::to_string(number.back());
  for (std::size_t i = number.size() - 1; i-- > 0;) {
    const std::string limb = std::to_string(number[i]);
    text.append(9 - limb.size(), '0').append(limb);
  }
  return text;
}

template <typename Float>
std::string Shortest(Float value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// The common part of both widths: `fractionBits` of fraction, `exponentBits` of exponent.
template <typename Float, typename Bits>
FloatExplanation Explain(Bits bits, int fractionBits, int exponentBits) {
  FloatExplanation out;
  const int bias = (1 << (exponentBits - 1)) - 1;
  const bool negative = (bits >> (fractionBits + exponentBits)) != 0;
  const auto field = static_cast<int>((bits >> fractionBits) & ((Bits{1} << exponentBits) - 1));
  const Bits fraction = bits & ((Bits{1} << fractionBits) - 1);
  const Float value = std::bit_cast<Float>(bits);
  if (field == (1 << exponentBits) - 1) {
    const Bits quiet = Bits{1} << (fractionBits - 1);
    if (fraction == 0) {
      out.kind = FloatClass::Infinity;
      out.exact = negative ? "-inf" : "inf";
      if (negative)
        out.up = ShortestText(-std::numeric_limits<Float>::max());
      else
        out.down = ShortestText(std::numeric_limits<Float>::max());
      return out;
    }
    out.kind = (fraction & quiet) != 0 ? FloatClass::QuietNaN : FloatClass::SignallingNaN;
    out.payload = static_cast<std::uint64_t>(fraction & (quiet - 1));
    out.exact = negative ? "-nan" : "nan";
    return out;
  }
  const std::uint64_t mantissa = field == 0
                                     ? std::uint64_t{fraction}
                                     : std::uint64_t{fraction} | std::uint64_t{1} << fractionBits;
  out.kind = field != 0      ? FloatClass::Normal
             : fraction != 0 ? FloatClass::Subnormal
                             : FloatClass::Zero;
  if (out.kind != FloatClass::Zero) out.exponent = (field == 0 ? 1 : field) - bias;
  out.exact = ExactDecimal(mantissa, (field == 0 ? 1 : field) - bias - fractionBits, negative);
  const Float infinity = std::numeric_limits<Float>::infinity();
  out.down = ShortestText(std::nextafter(value, -infinity));
  out.up = ShortestText(std::nextafter(value, infinity));
  return out;
}

}  // namespace

std::string ShortestText(double value) {
  return Shortest(value);
}

std::string ShortestText(float value) {
  return Shortest(value);
}

std::string_view FloatClassName(FloatClass kind) noexcept {
  switch (kind) {
    case FloatClass::Zero:
      return "zero";
    case FloatClass::Subnormal:
      return "subnormal";
    case FloatClass::Normal:
      return "normal";
    case FloatClass::Infinity:
      return "infinity";
    case FloatClass::QuietNaN:
      return "quiet NaN";
    case FloatClass::SignallingNaN:
      return "signalling NaN";
  }
  return "";
}

std::string ExactDecimal(std::uint64_t mantissa, int exponent2, bool negative) {
  std::vector<std::uint32_t> number{static_cast<std::uint32_t>(mantissa % kLimb)};
  for (std::uint64_t rest = mantissa / kLimb; rest != 0; rest /= kLimb)
    number.push_back(static_cast<std::uint32_t>(rest % kLimb));
  // m × 2^e: shift left for e >= 0; else m × 5^-e with the point -e places from the right.
  int left = exponent2 >= 0 ? exponent2 : -exponent2;
  const std::uint32_t step = exponent2 >= 0 ? 1u << 29 : 1'220'703'125u;  // 2^29, 5^13
  const int stepPower = exponent2 >= 0 ? 29 : 13;
  for (; left >= stepPower; left -= stepPower) Multiply(number, step);
  for (; left > 0; --left) Multiply(number, exponent2 >= 0 ? 2 : 5);
  std::string digits = Digits(number);
  if (exponent2 < 0) {
    const auto places = static_cast<std::size_t>(-exponent2);
    if (digits.size() <= places) digits.insert(0, places - digits.size() + 1, '0');
    digits.insert(digits.size() - places, 1, '.');
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
  }
  return negative ? "-" + digits : digits;
}

FloatExplanation ExplainDouble(std::uint64_t bits) {
  return Explain<double>(bits, 52, 11);
}

FloatExplanation ExplainSingle(std::uint32_t bits) {
  return Explain<float>(bits, 23, 8);
}

std::string ExplanationText(const FloatExplanation& e, std::size_t width) {
  std::string text(FloatClassName(e.kind));
  if (e.kind == FloatClass::QuietNaN || e.kind == FloatClass::SignallingNaN) {
    char payload[32];
    const auto end = std::to_chars(payload, payload + sizeof payload, e.payload, 16).ptr;
    text += ", payload 0x" + std::string(payload, end);
  }
  if (e.exponent) text += ", exponent " + std::to_string(*e.exponent);
  text += "\nexact ";
  for (std::size_t at = 0; at < e.exact.size(); at += width)
    text += (at == 0 ? "" : "\n      ") + e.exact.substr(at, width);
  if (!e.down.empty()) text += "\ndown  " + e.down;
  if (!e.up.empty()) text += "\nup    " + e.up;
  return text;
}

double HalfToDouble(std::uint16_t bits) noexcept {
  const int field = (bits >> 10) & 0x1F;
  const int fraction = bits & 0x3FF;
  const double sign = (bits & 0x8000) != 0 ? -1.0 : 1.0;
  if (field == 0x1F)
    return fraction == 0 ? sign * std::numeric_limits<double>::infinity()
                         : std::copysign(std::numeric_limits<double>::quiet_NaN(), sign);
  if (field == 0) return sign * std::ldexp(fraction, -24);
  return sign * std::ldexp(fraction | 0x400, field - 25);
}

float BFloat16ToFloat(std::uint16_t bits) noexcept {
  return std::bit_cast<float>(std::uint32_t{bits} << 16);
}

}  // namespace bitvane
