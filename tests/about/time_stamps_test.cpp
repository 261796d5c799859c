#include "about/time_stamps.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <tuple>

#include "platform/last_error.h"
#include "tests/support/scoped_time_zone.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

using test::Narrow;

constexpr std::u16string_view kIllegal = u"*** Illegal NTimeStamp ***";
constexpr std::uint64_t kSecond = NTimeStamp::kTicksPerSecond;
constexpr std::uint64_t kDay = NTimeStamp::kTicksPerDay;
// 2024-03-05 14:07:09, a Tuesday.
constexpr std::uint64_t kSample = 133'541'212'290'000'000;
constexpr std::uint64_t kUntouched = 0xDEADBEEF;

// year-month-day weekday hour:minute:second.milliseconds
std::string Fields(const CalendarTime& f) {
  return std::to_string(f.m_year) + "-" + std::to_string(f.m_month) + "-" +
         std::to_string(f.m_day) + " " + std::to_string(f.m_dayOfWeek) + " " +
         std::to_string(f.m_hour) + ":" + std::to_string(f.m_minute) + ":" +
         std::to_string(f.m_second) + "." + std::to_string(f.m_milliseconds);
}

std::u16string Format(std::uint64_t ticks, std::u16string_view format) {
  return NTimeStamp(ticks).Format(format, kIllegal);
}

