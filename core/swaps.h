#pragma once
// The seven swaps: bytes, words (16 bits) and double words reordered in place.
// Byte 0 is the least significant byte; word w is bytes 2w and 2w + 1.

#include <span>
#include <string_view>

#include "core/raw_value.h"
#include "core/view_table.h"

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

struct SwapButton {
  SwapId id;
  ControlId button;
  std::u16string_view caption;
  ViewId row;                // the view whose row holds the button
  std::string_view cliName;  // the name the command-line companion uses
};

// The swaps in the order of their table: high W, high B, low W, low B, DW, huge W, huge B.
[[nodiscard]] std::span<const SwapButton> SwapTable() noexcept;

// The value after the swap.
[[nodiscard]] RawValue ApplySwap(SwapId id, RawValue value) noexcept;

}  // namespace bitvane
