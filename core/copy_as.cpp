#include "core/copy_as.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <string>

namespace bitvane {

namespace {

constexpr std::array<std::string_view, 5> kNames{"c", "hex-float", "bytes", "bytes-be", "python"};

std::string Hex(std::uint64_t bits, unsigned digits) {
  std::string text = "0x" + std::string(digits, '0');
  for (unsigned i = digits; i-- > 0; bits >>= 4) text[2 + i] = "0123456789ABCDEF"[bits & 0xF];
  return text;
}

template <typename Float>
std::string Chars(Float value, std::chars_format format) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format);
  return std::string(buffer, result.ptr);
}

// A finite float as a C literal: the shortest digits, made a floating literal.
template <typename Float>
std::string Decimal(Float value, const char* suffix) {
  std::string text = Chars(value, std::chars_format::general);
  if (text.find_first_of(".e") == std::string::npos) text += ".0";
  return text + suffix;
}

// A subnormal is written normalised too (0x1p-1074, not 0x0.0000000000001p-1022): it is
// scaled into the normal range for the digits and its exponent set back.
template <typename Float>
std::string HexFloat(Float value, const char* suffix) {
  constexpr int kScale = 64;
  const bool subnormal = std::fpclassify(value) == FP_SUBNORMAL;
  std::string text =
      Chars(std::fabs(subnormal ? std::ldexp(value, kScale) : value), std::chars_format::hex);
  if (subnormal) {
    const std::size_t p = text.find('p');
    const int exponent = std::stoi(text.substr(p + 1)) - kScale;
    text = text.substr(0, p + 1) + (exponent < 0 ? "" : "+") + std::to_string(exponent);
  }
  return (std::signbit(value) ? "-0x" : "0x") + text + suffix;
}

// Infinities and NaNs, which have no literal: the headers' and compilers' names.
std::string NonFinite(std::uint64_t bits, unsigned size) {
  const bool single = size == 4;
  const unsigned fractionBits = single ? 23 : 52;
  const bool negative = (bits >> (8 * size - 1)) != 0;
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << fractionBits) - 1);
  const char* sign = negative ? "-" : "";
  if (fraction == 0) return std::string(sign) + (single ? "HUGE_VALF" : "HUGE_VAL");
  const std::uint64_t quiet = std::uint64_t{1} << (fractionBits - 1);
  const std::uint64_t payload = fraction & (quiet - 1);
  return std::string(sign) + ((fraction & quiet) != 0 ? "__builtin_nan" : "__builtin_nans") +
         (single ? "f" : "") + "(\"" + Hex(payload, single ? 6 : 13) + "\")";
}

std::string ByteList(const ValueView& view, RawValue value, bool bigEndian) {
  std::string text = "{";
  for (unsigned i = 0; i < view.size; ++i) {
    const unsigned index = view.firstByte + (bigEndian ? view.size - 1 - i : i);
    text += (i == 0 ? "" : ", ") + Hex(value.Byte(index), 2);
  }
  return text + "}";
}

}  // namespace

std::string_view CopyFormatName(CopyFormat format) noexcept {
  return kNames[static_cast<std::size_t>(format)];
}

std::optional<CopyFormat> CopyFormatNamed(std::string_view name) noexcept {
  for (std::size_t i = 0; i < kNames.size(); ++i)
    if (kNames[i] == name) return static_cast<CopyFormat>(i);
  return std::nullopt;
}

std::string CopyAsText(CopyFormat format, const ValueView& view, RawValue value) {
  const std::uint64_t bits = value.Bytes(view.firstByte, view.size);
  const bool isFloat = view.kind == ViewKind::Float;
  const bool single = view.size == 4;
  const double number =
      isFloat ? single ? static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(bits)))
                       : std::bit_cast<double>(bits)
              : 0.0;
  switch (format) {
    case CopyFormat::BytesMemoryOrder:
      return ByteList(view, value, false);
    case CopyFormat::BytesBigEndian:
      return ByteList(view, value, true);
    case CopyFormat::PythonPack: {
      const char* code = view.size == 1 ? "B" : single ? "I" : "Q";
      if (isFloat && std::isfinite(number)) {
        const std::string hex =
            single ? HexFloat(static_cast<float>(number), "") : HexFloat(number, "");
        return std::string("struct.pack('<") + (single ? "f" : "d") + "', float.fromhex('" + hex +
               "'))";
      }
      return std::string("struct.pack('<") + code + "', " + Hex(bits, 2 * view.size) + ")";
    }
    case CopyFormat::CLiteral:
    case CopyFormat::HexFloat:
      break;
  }
  if (!isFloat) {
    const char* suffix = view.size == 8 ? "ULL" : view.size == 4 ? "U" : "";
    return Hex(bits, 2 * view.size) + (format == CopyFormat::CLiteral ? suffix : "");
  }
  if (!std::isfinite(number)) return NonFinite(bits, view.size);
  if (format == CopyFormat::HexFloat)
    return single ? HexFloat(static_cast<float>(number), "f") : HexFloat(number, "");
  return single ? Decimal(static_cast<float>(number), "f") : Decimal(number, "");
}

}  // namespace bitvane
