#pragma once
// Text conversions for tests: UTF-16 results shown as bytes, and byte strings (file
// names, arguments) read as the program reads them.

#include <cstddef>
#include <string>
#include <string_view>

#include "foundation/ansi_to_wide.h"

namespace bitvane::test {

// Each UTF-16 unit cut to its low byte: exact for the ASCII texts tests compare.
inline std::string Narrow(std::u16string_view text) {
  return {text.begin(), text.end()};
}

// A byte string (a path, an argument) as the program's own conversion reads it.
inline std::u16string Wide(std::string_view bytes) {
  return AnsiToWide(bytes.data(), static_cast<std::ptrdiff_t>(bytes.size()));
}

}  // namespace bitvane::test
