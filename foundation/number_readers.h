#pragma once
// Readers of numbers in zero-terminated text, and a finiteness test for doubles.

#include <cstdint>

namespace bitvane {

// The value of `c` as a digit of `base` (2 to 36; ASCII letters in either case stand
// for 10 and up), or `base` itself when `c` is no such digit.
[[nodiscard]] std::uint32_t DigitValue(char16_t c, std::uint32_t base) noexcept;

// False when the exponent field of `value` is all ones (an infinity or a NaN).
[[nodiscard]] bool IsFinite(double value) noexcept;

// Reads an unsigned 32-bit number from the zero-terminated `text`. With `wide` the
// text is `const char16_t*`; otherwise it is `const char*`, and a byte from 0x80 up
// is never a digit or white space.
//
// radix 1 chooses the base from the text: "0x" or "0X" hexadecimal, "0b" or "0B"
// binary, another leading 0 octal, else decimal. Digits after "0x" and "0b" are
// optional: "0x" alone reads as 0. radix 2 to 36 takes digits of that base only
// (letters in either case) and no prefix. White space (IsWideSpace) may stand before
// and after the number, not inside it.
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
