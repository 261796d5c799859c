#pragma once
// Where the field readers' texts end: a NUL ends a text as it would end a
// zero-terminated string.

#include <string_view>

namespace bitvane {

// `text` up to its first NUL, or all of it.
[[nodiscard]] inline std::u16string_view UpToNul(std::u16string_view text) noexcept {
  const std::size_t nul = text.find(u'\0');
  return nul == std::u16string_view::npos ? text : text.substr(0, nul);
}

}  // namespace bitvane
