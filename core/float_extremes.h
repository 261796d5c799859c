#pragma once
// The extreme floats as the views show them. A view writes at most 16 significant
// digits. For the largest finite single and double these lie just above the value:
// read as they stand, the single's text would be out of range and the double's would
// read as infinity. For the smallest normal double they lie nearer the largest
// denormal. The views' own texts of these values read back as the values.

#include <cstdint>
#include <string_view>

namespace bitvane {

// For a text that the C library read as `number`, the bits a float view of `size`
// bytes (4 or 8) keeps instead, where rounding would misread the views' own text for
// an extreme value. True, with the bits in `bits`, when the whole text is a plain
// decimal, [+-] digits [. digits] [e|E [+-] digits], and either
// - `number` lies beyond the largest finite value of the format and the text's exact
//   magnitude is at most that of FloatInputText for that value: the largest finite
//   value with the text's sign; or
// - `size` is 8, `number` is the largest denormal and the text's exact magnitude is
//   that of FloatInputText for the smallest normal double, which shows the same 16
//   digits as the largest denormal but lies nearer it: the smallest normal, signed.
// False, with `bits` untouched, for any other text, number or size. The magnitude is
// compared in one pass over the text, however long it or its exponent.
[[nodiscard]] bool ReadShownExtreme(std::u16string_view text, unsigned size, double number,
                                    std::uint64_t& bits);

}  // namespace bitvane
