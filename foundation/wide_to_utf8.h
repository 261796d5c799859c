#pragma once
// Conversion of UTF-16 text to UTF-8, for terminals, files and JSON.

#include <string>
#include <string_view>

namespace bitvane {

// Encodes `text` as UTF-8; surrogate pairs become one 4-byte character, and a
// surrogate without its partner becomes U+FFFD, so the result is always valid UTF-8.
[[nodiscard]] std::string WideToUtf8(std::u16string_view text);

// Appends the UTF-8 bytes of one code point (a surrogate's too: callers that must not
// write one decide before).
void AppendUtf8(std::string& out, char32_t c);

}  // namespace bitvane
