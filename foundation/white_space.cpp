#include "foundation/white_space.h"

namespace bitvane {

bool IsWhiteSpace(char16_t c) noexcept {
  if (c <= 0x0020) return (c >= 0x0008 && c <= 0x000D) || c == 0x0020;
  if (c < 0x1680) return c == 0x0085 || c == 0x00A0;
  return c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x3000;
}

bool IsWideSpace(char16_t c) noexcept {
  if (c <= 0x0020) return (c >= 0x0009 && c <= 0x000D) || c == 0x0020;
  if (c < 0x1680) return c == 0x0085;
  return c == 0x1680 || (c >= 0x2000 && c <= 0x200A && c != 0x2007) || c == 0x2028 || c == 0x2029 ||
         c == 0x205F || c == 0x3000;
}

std::size_t CountLeadingSpace(const char16_t* text) noexcept {
  if (text == nullptr) return 0;
  std::size_t count = 0;
  while (IsWhiteSpace(text[count])) ++count;  // the terminating 0 is not white space
  return count;
}

}  // namespace bitvane
