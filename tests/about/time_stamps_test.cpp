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
// 2024-03-05 14:07:09, a Tuesday.
constexpr std::uint64_t kSample = 133'541'212'290'000'000;
constexpr std::uint64_t kUntouched = 0xDEADBEEF;

// At the first instant of every month and the last millisecond before it, in years
// of each leap rule: the fields agree with the C library's UTC calendar and convert
// back, and the day after a month's last is refused.
TEST(TimeStampCalendar, MonthBoundariesAgreeWithGmtime) {
  for (std::uint32_t year : {1601u, 1700u, 1900u, 2000u, 2024u, 30828u}) {
    for (std::uint32_t month = 1; month <= (year < 30828 ? 12 : 1); ++month) {
      const std::uint64_t first =
          static_cast<std::uint64_t>(time_stamp_detail::DaysFrom1601(year, month, 1)) *
          NTimeStamp::kTicksPerDay;
      for (const std::uint64_t ticks : {first, first - 10'000}) {
        if (ticks >= NTimeStamp::kTicksEnd) continue;
        const auto seconds = static_cast<std::time_t>(ticks / kSecond) - 11'644'473'600;
        std::tm utc{};
        char expected[64];
        ASSERT_TRUE(gmtime_r(&seconds, &utc) &&
                    std::strftime(expected, sizeof expected, "%Y-%m-%d %w %T", &utc) > 0);
        EXPECT_EQ(Narrow(NTimeStamp(ticks).Format(u"%Y-%m-%d %w %T.%N", kIllegal)),
                  std::string(expected) + (ticks == first ? ".000" : ".999"));
        CalendarTime f;
        NTimeStamp back;
        ASSERT_TRUE(NTimeStamp(ticks).ToCalendar(f) && NTimeStamp::FromCalendar(f, back));
        EXPECT_EQ(back.Ticks(), ticks);
        ++f.m_day;
        EXPECT_EQ(NTimeStamp::FromCalendar(f, back), ticks == first) << ticks;
      }
    }
  }
}

TEST(TimeStampCalendar, RejectsFieldsOutOfRange) {
  for (const CalendarTime& fields : {CalendarTime{1600, 12, 0, 31, 23, 59, 59, 999},
                                     {30828, 1, 0, 1, 0, 0, 0, 0},
                                     {2024, 0, 0, 1, 0, 0, 0, 0},
                                     {2024, 13, 0, 1, 0, 0, 0, 0},
                                     {2024, 1, 0, 0, 0, 0, 0, 0},
                                     {2024, 1, 0, 1, 24, 0, 0, 0},
                                     {2024, 1, 0, 1, 0, 60, 0, 0},
                                     {2024, 1, 0, 1, 0, 0, 60, 0},
                                     {2024, 1, 0, 1, 0, 0, 0, 1000}}) {
    NTimeStamp stamp(kUntouched);
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(NTimeStamp::FromCalendar(fields, stamp)) << fields.m_year;
    EXPECT_EQ(stamp.Ticks(), kUntouched);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
}

TEST(TimeStampFormat, Specifiers) {
  const ScopedTimeZone zone("<-0530>5:30");
  const std::u16string longText(70'000, u'x'), midText(5'000, u'x');
  for (const auto& [ticks, format, expected] :
       std::initializer_list<std::tuple<std::uint64_t, std::u16string, std::u16string>>{
           {kSample, u"%a %b %e %H:%M:%S %Y", u"Tue Mar  5 14:07:09 2024"},
           {NTimeStamp::kTicksEnd - 1, u"%Y-%m-%d %H:%M:%S", u"30827-12-31 23:59:59"},
           {kSample + 1'234'567, u"%F|%u|%N%N", u"1234567|123456|123123"},
           {kTimeStamp1970.Ticks(), u"%D %h %s", u"134774 3234576 11644473600"},
           {kSample, u"%G|%g \u00e9t\u00e9", u"-0530|-05:30 \u00e9t\u00e9"},
           {kSample, u"", u""},
           {NTimeStamp::kTicksEnd, u"%Y", std::u16string(kIllegal)},
           {kSample, u"%Z", u"%Z"},  // expands to nothing
           // FAT date and time: 7 bits of years since 1980, 4 of month, 5 of day; hour,
           // minute, second / 2
           {kSample, u"%O %o", u"5865 70e4"},
           {141'834'239'990'000'000, u"%O %o", u"8ccf bf7d"},  // 2050-06-15 23:59:59
           // Too long for the last buffer: only our own specifiers are replaced.
           {kSample, longText + u"%N %Y", longText + u"000 %Y"},
           // Beyond the first buffer, within the last.
           {kSample, midText + u"%N %Y", midText + u"000 2024"}}) {
    EXPECT_EQ(NTimeStamp(ticks).Format(format, kIllegal), expected) << Narrow(format.substr(0, 40));
  }
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
  // Each row: the text, the error (0 for success), the stamp afterwards.
  for (const auto& [text, error, ticks] :
       std::initializer_list<std::tuple<const char16_t*, ErrorCode, std::uint64_t>>{
           {u"  [mon]/(MAR)/05T14h07m09s-2024 ", 0, kSample},  // weekday need not agree
           {u"Fri Dec 31 23:59:59 30827", 0, NTimeStamp::kTicksEnd - kSecond},
           // A name or number that is wrong leaves the stamp alone.
           {nullptr, ERROR_INVALID_PARAMETER, kUntouched},
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
           {u"Tue Mar 5 14:07:09 99999999999999999999", ERROR_INVALID_PARAMETER, 0}}) {
    NTimeStamp stamp(kUntouched);
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(stamp.ParseBuildTime(text), error == 0) << (text != nullptr ? Narrow(text) : "null");
    EXPECT_EQ(GetLastError(), error);
    EXPECT_EQ(stamp.Ticks(), ticks);
  }
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
