#pragma once
// Reading what the user types into a view's input line: integers in decimal, hex,
// binary and octal, bare binary digits, character literals, floats and the float
// keywords; and the integer and character readers behind them (the float ones are in
// float_readers.h).
//
// Every reader here takes its text up to its end or up to its first NUL, whichever
// comes first: a NUL ends the text as it would end a zero-terminated string.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/raw_value.h"
#include "core/view_table.h"

namespace bitvane {

// Reads an input line's text into its view's bytes of `value`.
//
// The text is trimmed of white space (IsWideSpace) at both ends. An integer view
// accepts, in this order: a character literal of at most `size` bytes (see
// ParseCharLiteral); exactly 8 × size binary digits with underscores anywhere, most
// significant first; a number for ParseUnsigned64, or "-" and a number for
// ParseSigned64, within the view's unsigned range or, with "-", its signed range. A
// float view accepts the keywords NaN, SNaN, QNaN and Inf with an optional sign (any
// case; NaN is the signalling NaN), and otherwise the longest number at the start of
// the text that the C library's "%lf" reads in the "C" locale (what follows it is
// ignored; see float_readers.h); a single view rejects a number beyond ±FLT_MAX, infinities
// included, and rounds the rest to the nearest single, NaNs included. The views' own texts of the
// extreme values read back as those values, where rounding would misread them (see
// ReadShownExtreme). A view whose size or bytes are none of the table's reads nothing
// ("Invalid").
//
// On success writes exactly the view's bytes, clears `message` and returns true. On
// failure leaves `value` untouched, sets `message` to "Empty <name>", "Invalid <name>
// value" or "<name> out of range" and returns false. May change the last-error code.
[[nodiscard]] bool ReadFieldText(std::u16string_view text, const ValueView& view, RawValue& value,
                                 std::u16string& message);

// Reads a character literal: after trimming, the text between a pair of apostrophes
// or a pair of quotation marks, with C escapes (\x hex, \ octal, \ before any other
// character meaning that character), taken as UTF-8 bytes. A hex escape takes digits
// while its value is at most 15 and an octal one while it is at most 31, so the digit
// that takes it above ends it. Between apostrophes the first character is the most
// significant byte, as in a multi-character constant; between quotation marks it is
// the least significant, as a string lies in memory. A lone surrogate counts as
// U+FFFD.
//
// Returns the number of bytes (0 to 8) and stores them in `out`, byte i being
// (out >> 8i) & 0xFF and the bytes beyond the count zero. Returns -1 and leaves `out`
// untouched for any other text: no delimiters, an unescaped quote of either kind
// inside, or more than 8 bytes. Never changes the last-error code.
[[nodiscard]] int ParseCharLiteral(std::u16string_view text, std::uint64_t& out) noexcept;

// Reads an unsigned number: white space (IsWideSpace) around it, and decimal, or "0x"
// and hex digits, "0b" and binary digits, or "0" and octal digits. Digits after "0x"
// and "0b" are optional ("0x" reads as 0). No sign. This is ReadIntegerText with
// the base chosen from the text and 64 bits of width.
//
// On success stores the value in `out`, sets the last-error code to 0 and returns
// true. Otherwise returns false, leaves `out` untouched and sets the last-error code:
//   ERROR_INVALID_PARAMETER    no text at all (a null view);
//   ERROR_INVALID_DATA         an empty or blank text, or a character out of place;
//   ERROR_ARITHMETIC_OVERFLOW  a value beyond 64 bits or above `maximum`.
[[nodiscard]] bool ParseRadixU64(std::u16string_view text, std::uint64_t& out,
                                 std::uint64_t maximum) noexcept;

// ParseRadixU64 up to 2^64 - 1.
[[nodiscard]] bool ParseUnsigned64(std::u16string_view text, std::uint64_t& out) noexcept;

// Reads a signed number: leading white space, an optional "+" or "-", then what
// ParseRadixU64 reads (white space may follow the sign). The range is -2^63 to
// 2^63 - 1; beyond it fails with ERROR_ARITHMETIC_OVERFLOW. Results, `out` and the
// last-error code as for ParseRadixU64.
[[nodiscard]] bool ParseSigned64(std::u16string_view text, std::int64_t& out) noexcept;

}  // namespace bitvane
