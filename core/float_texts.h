#pragma once
// The texts of the float views. The input text is the value in decimal, as short as
// the plain and the engineering notation allow; the information text shows the
// stored sign, biased exponent and fraction bits. A single is widened exactly to a
// double first, so its input text shows digits of its exact value. Every bit
// pattern has its texts: none of these can fail.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bitvane {

// Significant decimal digits of a value: |value| is about 0.d1d2...dn x 10^point,
// so `point` is the number of digits in front of the decimal point (0 or negative
// below 1). The sign is the value's sign bit.
struct DecimalDigits {
  static constexpr std::size_t kMaxDigits = 16;
  std::array<char, kMaxDigits> digits{};  // '0' to '9', the first `count` in use
  std::size_t count = 0;
  int point = 0;
  bool negative = false;

  [[nodiscard]] std::string_view Digits() const noexcept { return {digits.data(), count}; }
};

// The single with these bits as a double. Exact for every finite single; a NaN keeps
// its sign and its fraction bits (shifted to the top of the double's fraction).
[[nodiscard]] double WidenSingle(std::uint32_t bits) noexcept;

// "Inf" or "-Inf" for an infinity, "Nan" or "-Nan" for any NaN (the sign bit decides
// the minus); nothing for a finite value.
[[nodiscard]] std::optional<std::u16string> NonFiniteText(double value);

// The digits of a finite value, correctly rounded: 14 significant digits when those
// end in at least three zeros, 16 otherwise, then without trailing zeros (zero has
// none left, with point 1). A non-finite value gives no digits and point 0.
[[nodiscard]] DecimalDigits SignificantDigits(double value) noexcept;

// `digits` in positional notation, never with an exponent: "-" for a negative value;
// then for point >= digit count the digits and point - count zeros ("0" when both
// are 0); for 0 < point < count the digits with "." after the first `point`; for
// point <= 0 "0.", -point zeros and the digits.
[[nodiscard]] std::u16string PlaceDecimalPoint(std::string_view digits, int point, bool negative);

// The value in positional notation ("0.00001", "1" and 20 zeros), or its
// non-finite name.
[[nodiscard]] std::u16string DoubleToPlainText(double value);

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
