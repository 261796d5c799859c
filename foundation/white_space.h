#pragma once
// The two white-space sets of the text readers. Both are fixed tables, independent
// of the C library's locale, so a text reads the same on every machine.

#include <cstddef>

namespace bitvane {

// The library's own white-space set, 23 characters: U+0008 to U+000D, U+0020,
// U+0085, U+00A0, U+1680, U+2000 to U+200A, U+202F and U+3000. Backspace is in it;
// U+001C to U+001F, U+2028, U+2029 and U+205F are not.
[[nodiscard]] bool IsWhiteSpace(char16_t c) noexcept;

// The conventional wide-character white-space test used by the integer reader:
// tab, LF, VT, FF, CR, space, U+0085, U+1680, U+2000 to U+2006, U+2008 to U+200A,
// U+2028, U+2029, U+205F and U+3000, i.e. Unicode white space without the no-break
// spaces U+00A0, U+2007 and U+202F. A fixed table rather than the C library's
// iswspace, whose answer depends on the current locale.
[[nodiscard]] bool IsWideSpace(char16_t c) noexcept;

// Number of characters at the start of the zero-terminated `text` that belong to the
// IsWhiteSpace set; 0 for a null or empty text.
[[nodiscard]] std::size_t CountLeadingSpace(const char16_t* text) noexcept;

}  // namespace bitvane
