#include "core/integer_texts.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace bitvane {

namespace {

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";
constexpr unsigned kMaxLiteralBytes = 8;

constexpr bool IsHexDigit(std::uint8_t c) noexcept {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

constexpr bool IsPrintable(std::uint8_t c) noexcept {
  return c >= 0x20 && c <= 0x7E;
}

// A text of at most 256 characters assembled on the stack and copied out once. The
// texts here are built in such buffers rather than from temporary strings or a
// TextBuilder (whose first chunk is 128 KiB): a rewrite of all views makes dozens
// of them and must stay within a few microseconds. The longest, the 64-bit
// information text, has 211 characters. Each Add checks once that its longest
// output fits and otherwise adds nothing.
class ShortText {
 public:
  void Add(char16_t c) noexcept {
    if (Room() >= 1) *m_end++ = c;
  }
  void Add(std::u16string_view piece) noexcept {
    if (Room() < piece.size()) return;
    for (const char16_t c : piece) *m_end++ = c;
  }

  // `digits` (at most 16) hexadecimal digits of the value, upper-case, zeros in front.
  void AddHex(std::uint64_t value, unsigned digits) noexcept {
    if (digits > 16 || Room() < digits) return;
    while (digits-- > 0) *m_end++ = kHexDigits[(value >> (4 * digits)) & 0xF];
  }

  void AddUnsigned(std::uint64_t value) noexcept {
    std::array<char16_t, 20> reversed;  // 2^64 - 1 has 20 digits
    std::size_t count = 0;
    do {
      reversed[count++] = static_cast<char16_t>(u'0' + value % 10);
      value /= 10;
    } while (value != 0);
    if (Room() < count) return;
    while (count > 0) *m_end++ = reversed[--count];
  }

  void AddSigned(std::int64_t value) noexcept {
    if (value < 0) Add(u'-');
    // The magnitude in unsigned arithmetic, so that INT64_MIN needs no special case.
    AddUnsigned(value < 0 ? 0 - static_cast<std::uint64_t>(value)
                          : static_cast<std::uint64_t>(value));
  }

  // The low `bits` bits (at most 64), most significant first, "_" between groups of 8
  // counted from the least significant bit.
  void AddBinary(std::uint64_t value, unsigned bits) noexcept {
    if (bits > 64 || Room() < bits + bits / 8) return;
    while (bits-- > 0) {
      *m_end++ = ((value >> bits) & 1) != 0 ? u'1' : u'0';
      if (bits != 0 && bits % 8 == 0) *m_end++ = u'_';
    }
  }

  void AddLiteral(std::uint64_t bytes, unsigned count, char16_t quote) noexcept;

  [[nodiscard]] std::u16string Text() const {
    return std::u16string(m_chars.data(), static_cast<std::size_t>(m_end - m_chars.data()));
  }

 private:
  [[nodiscard]] std::size_t Room() const noexcept {
    return static_cast<std::size_t>(m_chars.data() + m_chars.size() - m_end);
  }

  std::array<char16_t, 256> m_chars;
  char16_t* m_end = m_chars.data();
};

void ShortText::AddLiteral(std::uint64_t bytes, unsigned count, char16_t quote) noexcept {
  if (count > kMaxLiteralBytes) count = kMaxLiteralBytes;
  if (Room() < 2 + 4 * count) return;  // the quotes and "\xHH" per byte at most
  const bool mostSignificantFirst = quote == u'\'';
  *m_end++ = quote;
  bool afterShortHexEscape = false;  // the last byte was written "\x0H"
  for (unsigned i = 0; i < count; ++i) {
    const auto c =
        static_cast<std::uint8_t>(bytes >> (8 * (mostSignificantFirst ? count - 1 - i : i)));
    // The reader takes further hex digits into "\x0H" while its value stays below 16,
    // so a hex-digit character right after it is escaped as well.
    const bool hexEscape = !IsPrintable(c) || (afterShortHexEscape && IsHexDigit(c));
    afterShortHexEscape = false;
    if (c == '\\' || c == '\'' || c == '"') {
      *m_end++ = u'\\';
      *m_end++ = c;
    } else if (hexEscape) {
      *m_end++ = u'\\';
      *m_end++ = u'x';
      *m_end++ = kHexDigits[c >> 4];
      *m_end++ = kHexDigits[c & 0xF];
      afterShortHexEscape = c < 0x10;
    } else {
      *m_end++ = c;
    }
  }
  *m_end++ = quote;
}

// The three lines of the 32- and 64-bit information texts, for the low `count`
// bytes of `value` and their signed reading.
std::u16string WideInfoText(std::uint64_t value, unsigned count, std::int64_t signedValue) {
  ShortText text;
  text.Add(u"0x");
  text.AddHex(value, 2 * count);
  text.Add(u" = ");
  text.AddUnsigned(value);
  text.Add(u"U = ");
  text.AddSigned(signedValue);
  text.Add(u"\r\n");
  text.AddBinary(value, 8 * count);
  text.Add(u"\r\n");
  text.AddLiteral(value, count, u'"');
  text.Add(u" = ");
  text.AddLiteral(value, count, u'\'');
  return text.Text();
}

std::u16string SignedText(std::int64_t value) {
  ShortText text;
  text.AddSigned(value);
  return text.Text();
}

}  // namespace

std::u16string CharLiteralText(std::uint64_t bytes, unsigned count, char16_t quote) {
  ShortText text;  // a small stack buffer, not a TextBuilder: see ShortText
  text.AddLiteral(bytes, count, quote);
  return text.Text();
}

std::u16string ByteInputText(std::uint8_t byte) {
  return SignedText(static_cast<std::int8_t>(byte));
}

std::u16string ByteInfoText(std::uint8_t byte) {
  ShortText text;
  text.Add(u"0x");
  text.AddHex(byte, 2);
  text.Add(u"\r\n");
  text.AddUnsigned(byte);
  text.Add(u"U\r\n");
  text.AddSigned(static_cast<std::int8_t>(byte));
  text.Add(u"\r\n");
  text.AddBinary(byte, 8);
  text.Add(u"\r\n");
  text.AddLiteral(byte, 1, u'\'');
  return text.Text();
}

std::u16string Int32InputText(std::uint32_t value) {
  return SignedText(static_cast<std::int32_t>(value));
}

std::u16string Int32InfoText(std::uint32_t value) {
  return WideInfoText(value, 4, static_cast<std::int32_t>(value));
}

std::u16string Int64InputText(std::uint64_t value) {
  return SignedText(static_cast<std::int64_t>(value));
}

std::u16string Int64InfoText(std::uint64_t value) {
  return WideInfoText(value, 8, static_cast<std::int64_t>(value));
}

}  // namespace bitvane
