#include "core/swaps.h"

#include <cstdint>

namespace bitvane {

namespace {

constexpr std::uint32_t SwapWords(std::uint32_t half) noexcept {
  return half << 16 | half >> 16;
}

constexpr std::uint32_t ReverseBytes(std::uint32_t half) noexcept {
  return (half & 0xFF) << 24 | (half & 0xFF00) << 8 | (half >> 8 & 0xFF00) | half >> 24;
}

}  // namespace

RawValue ApplySwap(SwapId id, RawValue value) noexcept {
  const std::uint32_t low = value.ValueLow;
  const std::uint32_t high = value.ValueHigh;
  switch (id) {
    case SwapId::HighWords:
      return {low, SwapWords(high)};
    case SwapId::HighBytes:
      return {low, ReverseBytes(high)};
    case SwapId::LowWords:
      return {SwapWords(low), high};
    case SwapId::LowBytes:
      return {ReverseBytes(low), high};
    case SwapId::Halves:
      return {high, low};
    case SwapId::HugeWords:
      return {SwapWords(high), SwapWords(low)};
    case SwapId::HugeBytes:
      return {ReverseBytes(high), ReverseBytes(low)};
  }
  return value;
}

}  // namespace bitvane
