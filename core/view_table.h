#pragma once
// The fourteen views of the value: which bytes each shows and how. The table's order
// is the order in which views are rewritten. The controls that show a view belong to
// whoever shows it (the dialog template, the command line), joined by the view id.

#include <array>
#include <cstdint>
#include <string_view>

namespace bitvane {

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
};

inline constexpr std::size_t kViewCount = 14;

// The views in table order.
[[nodiscard]] const std::array<ValueView, kViewCount>& ViewTable() noexcept;

// The view of a view id.
[[nodiscard]] const ValueView& ViewOf(ViewId id) noexcept;

}  // namespace bitvane
