#pragma once
// Numbers as text: decimal, any radix from 2 to 36, and binary digits in groups
// of eight, with optional padding to a field width. Digits above 9 are upper-case
// letters. Failures give the empty string and set the thread's last-error code;
// a successful conversion is never empty and leaves the last-error code alone.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bitvane {

// `count` copies of `c`; empty for 0.
[[nodiscard]] std::u16string RepeatChar(std::size_t count, char16_t c);

// Pads `text` with `pad` to |width| characters: in front for a positive width
// (right-aligned), behind for a negative one (left-aligned). A text that already
// has |width| characters or more, and any text for width 0, comes back unchanged;
// a text is never cut. Every int is accepted, INT_MIN meaning 2^31 characters.
[[nodiscard]] std::u16string PadText(std::u16string_view text, int width, char16_t pad);

// The value in decimal, with a minus sign for negatives.
[[nodiscard]] std::u16string SignedToText(std::int32_t value);

// The value in `radix` (2 to 36), padded by PadText(digits, width, pad).
// An invalid radix gives the empty string and ERROR_INVALID_PARAMETER.
[[nodiscard]] std::u16string UnsignedToText(std::uint32_t value, unsigned radix, int width,
                                            char16_t pad);

// The value in decimal, padded by PadText(digits, width, pad), except that zeros
// padding a negative value on the left go between the sign and the digits
// ("-0042", not "00-42").
[[nodiscard]] std::u16string Signed64ToText(std::int64_t value, int width = 0, char16_t pad = u' ');

// The 64-bit counterpart of UnsignedToText, with the same radix rule.
[[nodiscard]] std::u16string Unsigned64ToText(std::uint64_t value, unsigned radix, int width = 0,
                                              char16_t pad = u' ');

// The lowest `bitCount` bits of `value` (1 to 64) as '0' and '1', most significant
// first, with '_' between groups of 8 counted from the least significant bit:
// 11 bits read "101_00000001". The longest result, 64 bits, has 71 characters.
// Any other bit count gives the empty string and ERROR_INVALID_PARAMETER.
[[nodiscard]] std::u16string BinaryDigits(std::uint64_t value, unsigned bitCount);

}  // namespace bitvane
