#pragma once
// Which bit of the value a binary digit of a view's information text stands for, so
// that a click or a key on the digit can flip it: the byte lines' fourth line, the
// integers' second line, and the sign, exponent and fraction fields of the floats.

#include <optional>
#include <string>
#include <string_view>

#include "core/view_table.h"

namespace bitvane {

struct InfoBit {
  unsigned valueBit = 0;   // 0 to 63, in the 64-bit value
  unsigned viewBit = 0;    // in the view, 0 least significant
  std::string_view field;  // "sign", "exponent", "fraction"; empty for integers
  unsigned fieldBit = 0;   // in the field, 0 least significant
};

// The bit whose binary digit stands at `column` of `lineText`, line `line` (from 0) of
// `view`'s information text; none where no binary digit of the value stands.
[[nodiscard]] std::optional<InfoBit> BitAtInfoPosition(const ValueView& view,
                                                       std::u16string_view lineText, unsigned line,
                                                       unsigned column);

// "bit 52 of the value; exponent bit 0 of the double", "bit 3 of the value; bit 3 of
// byte #0", "bit 63 of the value; sign bit of the double".
[[nodiscard]] std::string InfoBitTip(const ValueView& view, const InfoBit& bit);

}  // namespace bitvane
