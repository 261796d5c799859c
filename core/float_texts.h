#pragma once
// The texts of the float views. The input text is the value in decimal, as short as
// the plain and the engineering notation allow; the information text shows the
// stored sign, biased exponent and fraction bits. A single is widened exactly to a
// double first, so its input text shows digits of its exact value. Every bit
// pattern has its texts: none of these can fail. The plain notation and the digits
// come from foundation/decimal_text.h.

#include <cstdint>
#include <string>

#include "foundation/decimal_text.h"

namespace bitvane {

// The single with these bits as a double. Exact for every finite single; a NaN keeps
// its sign and its fraction bits (shifted to the top of the double's fraction).
[[nodiscard]] double WidenSingle(std::uint32_t bits) noexcept;

// The value with an exponent that is a multiple of 3 and 1 to 3 digits in front of
// the point ("10e-6", "100e+18", "179.7693134862316e+306"), or its non-finite name.
[[nodiscard]] std::u16string DoubleToEngText(double value);

// The input text of a float view: the plain text unless the engineering text is
// shorter.
[[nodiscard]] std::u16string FloatInputText(double value);

// Two lines, "Sign=s Exp=eeeeeeee" and "Mant=" with the fraction bits, the fields as
// stored. The single's exponent has 8 digits and its fraction 23 (7_8_8); the
// double's exponent 11 (3_8) and its fraction 52 (4 and six groups of 8).
[[nodiscard]] std::u16string SingleInfoText(std::uint32_t bits);
[[nodiscard]] std::u16string DoubleInfoText(std::uint64_t bits);

}  // namespace bitvane
