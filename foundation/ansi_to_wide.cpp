#include "foundation/ansi_to_wide.h"

#include <cstdint>
#include <cstring>

#include "platform/last_error.h"

namespace bitvane {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Decodes the sequence at bytes[0 .. available) and returns how many bytes it took
// (at least 1). `code` is the code point, or kReplacement for an ill-formed piece,
// which ends before the first byte that cannot continue it.
std::size_t DecodeOne(const unsigned char* bytes, std::size_t available,
                      std::uint32_t& code) noexcept {
  const unsigned char lead = bytes[0];
  code = kReplacement;
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  std::size_t size = 0;
  unsigned char low = 0x80;   // range of the second byte, which rules out overlong
  unsigned char high = 0xBF;  // forms, surrogates and values above U+10FFFF
  if (lead >= 0xC2 && lead <= 0xDF) {
    size = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    size = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    size = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 1;  // a continuation byte out of place, C0, C1 or F5 to FF
  }
  std::uint32_t value = lead & (0x7Fu >> size);
  for (std::size_t i = 1; i < size; ++i) {
    if (i >= available) return i;
    const unsigned char next = bytes[i];
    if (next < low || next > high) return i;
    low = 0x80;
    high = 0xBF;
    value = (value << 6) | (next & 0x3Fu);
  }
  code = value;
  return size;
}

}  // namespace

std::u16string AnsiToWide(const char* bytes, std::ptrdiff_t length) {
  if (bytes == nullptr || length < -1) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return {};
  }
  const std::size_t size = length == -1 ? std::strlen(bytes) : static_cast<std::size_t>(length);
  const auto* in = reinterpret_cast<const unsigned char*>(bytes);

  std::u16string text;
  text.reserve(size);  // UTF-16 never needs more units than UTF-8 has bytes
  for (std::size_t at = 0; at < size;) {
    std::uint32_t code = 0;
    at += DecodeOne(in + at, size - at, code);
    if (code < 0x10000) {
      text.push_back(static_cast<char16_t>(code));
    } else {
      code -= 0x10000;
      text.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    }
  }
  return text;
}

}  // namespace bitvane
