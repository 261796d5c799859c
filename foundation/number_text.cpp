#include "foundation/number_text.h"

#include "platform/last_error.h"

namespace bitvane {

namespace {

// Room for the longest number text: 64 binary digits and a sign.
constexpr std::size_t kNumberBufferLength = 65;
// Room for 64 binary digits and the 7 underscores between their groups.
constexpr std::size_t kBinaryBufferLength = 71;

constexpr char16_t kDigits[] = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

bool IsValidRadix(unsigned radix) noexcept {
  return radix >= 2 && radix <= 36;
}

// Writes the digits of `value` in a valid `radix` backwards so that they end just
// before `end`, and returns where they begin.
char16_t* WriteDigits(std::uint64_t value, unsigned radix, char16_t* end) noexcept {
  do {
    *--end = kDigits[value % radix];
    value /= radix;
  } while (value != 0);
  return end;
}

// |width|, computed without overflow for INT_MIN.
std::size_t FieldLength(int width) noexcept {
  const auto wide = static_cast<std::int64_t>(width);
  return static_cast<std::size_t>(wide < 0 ? -wide : wide);
}

std::u16string UnsignedText(std::uint64_t value, unsigned radix, int width, char16_t pad) {
  if (!IsValidRadix(radix)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return {};
  }
  char16_t buffer[kNumberBufferLength];
  char16_t* const end = buffer + kNumberBufferLength;
  const char16_t* const begin = WriteDigits(value, radix, end);
  return PadText({begin, static_cast<std::size_t>(end - begin)}, width, pad);
}

}  // namespace

std::u16string RepeatChar(std::size_t count, char16_t c) {
  return std::u16string(count, c);
}

std::u16string PadText(std::u16string_view text, int width, char16_t pad) {
  const std::size_t field = FieldLength(width);
  if (text.size() >= field) return std::u16string(text);
  std::u16string result;
  result.reserve(field);
  if (width > 0) result.append(field - text.size(), pad);
  result.append(text);
  if (width < 0) result.append(field - text.size(), pad);
  return result;
}

std::u16string SignedToText(std::int32_t value) {
  return Signed64ToText(value);
}

std::u16string UnsignedToText(std::uint32_t value, unsigned radix, int width, char16_t pad) {
  return UnsignedText(value, radix, width, pad);
}

std::u16string Signed64ToText(std::int64_t value, int width, char16_t pad) {
  // The magnitude in unsigned arithmetic, so that INT64_MIN needs no special case.
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  char16_t buffer[kNumberBufferLength];
  char16_t* const end = buffer + kNumberBufferLength;
  char16_t* begin = WriteDigits(magnitude, 10, end);
  if (value < 0) *--begin = u'-';
  const std::u16string_view text(begin, static_cast<std::size_t>(end - begin));

  if (value < 0 && pad == u'0' && width > 0 && text.size() < FieldLength(width)) {
    std::u16string result;
    result.reserve(FieldLength(width));
    result.push_back(u'-');
    result.append(FieldLength(width) - text.size(), u'0');
    result.append(text.substr(1));
    return result;
  }
  return PadText(text, width, pad);
}

std::u16string Unsigned64ToText(std::uint64_t value, unsigned radix, int width, char16_t pad) {
  return UnsignedText(value, radix, width, pad);
}

std::u16string BinaryDigits(std::uint64_t value, unsigned bitCount) {
  if (bitCount < 1 || bitCount > 64) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return {};
  }
  char16_t buffer[kBinaryBufferLength];
  char16_t* const end = buffer + kBinaryBufferLength;
  char16_t* begin = end;
  for (unsigned bit = 0; bit < bitCount; ++bit) {
    if (bit != 0 && bit % 8 == 0) *--begin = u'_';
    *--begin = ((value >> bit) & 1) != 0 ? u'1' : u'0';
  }
  return std::u16string(begin, end);
}

}  // namespace bitvane
