#include "foundation/number_readers.h"

#include <bit>
#include <charconv>
#include <cstddef>
#include <limits>
#include <system_error>

#include "foundation/white_space.h"
#include "platform/last_error.h"

namespace bitvane {

namespace {

constexpr char16_t Widen(char16_t c) noexcept {
  return c;
}

// A byte counts as a signed 8-bit value, so 0x80 and up become U+FF80 to U+FFFF,
// which are neither digits nor white space.
constexpr char16_t Widen(char c) noexcept {
  return static_cast<char16_t>(static_cast<std::int16_t>(static_cast<signed char>(c)));
}

bool Fail(ErrorCode code) noexcept {
  SetLastError(code);
  return false;
}

// Where a text stands in its number, and what it has chosen so far.
struct IntegerCursor {
  enum class Part { kStart, kSigned, kLeadingZero, kDigits, kTrailing };
  Part part = Part::kStart;
  std::uint32_t base = 10;
  bool negative = false;
};

enum class Step { kNext, kDigit, kReject };

// Reads one character: kNext when it was white space, the sign or a prefix; kDigit
// when it is to be read as a digit of `at.base`, which it may just have chosen;
// kReject when nothing may stand there.
Step TakeCharacter(char16_t c, const IntegerForm& form, IntegerCursor& at) noexcept {
  using Part = IntegerCursor::Part;
  const bool space = IsWideSpace(c);
  switch (at.part) {
    case Part::kStart:
    case Part::kSigned:
      if (space) return Step::kNext;
      if (at.part == Part::kStart && form.sign && (c == u'+' || c == u'-')) {
        at.negative = c == u'-';
        at.part = Part::kSigned;
        return Step::kNext;
      }
      if (form.radix == 1 && c == u'0') {
        at.part = Part::kLeadingZero;
        return Step::kNext;
      }
      at.part = Part::kDigits;
      return Step::kDigit;
    case Part::kLeadingZero:
      if (space) {
        at.part = Part::kTrailing;
        return Step::kNext;
      }
      at.part = Part::kDigits;
      if (c == u'x' || c == u'X' || c == u'b' || c == u'B') {
        at.base = c == u'x' || c == u'X' ? 16 : 2;
        return Step::kNext;
      }
      at.base = 8;  // a leading 0 makes the number octal; `c` is its first digit
      return Step::kDigit;
    case Part::kDigits:
      if (!space) return Step::kDigit;
      at.part = Part::kTrailing;
      return Step::kNext;
    case Part::kTrailing:
      break;
  }
  return space ? Step::kNext : Step::kReject;
}

template <typename Char>
bool ReadInteger(std::basic_string_view<Char> text, const IntegerForm& form,
                 IntegerText& out) noexcept {
  IntegerCursor at;
  if (form.radix != 1) at.base = form.radix;
  std::uint64_t value = 0;
  for (const Char unit : text) {
    const char16_t c = Widen(unit);
    if (c == 0) break;
    const Step step = TakeCharacter(c, form, at);
    if (step == Step::kNext) continue;
    const std::uint32_t digit = DigitValue(c, at.base);
    if (step == Step::kReject || digit == at.base) return Fail(ERROR_INVALID_DATA);
    // Exactly when value × base + digit passes the width.
    std::uint64_t next = 0;
    if (__builtin_mul_overflow(value, at.base, &next) ||
        __builtin_add_overflow(next, digit, &next) || next > form.width) {
      return Fail(ERROR_ARITHMETIC_OVERFLOW);
    }
    value = next;
  }
  using Part = IntegerCursor::Part;
  if (at.part == Part::kStart || at.part == Part::kSigned) return Fail(ERROR_INVALID_DATA);
  out = {value, at.negative};
  SetLastError(ERROR_SUCCESS);
  return true;
}

// The significant digits of a decimal number and the place of its point, so that
// the number is 0.d1 d2 d3 ... × 10^point. Leading zeros are not kept; beyond
// kMaxDigits digits only whether a dropped digit was nonzero matters, because 767
// significant digits suffice to decide how any decimal rounds to a double.
class DecimalDigits {
 public:
  static constexpr std::size_t kMaxDigits = 800;

  void Add(char16_t digit, bool beforePoint) noexcept {
    if (m_count == 0 && digit == u'0') {
      if (!beforePoint) --m_point;
      return;
    }
    if (beforePoint) ++m_point;
    if (m_count < kMaxDigits) {
      m_digits[m_count++] = static_cast<char>(digit);
    } else if (digit != u'0') {
      m_dropped = true;
    }
  }

  // The double nearest to 0.digits × 10^(point + exponent), the sign aside.
  double Magnitude(std::int64_t exponent) const noexcept {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    if (m_count == 0) return 0.0;
    // The number lies in [10^(e-1), 10^e): above the largest double from e = 310,
    // below half the smallest one up to e = -324.
    const std::int64_t e = m_point + exponent;
    if (e >= 310) return kInfinity;
    if (e <= -324) return 0.0;

    char text[kMaxDigits + 32];
    char* end = text;
    *end++ = '0';
    *end++ = '.';
    for (std::size_t i = 0; i < m_count; ++i) *end++ = m_digits[i];
    if (m_dropped) *end++ = '1';  // stands for every nonzero digit that was dropped
    *end++ = 'e';
    end = std::to_chars(end, text + sizeof text, e).ptr;

    double value = 0.0;
    const std::from_chars_result result = std::from_chars(text, end, value);
    if (result.ec == std::errc::result_out_of_range) return e > 0 ? kInfinity : 0.0;
    return value;
  }

