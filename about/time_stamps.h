#pragma once
// NTimeStamp: a point in time as 100-nanosecond ticks since 1601-01-01 00:00 in the
// proleptic Gregorian calendar. A stamp carries no time zone; whether it is UTC or
// local time is the caller's business. Ticks 0 is the null stamp: no time at all.
//
// The calendar covers the years 1601 to 30827: ticks from 0 up to, not including,
// kTicksEnd. Larger values are valid stamps but have no calendar fields.

#include <cstdint>
#include <string>
#include <string_view>

namespace bitvane {

// The fields of a calendar time, as a broken-down stamp.
struct CalendarTime {
  std::uint32_t m_year = 1601;       // 1601 to 30827
  std::uint32_t m_month = 1;         // 1 (January) to 12
  std::uint32_t m_dayOfWeek = 1;     // 0 (Sunday) to 6; ignored when forming a stamp
  std::uint32_t m_day = 1;           // 1 to the length of the month
  std::uint32_t m_hour = 0;          // 0 to 23
  std::uint32_t m_minute = 0;        // 0 to 59
  std::uint32_t m_second = 0;        // 0 to 59
  std::uint32_t m_milliseconds = 0;  // 0 to 999
};

class NTimeStamp {
 public:
  static constexpr std::uint64_t kTicksPerSecond = 10'000'000;
  static constexpr std::uint64_t kTicksPerMinute = 60 * kTicksPerSecond;
  static constexpr std::uint64_t kTicksPerHour = 60 * kTicksPerMinute;
  static constexpr std::uint64_t kTicksPerDay = 24 * kTicksPerHour;
  // Days from 1601-01-01 to 30828-01-01: the first instant past the calendar.
  static constexpr std::uint64_t kDaysEnd = 10'674'942;
  static constexpr std::uint64_t kTicksEnd = kDaysEnd * kTicksPerDay;

  constexpr NTimeStamp() noexcept = default;
  constexpr explicit NTimeStamp(std::uint64_t ticks) noexcept : m_ticks(ticks) {}

  [[nodiscard]] constexpr std::uint64_t Ticks() const noexcept { return m_ticks; }
  constexpr void SetTicks(std::uint64_t ticks) noexcept { m_ticks = ticks; }
  [[nodiscard]] constexpr bool IsNull() const noexcept { return m_ticks == 0; }

  friend constexpr bool operator==(NTimeStamp, NTimeStamp) noexcept = default;

  // The stamp's calendar fields, milliseconds included. Returns false, leaving
  // `fields` unchanged and setting ERROR_INVALID_PARAMETER, beyond the calendar.
  [[nodiscard]] bool ToCalendar(CalendarTime& fields) const noexcept;

  // The stamp of `fields` (the day of the week is ignored). Returns false, leaving
  // `stamp` unchanged and setting ERROR_INVALID_PARAMETER, for a field out of its
  // range or a date that does not exist.
  [[nodiscard]] static bool FromCalendar(const CalendarTime& fields, NTimeStamp& stamp) noexcept;

  // The stamp as text, by `format`: an strftime template (POSIX locale names) in
  // which these specifiers of our own are replaced first, wherever they occur:
  //   %F ticks within the second (7 digits)   %u microseconds (6)   %N milliseconds (3)
  //   %O FAT date, %o FAT time (4 lower-case hex digits each)
  //   %D days, %h hours, %s seconds since 1601 (decimal)
  //   %G ZoneText(""), %g ZoneText(":")
  // Never fails: an empty format gives ""; a stamp beyond the calendar gives
  // `illegalText`; a format that expands to nothing, or to more than 65,535
  // characters, gives the format with only our own specifiers replaced.
  // The day of the year and the daylight flag are unknown to strftime here (-1).
  [[nodiscard]] std::u16string Format(std::u16string_view format,
                                      std::u16string_view illegalText) const;

  // Reads a build-time text such as "Tue Mar  5 14:07:09 2024": weekday and month
  // names (abbreviated English, any case), then day, hour, minute, second and year
  // as decimal digit runs. Characters that are neither letters nor digits are skipped
  // before a name, non-digits before a number. The weekday need not agree with the
  // date. On success sets the stamp, sets the last-error code to 0 and returns true.
  // Otherwise returns false with the last-error code:
  //   ERROR_INVALID_PARAMETER  null text (stamp unchanged), or the fields form no
  //                            date of the calendar (stamp set to 0);
  //   ERROR_INVALID_DATA       a name not found or a number missing or out of range
  //                            (stamp unchanged).
  [[nodiscard]] bool ParseBuildTime(const char16_t* text) noexcept;

  // The current local time's offset from UTC in ticks (local = UTC + offset);
  // 0 when the time zone cannot be read.
  [[nodiscard]] static std::int64_t LocalOffset() noexcept;

  // The current local time's offset from UTC as sign, two-digit hours, `separator`
  // and two-digit minutes ("+0100", "-05:30"); "*ERR*" when the time zone cannot be
  // read.
  [[nodiscard]] static std::u16string ZoneText(std::u16string_view separator);

 private:
  std::uint64_t m_ticks = 0;
};

namespace time_stamp_detail {
// Days from 1601-01-01 to the given date of the proleptic Gregorian calendar.
constexpr std::int64_t DaysFrom1601(std::int64_t year, std::uint32_t month,
                                    std::uint32_t day) noexcept {
  // Counting from March moves the leap day to the end of the year.
  const std::int64_t y = year - (month <= 2 ? 1 : 0) - 1600;  // 1600 starts a 400-year cycle
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yearOfEra = y - era * 400;
  const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  // 1600-03-01 is day 0 of the era; 1601-01-01 lies 306 days later.
  return era * 146097 + dayOfEra - 306;
}
}  // namespace time_stamp_detail

// The shared stamps: none, the start of 1900 and the start of 1970.
inline constexpr NTimeStamp kNullTimeStamp{};
inline constexpr NTimeStamp kTimeStamp1900{
    static_cast<std::uint64_t>(time_stamp_detail::DaysFrom1601(1900, 1, 1)) *
    NTimeStamp::kTicksPerDay};
inline constexpr NTimeStamp kTimeStamp1970{
    static_cast<std::uint64_t>(time_stamp_detail::DaysFrom1601(1970, 1, 1)) *
    NTimeStamp::kTicksPerDay};

static_assert(time_stamp_detail::DaysFrom1601(1601, 1, 1) == 0);
static_assert(time_stamp_detail::DaysFrom1601(30828, 1, 1) == NTimeStamp::kDaysEnd);
static_assert(kTimeStamp1970.Ticks() == 116'444'736'000'000'000);

}  // namespace bitvane
