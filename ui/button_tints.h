#pragma once
// Colour shifts of the self-painting buttons: a tint marks hover and press, a grey marks
// a disabled text and frame. Colours are 0x00BBGGRR; the top byte of the input is
// ignored and that of the result is zero.

#include "core/status_colors.h"

namespace bitvane {

// Raises channel `channel` (0 red, 1 green, 2 blue) by `amount` and lowers the other two
// by `amount`, each clamped to 0..255. A channel above 2 raises none and lowers all three.
[[nodiscard]] ColorRef Tint(ColorRef color, unsigned channel, unsigned amount) noexcept;

// The grey of the mean m = (red + green + blue) / 3, moved `amount` towards 128 and
// stopping there: a mean above 128 never drops below it, one below never rises above.
[[nodiscard]] ColorRef Grey(ColorRef color, unsigned amount) noexcept;

}  // namespace bitvane