 private:
  char m_digits[kMaxDigits];
  std::size_t m_count = 0;
  bool m_dropped = false;
  std::int64_t m_point = 0;
};

}  // namespace

std::uint32_t DigitValue(char16_t c, std::uint32_t base) noexcept {
  std::uint32_t value = base;
  if (c >= u'0' && c <= u'9') {
    value = c - u'0';
  } else if (c >= u'A' && c <= u'Z') {
    value = c - u'A' + 10u;
  } else if (c >= u'a' && c <= u'z') {
    value = c - u'a' + 10u;
  }
  return value < base ? value : base;
}

bool IsFinite(double value) noexcept {
  constexpr std::uint64_t kExponentMask = 0x7FF0000000000000u;
  return (std::bit_cast<std::uint64_t>(value) & kExponentMask) != kExponentMask;
}

bool ReadIntegerText(std::u16string_view text, const IntegerForm& form, IntegerText& out) noexcept {
  return ReadInteger(text, form, out);
}

bool ReadIntegerText(std::string_view text, const IntegerForm& form, IntegerText& out) noexcept {
  return ReadInteger(text, form, out);
}

bool ParseUnsigned32(const void* text, std::uint32_t radix, bool wide, std::uint32_t maximum,
                     std::uint32_t& out) noexcept {
  if (text == nullptr || radix == 0 || radix > 36) return Fail(ERROR_INVALID_PARAMETER);
  const IntegerForm form{radix, false, std::numeric_limits<std::uint32_t>::max()};
  IntegerText number;
  const bool read =
      wide ? ReadInteger(std::u16string_view(static_cast<const char16_t*>(text)), form, number)
           : ReadInteger(std::string_view(static_cast<const char*>(text)), form, number);
  if (!read) return false;
  if (number.magnitude > maximum) return Fail(ERROR_ARITHMETIC_OVERFLOW);
  out = static_cast<std::uint32_t>(number.magnitude);
  return true;
}

namespace {

// The reader of ParseDouble: a sign, digits with at most one point, an optional
// exponent, white space around. Step takes one character, the final 0 included, and
// is false when the text cannot be a number.
class DoubleText {
 public:
  [[nodiscard]] bool Step(char16_t c) noexcept;
  [[nodiscard]] double Value() const noexcept {
    const double magnitude = m_digits.Magnitude(m_negativeExponent ? -m_exponent : m_exponent);
    return m_negative ? -magnitude : magnitude;
  }

 private:
  // Exponents beyond this are out of range whatever the digits, and are held here
  // so that a long run of exponent digits cannot overflow.
  static constexpr std::int64_t kExponentCap = 1'000'000'000'000;
  enum class State { kStart, kSign, kInteger, kFraction, kExponentStart, kExponent, kDone };

  State m_state = State::kStart;
  bool m_negative = false;
  bool m_negativeExponent = false;
  std::int64_t m_exponent = 0;
  DecimalDigits m_digits;
};

bool DoubleText::Step(char16_t c) noexcept {
  const bool isDigit = c >= u'0' && c <= u'9';
  const bool isEnd = c == 0 || IsWhiteSpace(c);
  const bool isExponentMark = c == u'E' || c == u'e' || c == u'D' || c == u'd';
  switch (m_state) {
    case State::kStart:
    case State::kSign:
      if (m_state == State::kStart && (c == u'+' || c == u'-')) {
        m_negative = c == u'-';
        m_state = State::kSign;
      } else if (c == u'.') {
        m_state = State::kFraction;
      } else if (isDigit) {
        m_digits.Add(c, true);
        m_state = State::kInteger;
      } else if (c == 0 || !IsWhiteSpace(c)) {
        return false;
      }
      return true;
    case State::kInteger:
    case State::kFraction:
      if (isDigit) {
        m_digits.Add(c, m_state == State::kInteger);
      } else if (c == u'.' && m_state == State::kInteger) {
        m_state = State::kFraction;
      } else if (isExponentMark) {
        m_state = State::kExponentStart;
      } else if (isEnd) {
        m_state = State::kDone;
      } else {
        return false;
      }
      return true;
    case State::kExponentStart:
    case State::kExponent:
      if (m_state == State::kExponentStart && (c == u'+' || c == u'-')) {
        m_negativeExponent = c == u'-';
        m_state = State::kExponent;
      } else if (isDigit) {
        if (m_exponent < kExponentCap) m_exponent = m_exponent * 10 + (c - u'0');
        m_state = State::kExponent;
      } else if (isEnd) {
        m_state = State::kDone;
      } else {
        return false;
      }
      return true;
    case State::kDone:
      return isEnd;
  }
  return false;
}

}  // namespace

bool ParseDouble(const char16_t* text, double& out) noexcept {
  if (text == nullptr) return false;
  DoubleText number;
  for (;; ++text) {
    if (!number.Step(*text)) return false;
    if (*text == 0) break;  // every state that accepts the end has moved to kDone
  }
  out = number.Value();
  return true;
}

}  // namespace bitvane