// The first instant of every month and the last millisecond before it, in years of
// each leap rule, against the C library's UTC calendar; the day after a month's last
// is refused.
TEST(TimeStampCalendar, MonthBoundariesAgreeWithGmtime) {
  const auto expectLikeGmtime = [](std::uint64_t ticks, CalendarTime& f) {
    const auto seconds =
        static_cast<std::time_t>(static_cast<std::int64_t>(ticks / kSecond) - 11'644'473'600);
    std::tm utc{};
    ASSERT_NE(gmtime_r(&seconds, &utc), nullptr);
    ASSERT_TRUE(NTimeStamp(ticks).ToCalendar(f));
    const auto field = [](int value) { return static_cast<std::uint32_t>(value); };
    EXPECT_EQ(Fields(f),
              Fields({field(utc.tm_year + 1900), field(utc.tm_mon + 1), field(utc.tm_wday),
                      field(utc.tm_mday), field(utc.tm_hour), field(utc.tm_min), field(utc.tm_sec),
                      static_cast<std::uint32_t>(ticks / 10'000 % 1000)}));
    NTimeStamp back;
    ASSERT_TRUE(NTimeStamp::FromCalendar(f, back));
    EXPECT_EQ(back.Ticks(), ticks);
  };
  for (std::uint32_t year : {1601u, 1700u, 1900u, 1970u, 2000u, 2023u, 2024u, 30828u}) {
    for (std::uint32_t month = 1; month <= (year < 30828 ? 12 : 1); ++month) {
      SCOPED_TRACE(std::to_string(year) + "-" + std::to_string(month));
      const std::uint64_t first =
          static_cast<std::uint64_t>(time_stamp_detail::DaysFrom1601(year, month, 1)) * kDay;
      CalendarTime last;
      if (first < NTimeStamp::kTicksEnd) expectLikeGmtime(first, last);
      if (first == 0) continue;
      expectLikeGmtime(first - 10'000, last);
      ++last.m_day;
      NTimeStamp stamp(kUntouched);
      EXPECT_FALSE(NTimeStamp::FromCalendar(last, stamp));
      EXPECT_EQ(stamp.Ticks(), kUntouched);
    }
  }
}

TEST(TimeStampCalendar, RejectsFieldsOutOfRange) {
  const CalendarTime bad[] = {
      {1600, 12, 0, 31, 23, 59, 59, 999}, {30828, 1, 0, 1, 0, 0, 0, 0},
      {2024, 0, 0, 1, 0, 0, 0, 0},        {2024, 13, 0, 1, 0, 0, 0, 0},
      {2024, 1, 0, 0, 0, 0, 0, 0},        {2024, 1, 0, 1, 24, 0, 0, 0},
      {2024, 1, 0, 1, 0, 60, 0, 0},       {2024, 1, 0, 1, 0, 0, 60, 0},
      {2024, 1, 0, 1, 0, 0, 0, 1000},
  };
  for (const CalendarTime& fields : bad) {
    NTimeStamp stamp(kUntouched);
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(NTimeStamp::FromCalendar(fields, stamp)) << Fields(fields);
    EXPECT_EQ(stamp.Ticks(), kUntouched);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  NTimeStamp stamp;
  EXPECT_TRUE(NTimeStamp::FromCalendar({2000, 2, 99, 29, 0, 0, 0, 0}, stamp));  // weekday ignored
}

TEST(TimeStampFormat, Specifiers) {
  const ScopedTimeZone zone("<-0530>5:30");
  const struct {
    std::uint64_t ticks;
    const char16_t* format;
    const char16_t* expected;
  } rows[] = {
      {kSample, u"%a %b %e %H:%M:%S %Y", u"Tue Mar  5 14:07:09 2024"},
      {NTimeStamp::kTicksEnd - 1, u"%Y-%m-%d %H:%M:%S", u"30827-12-31 23:59:59"},
      {kSample + 1'234'567, u"%F|%u|%N", u"1234567|123456|123"},
      {kSample + 9'999'999, u"%F|%u|%N%N", u"9999999|999999|999999"},
      {kTimeStamp1970.Ticks(), u"%D %h %s", u"134774 3234576 11644473600"},
      {kDay - 1, u"%D %h %s", u"0 23 86399"},
      {kSample, u"%G|%g \u00e9t\u00e9", u"-0530|-05:30 \u00e9t\u00e9"},
      {kSample, u"", u""},
      {NTimeStamp::kTicksEnd, u"%Y", kIllegal.data()},
      {kSample, u"%Z", u"%Z"},  // expands to nothing
      // FAT date and time: 7 bits of years since 1980, 4 of month, 5 of day; hour,
      // minute, second / 2
      {kSample, u"%O %o", u"5865 70e4"},
      {119'600'064'000'000'000, u"%O %o", u"0021 0000"},  // 1980-01-01
      {141'834'239'990'000'000, u"%O %o", u"8ccf bf7d"},  // 2050-06-15 23:59:59
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Format(row.ticks, row.format), row.expected) << Narrow(row.format);
  }
  // Too long for the last buffer: only our own specifiers are replaced.
  const std::u16string longText(70'000, u'x');
  EXPECT_EQ(Format(kSample, longText + u"%N %Y"), longText + u"000 %Y");
  const std::u16string midText(5'000, u'x');  // beyond the first buffer, within the last
  EXPECT_EQ(Format(kSample, midText + u"%N %Y"), midText + u"000 2024");
}

TEST(TimeStampZone, OffsetAndText) {
  for (const auto& [zone, offset, text] : {std::tuple{"UTC0", std::int64_t{0}, u"+00:00"},
                                           {"<+0545>-5:45", 207'000'000'000, u"+05:45"},
                                           {"<-0930>9:30", -342'000'000'000, u"-09:30"}}) {
    const ScopedTimeZone scoped(zone);
    EXPECT_EQ(NTimeStamp::LocalOffset(), offset) << zone;
    EXPECT_EQ(NTimeStamp::ZoneText(u":"), text) << zone;
  }
}

TEST(TimeStampParse, BuildTimeTexts) {
  const struct {
    const char16_t* text;
    ErrorCode error;      // 0 for success
    std::uint64_t ticks;  // the stamp afterwards
  } rows[] = {
      {u"Tue Mar  5 14:07:09 2024", 0, kSample},
      {u"  [mon]/(MAR)/05T14h07m09s-2024 ", 0, kSample},  // weekday need not agree
      {u"Fri Dec 31 23:59:59 30827", 0, NTimeStamp::kTicksEnd - kSecond},
      // A name or number that is wrong leaves the stamp alone.
      {u"Di M\u00e4r  5 14:07:09 2024", ERROR_INVALID_DATA, kUntouched},
      {u"Tue Mrz  5 14:07:09 2024", ERROR_INVALID_DATA, kUntouched},
      {u"Tu", ERROR_INVALID_DATA, kUntouched},
      {u"Tue Mar 32 14:07:09 2024", ERROR_INVALID_DATA, kUntouched},
      {u"Tue Mar 0 14:07:09 2024", ERROR_INVALID_DATA, kUntouched},
      {u"Tue Mar 5 24:07:09 2024", ERROR_INVALID_DATA, kUntouched},
      {u"Tue Mar 5 14:60:09 2024", ERROR_INVALID_DATA, kUntouched},
      {u"Tue Mar 5 14:07:60 2024", ERROR_INVALID_DATA, kUntouched},
      {u"Tue Mar 5 14:07:09", ERROR_INVALID_DATA, kUntouched},
      {u"Tue Mar 5 99999999999999999999:07:09 2024", ERROR_INVALID_DATA, kUntouched},
      // A date the calendar lacks clears it.
      {u"Tue Apr 31 14:07:09 2024", ERROR_INVALID_PARAMETER, 0},
      {u"Tue Mar 5 14:07:09 99999999999999999999", ERROR_INVALID_PARAMETER, 0},
  };
  for (const auto& row : rows) {
    NTimeStamp stamp(kUntouched);
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(stamp.ParseBuildTime(row.text), row.error == 0) << Narrow(row.text);
    EXPECT_EQ(GetLastError(), row.error) << Narrow(row.text);
    EXPECT_EQ(stamp.Ticks(), row.ticks) << Narrow(row.text);
  }
  NTimeStamp stamp(kUntouched);
  EXPECT_FALSE(stamp.ParseBuildTime(nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(stamp.Ticks(), kUntouched);
}

// What Format writes in the build-time layout, ParseBuildTime reads back.
TEST(TimeStampParse, RoundTripsFormat) {
  for (std::uint64_t ticks = 0; ticks < NTimeStamp::kTicksEnd; ticks += 9'223'101'234'567'891) {
    const NTimeStamp original(ticks / kSecond * kSecond);
    const std::u16string text = original.Format(u"%a %b %e %H:%M:%S %Y", kIllegal);
    NTimeStamp parsed;
    ASSERT_TRUE(parsed.ParseBuildTime(text.c_str())) << Narrow(text);
    EXPECT_EQ(parsed, original) << Narrow(text);
  }
}

}  // namespace
}  // namespace bitvane
