#include "about/time_stamps.h"

#include <ctime>

#include "foundation/number_text.h"
#include "platform/last_error.h"
#include "platform/local_time.h"
#include "platform/safe_memory.h"

namespace bitvane {

namespace {

constexpr std::size_t kFirstCapacity = 4096;
constexpr std::size_t kLastCapacity = 65536;

// Replaces every occurrence of `specifier` in `text`, left to right; the
// replacement is made only when the specifier occurs.
template <typename MakeReplacement>
void ReplaceAll(std::u16string& text, std::u16string_view specifier, MakeReplacement make) {
  std::size_t at = text.find(specifier);
  if (at == std::u16string::npos) return;
  const std::u16string replacement = make();
  while (at != std::u16string::npos) {
    text.replace(at, specifier.size(), replacement);
    at = text.find(specifier, at + replacement.size());
  }
}

std::u16string Decimal(std::uint64_t value, int width = 0) {
  return Unsigned64ToText(value, 10, width, u'0');
}

std::u16string LowerHex4(std::uint32_t value) {
  std::u16string text = UnsignedToText(value & 0xFFFF, 16, 4, u'0');
  for (char16_t& c : text) {
    if (c >= u'A' && c <= u'F') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return text;
}

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// Anything beyond ASCII counts as a letter, so no foreign name is skipped over.
bool IsLetterOrDigit(char16_t c) {
  return IsDigit(c) || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c >= 0x80;
}

char16_t AsciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// Skips to the next letter or digit and matches the first of the names
// `nameOf(first)` to `nameOf(last)` that starts the text there, in any case.
template <typename NameOf>
bool ReadName(const char16_t*& p, unsigned first, unsigned last, NameOf nameOf,
              std::uint32_t& value) {
  while (*p != 0 && !IsLetterOrDigit(*p)) ++p;
  for (unsigned i = first; i <= last; ++i) {
    const std::u16string_view name = nameOf(i);
    std::size_t n = 0;
    while (n < name.size() && p[n] != 0 && AsciiLower(p[n]) == AsciiLower(name[n])) ++n;
    if (!name.empty() && n == name.size()) {
      p += n;
      value = i;
      return true;
    }
  }
  return false;
}

// Skips to the next decimal digit and reads the run of digits there; the value
// saturates at 2^32 - 1 and must lie between `minimum` and `maximum`.
bool ReadNumber(const char16_t*& p, std::uint32_t minimum, std::uint32_t maximum,
                std::uint32_t& value) {
  while (*p != 0 && !IsDigit(*p)) ++p;
  if (!IsDigit(*p)) return false;
  std::uint64_t number = 0;
  for (; IsDigit(*p); ++p) {
    number = number * 10 + static_cast<std::uint64_t>(*p - u'0');
    if (number > 0xFFFFFFFFu) number = 0xFFFFFFFFu;
  }
  if (number < minimum || number > maximum) return false;
  value = static_cast<std::uint32_t>(number);
  return true;
}

std::uint32_t DaysInMonth(std::uint32_t year, std::uint32_t month) {
  constexpr std::uint32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

bool NTimeStamp::ToCalendar(CalendarTime& fields) const noexcept {
  if (!IsPlausibleAddress(this) || m_ticks >= kTicksEnd) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const std::uint64_t days = m_ticks / kTicksPerDay;
  const std::uint64_t ticksOfDay = m_ticks % kTicksPerDay;
  // Count from 1600-03-01, the start of a 400-year cycle whose years begin in March.
  const std::uint64_t z = days + 306;
  const std::uint64_t era = z / 146097;
  const std::uint64_t dayOfEra = z % 146097;
  const std::uint64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::uint64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::uint64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  const std::uint64_t month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;

  fields.m_year = static_cast<std::uint32_t>(1600 + era * 400 + yearOfEra + (month <= 2 ? 1 : 0));
  fields.m_month = static_cast<std::uint32_t>(month);
  fields.m_day = static_cast<std::uint32_t>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  fields.m_dayOfWeek = static_cast<std::uint32_t>((days + 1) % 7);  // 1601-01-01 was a Monday
  fields.m_hour = static_cast<std::uint32_t>(ticksOfDay / kTicksPerHour);
  fields.m_minute = static_cast<std::uint32_t>(ticksOfDay / kTicksPerMinute % 60);
  fields.m_second = static_cast<std::uint32_t>(ticksOfDay / kTicksPerSecond % 60);
  fields.m_milliseconds = static_cast<std::uint32_t>(ticksOfDay / 10'000 % 1000);
  return true;
}

bool NTimeStamp::FromCalendar(const CalendarTime& fields, NTimeStamp& stamp) noexcept {
  if (fields.m_year < 1601 || fields.m_year > 30827 || fields.m_month < 1 || fields.m_month > 12 ||
      fields.m_day < 1 || fields.m_day > DaysInMonth(fields.m_year, fields.m_month) ||
      fields.m_hour > 23 || fields.m_minute > 59 || fields.m_second > 59 ||
      fields.m_milliseconds > 999) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const auto days = static_cast<std::uint64_t>(
      time_stamp_detail::DaysFrom1601(fields.m_year, fields.m_month, fields.m_day));
  stamp.m_ticks = days * kTicksPerDay + fields.m_hour * kTicksPerHour +
                  fields.m_minute * kTicksPerMinute + fields.m_second * kTicksPerSecond +
                  fields.m_milliseconds * std::uint64_t{10'000};
  return true;
}

std::u16string NTimeStamp::Format(std::u16string_view format,
                                  std::u16string_view illegalText) const {
  if (format.empty()) return {};
  CalendarTime fields;
  if (!ToCalendar(fields)) return std::u16string(illegalText);

  const std::uint64_t ticksOfSecond = m_ticks % kTicksPerSecond;
  std::u16string work(format);
  ReplaceAll(work, u"%F", [&] { return Decimal(ticksOfSecond, 7); });
  ReplaceAll(work, u"%u", [&] { return Decimal(ticksOfSecond / 10, 6); });
  ReplaceAll(work, u"%N", [&] { return Decimal(fields.m_milliseconds, 3); });
  ReplaceAll(work, u"%O", [&] {
    // FAT date: 7 bits of years since 1980, 4 of month, 5 of day.
    const std::uint32_t years = (fields.m_year - 1980u) & 0x7Fu;
    return LowerHex4(years << 9 | fields.m_month << 5 | fields.m_day);
  });
  ReplaceAll(work, u"%o", [&] {
    return LowerHex4(fields.m_hour << 11 | fields.m_minute << 5 | fields.m_second / 2);
  });
  ReplaceAll(work, u"%D", [&] { return Decimal(m_ticks / kTicksPerDay); });
  ReplaceAll(work, u"%h", [&] { return Decimal(m_ticks / kTicksPerHour); });
  ReplaceAll(work, u"%s", [&] { return Decimal(m_ticks / kTicksPerSecond); });
  ReplaceAll(work, u"%G", [] { return ZoneText(u""); });
  ReplaceAll(work, u"%g", [] { return ZoneText(u":"); });

  std::tm tm{};
  tm.tm_year = static_cast<int>(fields.m_year) - 1900;
  tm.tm_mon = static_cast<int>(fields.m_month) - 1;
  tm.tm_mday = static_cast<int>(fields.m_day);
  tm.tm_wday = static_cast<int>(fields.m_dayOfWeek % 7);
  tm.tm_hour = static_cast<int>(fields.m_hour);
  tm.tm_min = static_cast<int>(fields.m_minute);
  tm.tm_sec = static_cast<int>(fields.m_second);
  tm.tm_yday = -1;
  tm.tm_isdst = -1;
  std::u16string text;
  for (std::size_t capacity = kFirstCapacity; capacity <= kLastCapacity; capacity *= 2) {
    if (ExpandTimeFields(work, tm, capacity, text)) return text;
  }
  return work;
}

bool NTimeStamp::ParseBuildTime(const char16_t* text) noexcept {
  if (!IsPlausibleAddress(this) || text == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const char16_t* p = text;
  CalendarTime fields;
  const bool read = ReadName(p, 0, 6, AbbreviatedDayName, fields.m_dayOfWeek) &&
                    ReadName(p, 1, 12, AbbreviatedMonthName, fields.m_month) &&
                    ReadNumber(p, 1, 31, fields.m_day) && ReadNumber(p, 0, 23, fields.m_hour) &&
                    ReadNumber(p, 0, 59, fields.m_minute) &&
                    ReadNumber(p, 0, 59, fields.m_second) &&
                    ReadNumber(p, 0, 0xFFFFFFFFu, fields.m_year);
  if (!read) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  NTimeStamp stamp;
  if (!FromCalendar(fields, stamp)) {
    m_ticks = 0;
    return false;  // FromCalendar set the last-error code
  }
  m_ticks = stamp.m_ticks;
  SetLastError(ERROR_SUCCESS);
  return true;
}

std::int64_t NTimeStamp::LocalOffset() noexcept {
  std::int64_t seconds = 0;
  if (!CurrentUtcOffset(seconds)) return 0;
  return seconds * static_cast<std::int64_t>(kTicksPerSecond);
}

std::u16string NTimeStamp::ZoneText(std::u16string_view separator) {
  std::int64_t seconds = 0;
  if (!CurrentUtcOffset(seconds)) return u"*ERR*";
  const std::uint64_t minutes = (seconds < 0 ? 0 - static_cast<std::uint64_t>(seconds)
                                             : static_cast<std::uint64_t>(seconds)) /
                                60;
  std::u16string text(1, seconds < 0 ? u'-' : u'+');
  text += Decimal(minutes / 60, 2);
  text += separator;
  text += Decimal(minutes % 60, 2);
  return text;
}

}  // namespace bitvane
