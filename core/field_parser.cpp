#include "core/field_parser.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <limits>

#include "core/float_extremes.h"
#include "core/float_readers.h"
#include "core/nul_end.h"
#include "foundation/number_readers.h"
#include "foundation/white_space.h"
#include "foundation/wide_to_utf8.h"
#include "platform/last_error.h"

namespace bitvane {

namespace {

constexpr std::uint64_t kAllOnes = std::numeric_limits<std::uint64_t>::max();

bool Fail(ErrorCode code) noexcept {
  SetLastError(code);
  return false;
}

std::u16string_view Trim(std::u16string_view text) noexcept {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsWideSpace(text[first])) ++first;
  while (last > first && IsWideSpace(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// The escape machine of a character literal, fed one UTF-8 byte at a time.
class LiteralBytes {
 public:
  // False when the byte makes the literal malformed or too long.
  bool Take(unsigned char c) noexcept {
    for (;;) {  // a byte that ends a numeric escape is then read as a plain one
      switch (m_state) {
        case State::kPlain:
          if (c == '\\') {
            m_state = State::kEscape;
            return true;
          }
          if (c == '\'' || c == '"') return false;
          return Emit(c);
        case State::kEscape:
          if (c >= '0' && c <= '7') {
            m_accumulator = c - '0';
            m_state = State::kOctal;
            return true;
          }
          if (c == 'x' || c == 'X') {
            m_accumulator = 0;
            m_hasDigit = false;
            m_letter = c;
            m_state = State::kHex;
            return true;
          }
          m_state = State::kPlain;
          return Emit(c);
        case State::kOctal:
          if (c >= '0' && c <= '7') {
            m_accumulator = m_accumulator * 8 + (c - '0');
            return m_accumulator <= 31 || EndEscape();
          }
          if (!EndEscape()) return false;
          continue;
        case State::kHex: {
          const unsigned digit = DigitValue(c, 16);
          if (digit < 16) {
            m_accumulator = m_accumulator * 16 + digit;
            m_hasDigit = true;
            return m_accumulator <= 15 || EndEscape();
          }
          if (!m_hasDigit) m_accumulator = m_letter;  // "\x" without digits is the letter
          if (!EndEscape()) return false;
          continue;
        }
      }
    }
  }

  // Ends the text: an open numeric escape with digits gives its byte; a trailing "\"
  // or "\x" gives nothing.
  bool Finish() noexcept {
    if (m_state == State::kOctal || (m_state == State::kHex && m_hasDigit)) return EndEscape();
    return true;
  }

  int Count() const noexcept { return m_count; }
  const unsigned char* Bytes() const noexcept { return m_bytes; }

 private:
  enum class State { kPlain, kEscape, kOctal, kHex };

  bool Emit(unsigned c) noexcept {
    if (m_count == 8) return false;
    m_bytes[m_count++] = static_cast<unsigned char>(c);
    return true;
  }
  bool EndEscape() noexcept {
    m_state = State::kPlain;
    return Emit(m_accumulator);
  }

  State m_state = State::kPlain;
  unsigned m_accumulator = 0;  // at most 255: a value above 31 (octal) or 15 (hex) ends it
  bool m_hasDigit = false;
  unsigned char m_letter = 0;
  unsigned char m_bytes[8] = {};
  int m_count = 0;
};

enum class Outcome { kOk, kInvalid, kOutOfRange };

// Exactly 8 × size binary digits and any underscores, most significant digit first.
bool ReadBareBinary(std::u16string_view text, unsigned size, std::uint64_t& bits) noexcept {
  const unsigned wanted = 8 * size;
  unsigned digits = 0;
  std::uint64_t value = 0;
  for (const char16_t c : text) {
    if (c == u'_') continue;
    if ((c != u'0' && c != u'1') || digits == wanted) return false;
    value = (value << 1) | (c - u'0');
    ++digits;
  }
  if (digits != wanted) return false;
  bits = value;
  return true;
}

Outcome ReadIntegerField(std::u16string_view text, unsigned size, std::uint64_t& bits) noexcept {
  std::uint64_t literal = 0;
  const int count = ParseCharLiteral(text, literal);
  if (count >= 0 && static_cast<unsigned>(count) <= size) {
    bits = literal;
    return Outcome::kOk;
  }

  const bool negative = text.front() == u'-';
  std::uint64_t number = 0;
  if (!ReadBareBinary(text, size, number)) {
    if (negative) {
      std::int64_t signedNumber = 0;
      if (!ParseSigned64(text, signedNumber)) return Outcome::kInvalid;
      number = static_cast<std::uint64_t>(signedNumber);
    } else if (!ParseUnsigned64(text, number)) {
      return Outcome::kInvalid;
    }
  }

  const unsigned bitCount = 8 * size;
  if (negative) {
    const std::int64_t signedMax = static_cast<std::int64_t>(kAllOnes >> (65 - bitCount));
    const std::int64_t signedNumber = static_cast<std::int64_t>(number);
    if (signedNumber < -signedMax - 1 || signedNumber > signedMax) return Outcome::kOutOfRange;
  } else if (number > (kAllOnes >> (64 - bitCount))) {
    return Outcome::kOutOfRange;
  }
  bits = number;
  return Outcome::kOk;
}

struct FloatKeyword {
  std::u16string_view upper;  // compared with the text's ASCII letters in upper case
  std::uint32_t single;
  std::uint64_t double64;
};

constexpr FloatKeyword kFloatKeywords[] = {
    {u"NAN", 0x7FA00000u, 0x7FF4000000000000u},   {u"SNAN", 0x7FA00000u, 0x7FF4000000000000u},
    {u"+NAN", 0x7FA00000u, 0x7FF4000000000000u},  {u"+SNAN", 0x7FA00000u, 0x7FF4000000000000u},
    {u"-NAN", 0xFFA00000u, 0xFFF4000000000000u},  {u"-SNAN", 0xFFA00000u, 0xFFF4000000000000u},
    {u"QNAN", 0x7FE00000u, 0x7FFC000000000000u},  {u"+QNAN", 0x7FE00000u, 0x7FFC000000000000u},
    {u"-QNAN", 0xFFE00000u, 0xFFFC000000000000u}, {u"INF", 0x7F800000u, 0x7FF0000000000000u},
    {u"+INF", 0x7F800000u, 0x7FF0000000000000u},  {u"-INF", 0xFF800000u, 0xFFF0000000000000u},
};

bool EqualsIgnoringCase(std::u16string_view text, std::u16string_view upper) noexcept {
  return std::equal(text.begin(), text.end(), upper.begin(), upper.end(),
                    [](char16_t c, char16_t u) {
                      return (c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c) == u;
                    });
}

Outcome ReadFloatField(std::u16string_view text, unsigned size, std::uint64_t& bits) {
  for (const FloatKeyword& keyword : kFloatKeywords) {
    if (EqualsIgnoringCase(text, keyword.upper)) {
      bits = size == 4 ? keyword.single : keyword.double64;
      return Outcome::kOk;
    }
  }
  double number = 0.0;
  if (!ReadPlainDecimal(text, number) && !ScanDouble(text, number)) return Outcome::kInvalid;
  if (ReadShownExtreme(text, size, number, bits)) return Outcome::kOk;  // the views' own text
  if (size == 8) {
    bits = std::bit_cast<std::uint64_t>(number);
    return Outcome::kOk;
  }
  constexpr double kSingleMax = FLT_MAX;
  if (number < -kSingleMax || number > kSingleMax) return Outcome::kOutOfRange;
  bits = std::bit_cast<std::uint32_t>(static_cast<float>(number));  // a NaN passes
  return Outcome::kOk;
}

}  // namespace

bool ReadFieldText(std::u16string_view text, const ValueView& view, RawValue& value,
                   std::u16string& message) {
  const bool isFloat = view.kind == ViewKind::Float;
  const bool served = view.firstByte < 8 && view.size <= 8 - view.firstByte &&
                      (view.size == 4 || view.size == 8 || (view.size == 1 && !isFloat));
  const std::u16string_view trimmed = Trim(UpToNul(text));
  if (trimmed.empty() && served) {
    message.assign(u"Empty ").append(view.name);
    return false;
  }

  std::uint64_t bits = 0;
  Outcome outcome = Outcome::kInvalid;  // a view outside the table reads nothing
  if (served) {
    outcome = isFloat ? ReadFloatField(trimmed, view.size, bits)
                      : ReadIntegerField(trimmed, view.size, bits);
  }
  switch (outcome) {
    case Outcome::kOk:
      value.SetBytes(view.firstByte, view.size, bits);
      message.clear();
      return true;
    case Outcome::kOutOfRange:
      message.assign(view.name).append(u" out of range");
      return false;
    case Outcome::kInvalid:
      break;
  }
  message.assign(u"Invalid ").append(view.name).append(u" value");
  return false;
}

int ParseCharLiteral(std::u16string_view text, std::uint64_t& out) noexcept {
  text = Trim(UpToNul(text));
  if (text.size() < 2) return -1;
  const char16_t quote = text.front();
  if ((quote != u'\'' && quote != u'"') || text.back() != quote) return -1;

  const std::u16string_view inner = text.substr(1, text.size() - 2);
  LiteralBytes literal;
  std::string utf8;  // one code point's bytes, which fit the string's own buffer
  for (std::size_t i = 0; i < inner.size();) {
    const char32_t c = NextCodePoint(inner, i);
    if (c < 0x80) {  // its own UTF-8
      if (!literal.Take(static_cast<unsigned char>(c))) return -1;
      continue;
    }
    utf8.clear();
    AppendUtf8(utf8, c);
    for (const char byte : utf8) {
      if (!literal.Take(static_cast<unsigned char>(byte))) return -1;
    }
  }
  if (!literal.Finish()) return -1;

  // Between apostrophes the first character is the most significant byte.
  const int count = literal.Count();
  std::uint64_t bytes = 0;
  for (int k = 0; k < count; ++k) {
    const int position = quote == u'\'' ? count - 1 - k : k;
    bytes |= std::uint64_t{literal.Bytes()[k]} << (8 * position);
  }
  out = bytes;
  return count;
}

bool ParseRadixU64(std::u16string_view text, std::uint64_t& out, std::uint64_t maximum) noexcept {
  if (text.data() == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  IntegerText number;
  if (!ReadIntegerText(text, IntegerForm{}, number)) return false;
  if (number.magnitude > maximum) return Fail(ERROR_ARITHMETIC_OVERFLOW);
  out = number.magnitude;
  return true;
}

bool ParseUnsigned64(std::u16string_view text, std::uint64_t& out) noexcept {
  return ParseRadixU64(text, out, kAllOnes);
}

bool ParseSigned64(std::u16string_view text, std::int64_t& out) noexcept {
  if (text.data() == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  IntegerText number;
  if (!ReadIntegerText(text, IntegerForm{.sign = true}, number)) return false;
  constexpr std::uint64_t kTwoTo63 = std::uint64_t{1} << 63;
  if (number.magnitude > (number.negative ? kTwoTo63 : kTwoTo63 - 1)) {
    return Fail(ERROR_ARITHMETIC_OVERFLOW);
  }
  out = static_cast<std::int64_t>(number.negative ? 0 - number.magnitude : number.magnitude);
  return true;
}

}  // namespace bitvane
