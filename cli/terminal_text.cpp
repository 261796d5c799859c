#include "cli/terminal_text.h"

#include <cstdint>

#include "foundation/wide_to_utf8.h"

namespace bitvane::cli {

namespace {

bool IsSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

// Characters that a terminal acts on instead of showing them.
bool IsControl(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
         (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void AppendHex(std::string& out, const char* prefix, std::uint32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += prefix;
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kDigits[value >> shift & 0xF];
}

// One character (an unpaired surrogate included), escaped when a terminal would act on it.
void AppendShown(std::string& out, char32_t c, bool quoted) {
  switch (c) {
    case U'\b':
      out += "\\b";
      return;
    case U'\t':
      out += "\\t";
      return;
    case U'\n':
      out += "\\n";
      return;
    case U'\f':
      out += "\\f";
      return;
    case U'\r':
      out += "\\r";
      return;
    case U'"':
    case U'\\':
      if (quoted) out += '\\';
      out += static_cast<char>(c);
      return;
    default:
      break;
  }
  if (IsControl(c) || IsSurrogate(c)) {
    AppendHex(out, "\\u", static_cast<std::uint32_t>(c), 4);
  } else {
    AppendUtf8(out, c);
  }
}

// The length of the well-formed UTF-8 sequence at text[at], with its character in
// `c`; 0 when none starts there.
std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t& c) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned lead = byte(0);
  if (lead < 0x80) {
    c = lead;
    return 1;
  }
  std::size_t length = 0;
  unsigned low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  char32_t value = lead & (0x7Fu >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned next = byte(i);
    if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return 0;
    value = value << 6 | (next & 0x3F);
  }
  c = value;
  return length;
}

void AppendEscaped(std::string& out, std::u16string_view text, bool quoted) {
  for (std::size_t at = 0; at < text.size();) {
    AppendShown(out, NextCodePoint(text, at, true), quoted);
  }
}

}  // namespace

std::string TerminalText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    char32_t c = 0;
    if (const std::size_t length = DecodeUtf8(utf8, at, c); length != 0) {
      AppendShown(out, c, false);
      at += length;
    } else {
      AppendHex(out, "\\x", static_cast<unsigned char>(utf8[at]), 2);
      ++at;
    }
  }
  return out;
}

std::string TerminalText(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendEscaped(out, text, false);
  return out;
}

std::string QuotedTerminalText(std::u16string_view text) {
  std::string out = "\"";
  out.reserve(text.size() + 2);
  AppendEscaped(out, text, true);
  out += '"';
  return out;
}

bool IsTerminalSafe(std::u16string_view text) noexcept {
  for (std::size_t at = 0; at < text.size();) {
    const char32_t c = NextCodePoint(text, at, true);
    if (IsControl(c) || IsSurrogate(c)) return false;
  }
  return true;
}

std::string TerminalLines(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(u"\r\n", start);
    AppendEscaped(out, text.substr(start, end == std::u16string_view::npos ? end : end - start),
                  false);
    if (end == std::u16string_view::npos) return out;
    out += '\n';
    start = end + 2;
  }
}

}  // namespace bitvane::cli
