#include "ui/button_tints.h"

namespace bitvane {

namespace {

[[nodiscard]] unsigned Channel(ColorRef color, unsigned channel) noexcept {
  return color >> (8 * channel) & 0xFFu;
}

// Written without forming value + amount or value - amount, so any amount is safe.
[[nodiscard]] unsigned Raise(unsigned value, unsigned amount, unsigned ceiling) noexcept {
  return amount >= ceiling - value ? ceiling : value + amount;
}

[[nodiscard]] unsigned Lower(unsigned value, unsigned amount, unsigned floor) noexcept {
  return amount >= value - floor ? floor : value - amount;
}

[[nodiscard]] ColorRef GreyOf(unsigned level) noexcept {
  return level | level << 8 | level << 16;
}

}  // namespace

ColorRef Tint(ColorRef color, unsigned channel, unsigned amount) noexcept {
  ColorRef result = 0;
  for (unsigned c = 0; c < 3; ++c) {
    const unsigned value = Channel(color, c);
    const unsigned shifted = c == channel ? Raise(value, amount, 255) : Lower(value, amount, 0);
    result |= shifted << (8 * c);
  }
  return result;
}

ColorRef Grey(ColorRef color, unsigned amount) noexcept {
  constexpr unsigned kMiddle = 128;
  const unsigned mean = (Channel(color, 0) + Channel(color, 1) + Channel(color, 2)) / 3;
  if (mean > kMiddle) return GreyOf(Lower(mean, amount, kMiddle));
  if (mean < kMiddle) return GreyOf(Raise(mean, amount, kMiddle));
  return GreyOf(kMiddle);
}

}  // namespace bitvane
