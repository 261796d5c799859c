#pragma once
// The fourteen views of the value: which bytes each shows, how, and through which
// controls. The table's order is the order in which views are rewritten.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace bitvane {

// A control of the main dialog, by its id; 0 is no control.
using ControlId = int;
inline constexpr ControlId kNoControl = 0;
inline constexpr ControlId kStatusLine = 1032;

enum class ViewKind { Integer, Float };

enum class ViewId {
  Byte0,
  Byte1,
  Byte2,
  Byte3,
  Byte4,
  Byte5,
  Byte6,
  Byte7,
  LowInt32,
  HighInt32,
  HugeInt64,
  LowSingle,
  HighSingle,
  Double64,
};

struct ValueView {
  ViewId id;
  std::u16string_view name;  // the field name of the parser's messages
  unsigned firstByte;
  unsigned size;  // 1, 4 or 8
  ViewKind kind;
  ControlId input;
  ControlId info;
  std::u16string_view label;  // '&' marks the mnemonic letter
};

inline constexpr std::size_t kViewCount = 14;

// The views in table order.
[[nodiscard]] const std::array<ValueView, kViewCount>& ViewTable() noexcept;

// The view of a view id, and of an input line id (null for any other control).
[[nodiscard]] const ValueView& ViewOf(ViewId id) noexcept;
[[nodiscard]] const ValueView* ViewOfInput(ControlId input) noexcept;

// The input line ids in table order, ended by 0.
[[nodiscard]] std::span<const ControlId> InputEditList() noexcept;

}  // namespace bitvane
