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

template <typename Char>
bool ReadUnsigned32(const Char* text, std::uint32_t radix, std::uint32_t maximum,
                    std::uint32_t& out) noexcept {
  enum class State { kStart, kLeadingZero, kDigits, kTrailing };
  State state = State::kStart;
  std::uint32_t base = radix;
  std::uint64_t value = 0;  // wide enough that value * 36 + 35 cannot wrap
  for (;; ++text) {
    const char16_t c = Widen(*text);
    if (state == State::kStart) {
      if (IsWideSpace(c)) continue;
      if (c == 0) return Fail(ERROR_INVALID_DATA);
      if (radix == 1) {
        if (c == u'0') {
          state = State::kLeadingZero;
          continue;
        }
        base = 10;
      }
      state = State::kDigits;  // `c` is the first digit, read below
    } else if (state == State::kLeadingZero) {
      if (c == 0) break;
      if (IsWideSpace(c)) {
        state = State::kTrailing;
        continue;
      }
      state = State::kDigits;
      if (c == u'x' || c == u'X' || c == u'b' || c == u'B') {
        base = (c == u'x' || c == u'X') ? 16 : 2;
        continue;
      }
      base = 8;  // `c` is the first octal digit, read below
    } else if (state == State::kTrailing) {
      if (c == 0) break;
      if (IsWideSpace(c)) continue;
      return Fail(ERROR_INVALID_DATA);
    }

    if (c == 0) break;
    if (IsWideSpace(c)) {
      state = State::kTrailing;
      continue;
    }
    const std::uint32_t digit = DigitValue(c, base);
    if (digit == base) return Fail(ERROR_INVALID_DATA);
    value = value * base + digit;
    if (value > std::numeric_limits<std::uint32_t>::max()) {
      return Fail(ERROR_ARITHMETIC_OVERFLOW);
    }
  }
  if (value > maximum) return Fail(ERROR_ARITHMETIC_OVERFLOW);
  out = static_cast<std::uint32_t>(value);
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

bool ParseUnsigned32(const void* text, std::uint32_t radix, bool wide, std::uint32_t maximum,
                     std::uint32_t& out) noexcept {
  if (text == nullptr || radix == 0 || radix > 36) return Fail(ERROR_INVALID_PARAMETER);
  return wide ? ReadUnsigned32(static_cast<const char16_t*>(text), radix, maximum, out)
              : ReadUnsigned32(static_cast<const char*>(text), radix, maximum, out);
}

bool ParseDouble(const char16_t* text, double& out) noexcept {
  if (text == nullptr) return false;
  // Exponents beyond this are out of range whatever the digits, and are held here
  // so that a long run of exponent digits cannot overflow.
  constexpr std::int64_t kExponentCap = 1'000'000'000'000;

  enum class State { kStart, kSign, kInteger, kFraction, kExponentStart, kExponent, kDone };
  State state = State::kStart;
  bool negative = false;
  bool negativeExponent = false;
  std::int64_t exponent = 0;
  DecimalDigits digits;
  for (;; ++text) {
    const char16_t c = *text;
    const bool isDigit = c >= u'0' && c <= u'9';
    const bool isEnd = c == 0 || IsWhiteSpace(c);
    const bool isExponentMark = c == u'E' || c == u'e' || c == u'D' || c == u'd';
    switch (state) {
      case State::kStart:
      case State::kSign:
        if (state == State::kStart && (c == u'+' || c == u'-')) {
          negative = c == u'-';
          state = State::kSign;
        } else if (c == u'.') {
          state = State::kFraction;
        } else if (isDigit) {
          digits.Add(c, true);
          state = State::kInteger;
        } else if (c == 0 || !IsWhiteSpace(c)) {
          return false;
        }
        break;
      case State::kInteger:
      case State::kFraction:
        if (isDigit) {
          digits.Add(c, state == State::kInteger);
        } else if (c == u'.' && state == State::kInteger) {
          state = State::kFraction;
        } else if (isExponentMark) {
          state = State::kExponentStart;
        } else if (isEnd) {
          state = State::kDone;
        } else {
          return false;
        }
        break;
      case State::kExponentStart:
      case State::kExponent:
        if (state == State::kExponentStart && (c == u'+' || c == u'-')) {
          negativeExponent = c == u'-';
          state = State::kExponent;
        } else if (isDigit) {
          if (exponent < kExponentCap) exponent = exponent * 10 + (c - u'0');
          state = State::kExponent;
        } else if (isEnd) {
          state = State::kDone;
        } else {
          return false;
        }
        break;
      case State::kDone:
        if (!isEnd) return false;
        break;
    }
    if (c == 0) break;  // every state that accepts the end has moved to kDone
  }
  const double magnitude = digits.Magnitude(negativeExponent ? -exponent : exponent);
  out = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace bitvane
