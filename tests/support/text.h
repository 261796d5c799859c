#pragma once
// Text conversions for tests: UTF-16 results shown as bytes, and byte strings (file
// names, arguments) read as the program reads them; sample bytes.

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "foundation/ansi_to_wide.h"

namespace bitvane::test {

// Each UTF-16 unit cut to its low byte: exact for the ASCII texts tests compare.
inline std::string Narrow(std::u16string_view text) {
  return {text.begin(), text.end()};
}

// A text for a failure message: printable ASCII as it is, any other unit as \uXXXX.
inline std::string Shown(std::u16string_view text) {
  std::string shown;
  for (const char16_t c : text) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04X", unsigned{c});
    shown += c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : escape;
  }
  return shown;
}

// A byte string (a path, an argument) as the program's own conversion reads it.
inline std::u16string Wide(std::string_view bytes) {
  return AnsiToWide(bytes.data(), static_cast<std::ptrdiff_t>(bytes.size()));
}

// `size` bytes of every value and without a period of 256, so that a shifted, cut or
// repeated copy shows.
inline std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
  return bytes;
}

}  // namespace bitvane::test
