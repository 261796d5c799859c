#pragma once
// Text bound for a terminal. Control characters and bytes that are not UTF-8 become
// visible escapes, so that no text from outside (a file, the settings store, an
// argument) can move the cursor, recolour the screen, reorder the line or forge a
// line of what the program prints.

#include <string>
#include <string_view>

namespace bitvane::cli {

// `text` as UTF-8 with every character a terminal acts on escaped: \b \t \n \f \r for
// those, \uXXXX for the other C0 controls, DEL, the C1 controls, U+2028 and U+2029,
// and the bidirectional controls (U+061C, U+200E, U+200F, U+202A-U+202E,
// U+2066-U+2069). Each byte that is not part of well-formed UTF-8 (stray, overlong,
// encoded surrogate, above U+10FFFF, cut short) becomes \xHH. Everything else,
// backslash included, stays as it is.
[[nodiscard]] std::string TerminalText(std::string_view utf8);
// The same for UTF-16 text; an unpaired surrogate becomes \uXXXX.
[[nodiscard]] std::string TerminalText(std::u16string_view text);

// `text` escaped as TerminalText, with `"` and `\` escaped too, in double quotes: a
// quoted text reads back unambiguously.
[[nodiscard]] std::string QuotedTerminalText(std::u16string_view text);

// True when TerminalText would show `text` as it is.
[[nodiscard]] bool IsTerminalSafe(std::u16string_view text) noexcept;

// Multi-line program text, whose lines end with CR LF: each CR LF becomes LF, and
// everything else is escaped as TerminalText does, a lone CR or LF included.
[[nodiscard]] std::string TerminalLines(std::u16string_view text);

}  // namespace bitvane::cli
