#pragma once
// The texts of the integer views. The input text is always signed decimal; the
// information text shows the same bits as hexadecimal, unsigned and signed decimal,
// binary in groups of eight and character literals, its lines separated by "\r\n"
// with none after the last. Every value has its texts: none of these can fail.

#include <cstdint>
#include <string>

namespace bitvane {

// The low `count` bytes of `bytes` (byte i is bits 8i to 8i+7) as a quoted literal
// that the field parser reads back to the same bytes. With the apostrophe the most
// significant byte comes first, as in a multi-character constant; with any other
// quote (the quotation mark) the least significant comes first, as a string lies in
// memory. A backslash and both quote characters are escaped with a backslash, other
// characters 0x20 to 0x7E stand as themselves, and every other byte is "\x" and two
// upper-case hex digits. A hex-digit character right after the escape of a byte
// below 0x10 is escaped too, since the reader would take it into that escape.
// `count` is clamped to 0..8; 0 gives the empty literal.
[[nodiscard]] std::u16string CharLiteralText(std::uint64_t bytes, unsigned count, char16_t quote);

// A byte: input "-1" for 0xFF; information, five lines: "0xFF", "255U", "-1",
// "11111111" and the literal between apostrophes.
[[nodiscard]] std::u16string ByteInputText(std::uint8_t byte);
[[nodiscard]] std::u16string ByteInfoText(std::uint8_t byte);

// A 32-bit half: input signed decimal; information, three lines:
// "0x41424344 = 1094861636U = 1094861636", the 32 binary digits, and the literal
// between quotation marks " = " the literal between apostrophes.
[[nodiscard]] std::u16string Int32InputText(std::uint32_t value);
[[nodiscard]] std::u16string Int32InfoText(std::uint32_t value);

// The 64-bit integer, texts built like the 32-bit ones with 16 hex digits, 64 binary
// digits and literals of all eight bytes.
[[nodiscard]] std::u16string Int64InputText(std::uint64_t value);
[[nodiscard]] std::u16string Int64InfoText(std::uint64_t value);

}  // namespace bitvane
