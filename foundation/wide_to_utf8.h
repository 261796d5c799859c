#pragma once
// Conversion of UTF-16 text to UTF-8, for terminals, files and JSON.

#include <cstddef>
#include <string>
#include <string_view>

namespace bitvane {

// The code point at text[i] (i < text.size()), advancing i past it: a surrogate pair
// gives one code point, a surrogate without its partner U+FFFD, or, with
// `keepLoneSurrogate`, that surrogate itself (for a viewer that shows it). Inline, as
// the readers call it for every character.
[[nodiscard]] inline char32_t NextCodePoint(std::u16string_view text, std::size_t& i,
                                            bool keepLoneSurrogate = false) noexcept {
  const char32_t c = text[i++];
  if (c < 0xD800 || c > 0xDFFF) return c;
  if (c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
    return 0x10000 + ((c - 0xD800) << 10) + (char32_t{text[i++]} - 0xDC00);
  }
  return keepLoneSurrogate ? c : 0xFFFD;
}

// Encodes `text` as UTF-8; surrogate pairs become one 4-byte character, and a
// surrogate without its partner becomes U+FFFD, so the result is always valid UTF-8.
[[nodiscard]] std::string WideToUtf8(std::u16string_view text);

// Appends the UTF-8 bytes of one code point (a surrogate's too: callers that must not
// write one decide before).
void AppendUtf8(std::string& out, char32_t c);

}  // namespace bitvane
