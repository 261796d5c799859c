#pragma once
// The seven swaps: bytes, words (16 bits) and double words reordered in place.
// Byte 0 is the least significant byte; word w is bytes 2w and 2w + 1.

#include "core/raw_value.h"

namespace bitvane {

enum class SwapId {
  HighWords,  // exchange words 2 and 3
  HighBytes,  // reverse bytes 4 to 7
  LowWords,   // exchange words 0 and 1
  LowBytes,   // reverse bytes 0 to 3
  Halves,     // exchange bytes 0-3 with bytes 4-7
  HugeWords,  // reverse the four words
  HugeBytes,  // reverse all eight bytes
};

// The value after the swap.
[[nodiscard]] RawValue ApplySwap(SwapId id, RawValue value) noexcept;

}  // namespace bitvane
