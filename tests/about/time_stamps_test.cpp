// Time stamps: the calendar, the format and zone texts, and the build-time parser.
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
constexpr std::uint64_t kSample = 133'541'212'290'000'000;  // Tue 2024-03-05 14:07:09
constexpr std::uint64_t kUntouched = 0xDEADBEEF;

// Month ends in years of each leap rule agree with gmtime; fields out of range are refused.
TEST(TimeStampCalendar, MonthBoundariesAndFieldRanges) {
  for (std::uint32_t year : {1601u, 1700u, 1900u, 2000u, 2024u, 30828u}) {
    for (std::uint32_t month = 1; month <= (year < 30828 ? 12 : 1); ++month) {
      const std::uint64_t first =
          std::uint64_t(time_stamp_detail::DaysFrom1601(year, month, 1)) * NTimeStamp::kTicksPerDay;
      for (const std::uint64_t ticks : {first, first - 10'000}) {
        if (ticks >= NTimeStamp::kTicksEnd) continue;
        const auto seconds = std::time_t(ticks / NTimeStamp::kTicksPerSecond) - 11'644'473'600;
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
  const CalendarTime rows[] = {{1600, 12, 0, 31, 23, 59, 59, 999}, {30828, 1, 0, 1, 0, 0, 0, 0},
                               {2024, 0, 0, 1, 0, 0, 0, 0},        {2024, 13, 0, 1, 0, 0, 0, 0},
                               {2024, 1, 0, 0, 0, 0, 0, 0},        {2024, 1, 0, 1, 24, 0, 0, 0},
                               {2024, 1, 0, 1, 0, 60, 0, 0},       {2024, 1, 0, 1, 0, 0, 60, 0},
                               {2024, 1, 0, 1, 0, 0, 0, 1000}};
  for (const CalendarTime& fields : rows) {
    NTimeStamp stamp(kUntouched);
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(NTimeStamp::FromCalendar(fields, stamp)) << fields.m_year;
    EXPECT_EQ(std::tuple(stamp.Ticks(), GetLastError()),
              std::tuple(kUntouched, ErrorCode{ERROR_INVALID_PARAMETER}));
  }
}

// %O and %o are FAT date and time; a text too long for wcsftime has only ours replaced.
TEST(TimeStampText, FormatZonesAndParse) {
  const ScopedTimeZone zone("<-0530>5:30");
  // clang-format off
  const std::tuple<std::uint64_t, std::u16string, std::u16string> rows[] = {
      {kSample, u"%a %b %e %H:%M:%S %Y", u"Tue Mar  5 14:07:09 2024"},
      {kSample + 1'234'567, u"%F|%u|%N%N", u"1234567|123456|123123"},
      {kTimeStamp1970.Ticks(), u"%D %h %s", u"134774 3234576 11644473600"},
      {kSample, u"%G|%g \u00e9t\u00e9", u"-0530|-05:30 \u00e9t\u00e9"}, {kSample, u"", u""},
      {NTimeStamp::kTicksEnd, u"%Y", std::u16string(kIllegal)}, {kSample, u"%Z", u"%Z"},
      {kSample, u"%O %o", u"5865 70e4"}, {141'834'239'990'000'000, u"%O %o", u"8ccf bf7d"},
      {kSample, std::u16string(70'000, u'x') + u"%N %Y", std::u16string(70'000, u'x') + u"000 %Y"},
      {kSample, std::u16string(5'000, u'x') + u"%N %Y", std::u16string(5'000, u'x') + u"000 2024"}};
  // clang-format on
  for (const auto& [ticks, format, expected] : rows) {
    EXPECT_EQ(NTimeStamp(ticks).Format(format, kIllegal), expected) << Narrow(format.substr(0, 40));
  }
  for (const auto& [name, offset, text] : {std::tuple{"<+0545>-5:45", 207'000'000'000, u"+05:45"},
                                           {"<-0930>9:30", -342'000'000'000, u"-09:30"}}) {
    const ScopedTimeZone scoped(name);
    EXPECT_EQ(std::tuple(NTimeStamp::LocalOffset(), NTimeStamp::ZoneText(u":")),
              std::tuple(offset, text));
  }
  // A wrong name or number leaves the stamp alone; a date the calendar lacks clears it.
  constexpr ErrorCode D = ERROR_INVALID_DATA, P = ERROR_INVALID_PARAMETER;
  constexpr std::uint64_t U = kUntouched;
  // clang-format off
  const std::tuple<const char16_t*, ErrorCode, std::uint64_t> texts[] = {
      {u"  [sun]/(JAN)/05T14h07m09s-2024 ", 0, 133'489'372'290'000'000},
      {u"Fri Dec 31 23:59:59 30827", 0, NTimeStamp::kTicksEnd - NTimeStamp::kTicksPerSecond},
      {nullptr, P, U}, {u"Tue Apr 31 14:07:09 2024", P, 0},
      {u"Tue Mar 5 14:07:09 99999999999999999999", P, 0},
      {u"Di M\u00e4r  5 14:07:09 2024", D, U}, {u"Tue Mrz  5 14:07:09 2024", D, U}, {u"Tu", D, U},
      {u"Tue Mar 32 14:07:09 2024", D, U}, {u"Tue Mar 0 14:07:09 2024", D, U},
      {u"Tue Mar 5 24:07:09 2024", D, U}, {u"Tue Mar 5 14:60:09 2024", D, U},
      {u"Tue Mar 5 14:07:60 2024", D, U}, {u"Tue Mar 5 14:07:09", D, U},
      {u"Tue Mar 5 99999999999999999999:07:09 2024", D, U}};
  // clang-format on
  for (const auto& [text, error, ticks] : texts) {
    NTimeStamp stamp(U);
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(stamp.ParseBuildTime(text), error == 0) << (text ? Narrow(text) : "null");
    EXPECT_EQ(std::tuple(GetLastError(), stamp.Ticks()), std::tuple(error, ticks));
  }
}

}  // namespace
}  // namespace bitvane
