#pragma once
// A double in plain positional decimal notation, from its correctly rounded
// significant digits: "0.00001", "1" and 20 zeros, never an exponent. Non-finite
// values have names instead. None of these can fail.

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

// The number of characters PlaceDecimalPoint writes for `count` digits, without
// writing them. 64 bits, so that no point position overflows it.
[[nodiscard]] std::int64_t PlaceDecimalPointLength(std::int64_t count, std::int64_t point,
                                                   bool negative) noexcept;

// The value in positional notation ("0.00001", "1" and 20 zeros), or its
// non-finite name.
[[nodiscard]] std::u16string DoubleToPlainText(double value);

}  // namespace bitvane
