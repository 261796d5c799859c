#pragma once
// ColorRef values (0x00BBGGRR, a non-zero top byte meaning "default") in Qt terms.

#include <QColor>

#include "core/status_colors.h"

namespace bitvane {

// True when the value stands for the control's default colour.
[[nodiscard]] constexpr bool IsDefaultColor(ColorRef color) noexcept {
  return (color >> 24) != 0;
}

// The colour of a real ColorRef (the top byte is ignored).
[[nodiscard]] inline QColor ToQColor(ColorRef color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>(color >> 8 & 0xFF),
                static_cast<int>(color >> 16 & 0xFF));
}

[[nodiscard]] inline ColorRef FromQColor(const QColor& color) {
  return static_cast<ColorRef>(color.red()) | static_cast<ColorRef>(color.green()) << 8 |
         static_cast<ColorRef>(color.blue()) << 16;
}

}  // namespace bitvane
