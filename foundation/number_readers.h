#pragma once
// Readers of numbers in text, and a finiteness test for doubles.

#include <cstdint>
#include <string_view>

namespace bitvane {

// The value of `c` as a digit of `base` (2 to 36; ASCII letters in either case stand
// for 10 and up), or `base` itself when `c` is no such digit.
[[nodiscard]] std::uint32_t DigitValue(char16_t c, std::uint32_t base) noexcept;

// False when the exponent field of `value` is all ones (an infinity or a NaN).
[[nodiscard]] bool IsFinite(double value) noexcept;

// How ReadIntegerText reads a number.
struct IntegerForm {
  // 1 chooses the base from the text: "0x" or "0X" hexadecimal, "0b" or "0B" binary,
  // another leading 0 octal, else decimal; digits after "0x" and "0b" are optional. 2
  // to 36 takes digits of that base only (letters in either case) and no prefix.
  std::uint32_t radix = 1;
  // Whether an optional "+" or "-" may stand before the number (white space may
  // follow it).
  bool sign = false;
  // The largest magnitude the digits may reach: the reader's own range.
  std::uint64_t width = UINT64_MAX;
};

// What ReadIntegerText read.
struct IntegerText {
  std::uint64_t magnitude = 0;
  bool negative = false;  // a "-" stood before the number
};

// The reader behind every integer reader of every width: reads `text` up to its end
// or its first NUL as white space (IsWideSpace), the sign and the number that `form`
// allows, and white space; none inside the number. In the narrow text a byte from
// 0x80 up is never a digit, sign or white space. `form.radix` must be 1 to 36.
//
// On success stores the number in `out`, sets the last-error code to 0 and returns
// true. Otherwise returns false, leaves `out` unchanged and sets the last-error code:
//   ERROR_INVALID_DATA         an empty or blank text, or a character out of place;
//   ERROR_ARITHMETIC_OVERFLOW  the digits pass `form.width` (at once, whatever follows).
[[nodiscard]] bool ReadIntegerText(std::u16string_view text, const IntegerForm& form,
                                   IntegerText& out) noexcept;
[[nodiscard]] bool ReadIntegerText(std::string_view text, const IntegerForm& form,
                                   IntegerText& out) noexcept;

// Reads an unsigned 32-bit number from the zero-terminated `text` as ReadIntegerText
// does with `radix`, no sign and a width of 4294967295 ("0x" alone reads as 0). With
// `wide` the text is `const char16_t*`; otherwise it is `const char*`.
//
// On success stores the value in `out`, sets the last-error code to 0 and returns
// true. Otherwise returns false, leaves `out` unchanged and sets the last-error code:
//   ERROR_INVALID_PARAMETER    null text, or radix 0 or above 36;
//   ERROR_INVALID_DATA         an empty or blank text, or a character out of place;
//   ERROR_ARITHMETIC_OVERFLOW  the value exceeds 4294967295 or `maximum`.
[[nodiscard]] bool ParseUnsigned32(const void* text, std::uint32_t radix, bool wide,
                                   std::uint32_t maximum, std::uint32_t& out) noexcept;

// Reads a decimal floating-point number from the zero-terminated `text`: an optional
// sign, then digits with an optional point (either side may be empty, so "." reads as
// 0), then an optional exponent: E, e, D or d, an optional sign and optional digits
// ("1e" reads as 1). White space (IsWhiteSpace) may stand before and after the number
// and between the sign and the digits.
//
// On success stores the double nearest to the number in `out` (±infinity beyond the
// range of doubles, ±0 below it, never a NaN) and returns true. Returns false and
// leaves `out` unchanged for a null text or any other text. Never changes the
// last-error code.
[[nodiscard]] bool ParseDouble(const char16_t* text, double& out) noexcept;

}  // namespace bitvane
