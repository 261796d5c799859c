#pragma once
// The colours of the status line and of the input lines, in the light and the dark
// theme.

#include <cstdint>

namespace bitvane {

// A colour as 0x00BBGGRR. A value with a non-zero top byte means "the control's
// default colour"; kDefaultColor is the one the program writes.
using ColorRef = std::uint32_t;
inline constexpr ColorRef kDefaultColor = 0xFF000000u;

struct ColorPair {
  ColorRef text;
  ColorRef background;
  friend constexpr bool operator==(const ColorPair&, const ColorPair&) = default;
};

struct StatusColors {
  ColorPair inputNormal;  // an input line with nothing wrong
  ColorPair allClear;     // the status line without a message
  ColorPair message;      // the status line with a message, and the offending input line
};

[[nodiscard]] constexpr StatusColors StatusColorsFor(bool darkTheme) noexcept {
  return darkTheme
             ? StatusColors{{0xFFFFFF, 0x000000}, {0xCCCCCC, 0x003300}, {0xFFFFFF, 0x003399}}
             : StatusColors{
                   {kDefaultColor, kDefaultColor}, {0x000000, 0x99FF99}, {0x000000, 0x3399FF}};
}

}  // namespace bitvane
