#pragma once
// The two texts of any view of the value, chosen by the view's size and kind: what
// the rewrite of the views puts into its input line and into its information box.

#include <string>

#include "core/raw_value.h"
#include "core/view_table.h"

namespace bitvane {

// The input text of `view` for the bytes it covers in `value`.
[[nodiscard]] std::u16string ViewInputText(const ValueView& view, const RawValue& value);

// The information text of `view` for the bytes it covers in `value`.
[[nodiscard]] std::u16string ViewInfoText(const ValueView& view, const RawValue& value);

}  // namespace bitvane
