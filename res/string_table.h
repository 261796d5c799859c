#pragma once
// The string table as data: texts the program loads by number.

#include <string_view>

namespace bitvane {

// The window menu's About item.
inline constexpr int kAboutItemStringId = 101;

// The text of string `id`, or an empty view when there is none.
[[nodiscard]] std::u16string_view LoadResString(int id) noexcept;

}  // namespace bitvane
