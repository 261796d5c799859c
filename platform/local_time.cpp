#include "platform/local_time.h"

#include <locale.h>

#include <clocale>
#include <cwchar>
#include <limits>
#include <vector>

#include "platform/last_error.h"

namespace bitvane {

namespace {

constexpr std::u16string_view kDayNames[] = {u"Sun", u"Mon", u"Tue", u"Wed",
                                             u"Thu", u"Fri", u"Sat"};
constexpr std::u16string_view kMonthNames[] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                               u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};

// The POSIX locale as an object, made once; null if the C library cannot make it.
locale_t PosixLocale() noexcept {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

// Switches the calling thread to the POSIX locale for the lifetime of the object.
class PosixLocaleScope {
 public:
  PosixLocaleScope() noexcept {
    if (const locale_t posix = PosixLocale(); posix != static_cast<locale_t>(nullptr)) {
      m_previous = uselocale(posix);
    }
  }
  ~PosixLocaleScope() {
    if (m_previous != static_cast<locale_t>(nullptr)) uselocale(m_previous);
  }
  PosixLocaleScope(const PosixLocaleScope&) = delete;
  PosixLocaleScope& operator=(const PosixLocaleScope&) = delete;

 private:
  locale_t m_previous = static_cast<locale_t>(nullptr);
};

// UTF-16 to wchar_t code points; an unpaired surrogate passes through as it is.
std::wstring ToWide(std::u16string_view text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      wide.push_back(static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00)));
      ++i;
    } else {
      wide.push_back(static_cast<wchar_t>(c));
    }
  }
  return wide;
}

std::u16string FromWide(const wchar_t* text, std::size_t length) {
  std::u16string result;
  result.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    const auto c = static_cast<std::uint32_t>(text[i]);
    if (c >= 0x10000 && c <= 0x10FFFF) {
      result.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      result.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      result.push_back(static_cast<char16_t>(c <= 0xFFFF ? c : 0xFFFD));
    }
  }
  return result;
}

}  // namespace

std::u16string_view AbbreviatedDayName(unsigned weekday) noexcept {
  return weekday < std::size(kDayNames) ? kDayNames[weekday] : std::u16string_view();
}

std::u16string_view AbbreviatedMonthName(unsigned month) noexcept {
  return month >= 1 && month <= std::size(kMonthNames) ? kMonthNames[month - 1]
                                                       : std::u16string_view();
}

bool UtcOffsetAt(std::int64_t unixSeconds, std::int64_t& offsetSeconds) noexcept {
  if (unixSeconds < std::numeric_limits<std::time_t>::min() ||
      unixSeconds > std::numeric_limits<std::time_t>::max()) {
    SetLastError(ERROR_ARITHMETIC_OVERFLOW);
    return false;
  }
  // localtime_r need not look at TZ again by itself; tzset makes it do so.
  tzset();
  const auto instant = static_cast<std::time_t>(unixSeconds);
  std::tm fields{};
  if (localtime_r(&instant, &fields) == nullptr) {
    SetLastError(ERROR_ARITHMETIC_OVERFLOW);
    return false;
  }
  offsetSeconds = fields.tm_gmtoff;
  return true;
}

bool CurrentUtcOffset(std::int64_t& offsetSeconds) noexcept {
  return UtcOffsetAt(static_cast<std::int64_t>(std::time(nullptr)), offsetSeconds);
}

bool ExpandTimeFields(std::u16string_view format, const std::tm& fields, std::size_t capacity,
                      std::u16string& out) {
  if (capacity == 0) return false;
  const std::wstring wideFormat = ToWide(format);
  std::vector<wchar_t> buffer(capacity);
  std::size_t length = 0;
  {
    const PosixLocaleScope posix;
    length = std::wcsftime(buffer.data(), capacity, wideFormat.c_str(), &fields);
  }
  if (length == 0) return false;
  out = FromWide(buffer.data(), length);
  return true;
}

}  // namespace bitvane
