#include "about/time_stamps.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <limits>
#include <string>

#include "platform/last_error.h"
#include "tests/support/scoped_time_zone.h"

namespace bitvane {
namespace {

constexpr std::u16string_view kIllegal = u"*** Illegal NTimeStamp ***";
constexpr std::uint64_t kSecond = NTimeStamp::kTicksPerSecond;
constexpr std::uint64_t kDay = NTimeStamp::kTicksPerDay;
// 2024-03-05 14:07:09, a Tuesday.
constexpr std::uint64_t kSample = 133'541'212'290'000'000;
constexpr std::uint64_t kUntouched = 0xDEADBEEF;

std::string Narrow(std::u16string_view text) {
  std::string narrow;
  for (char16_t c : text) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return narrow;
}

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

// --- Calendar --------------------------------------------------------------

struct CalendarRow {
  std::uint64_t ticks;
  CalendarTime fields;  // year, month, weekday, day, hour, minute, second, ms
};

TEST(TimeStampCalendar, KnownDates) {
  const CalendarRow rows[] = {
      {0, {1601, 1, 1, 1, 0, 0, 0, 0}},
      {kTimeStamp1900.Ticks(), {1900, 1, 1, 1, 0, 0, 0, 0}},
      {kTimeStamp1970.Ticks(), {1970, 1, 4, 1, 0, 0, 0, 0}},
      {kSample, {2024, 3, 2, 5, 14, 7, 9, 0}},
      {kSample + 9'999'999, {2024, 3, 2, 5, 14, 7, 9, 999}},
      {125'962'560'000'000'000, {2000, 2, 2, 29, 0, 0, 0, 0}},
      {NTimeStamp::kTicksEnd - 1, {30827, 12, 5, 31, 23, 59, 59, 999}},
  };
  for (const CalendarRow& row : rows) {
    CalendarTime fields;
    ASSERT_TRUE(NTimeStamp(row.ticks).ToCalendar(fields)) << row.ticks;
    EXPECT_EQ(Fields(fields), Fields(row.fields)) << row.ticks;
    NTimeStamp back(kUntouched);
    ASSERT_TRUE(NTimeStamp::FromCalendar(fields, back)) << row.ticks;
    EXPECT_EQ(back.Ticks(), row.ticks / 10'000 * 10'000) << row.ticks;
  }
  EXPECT_EQ(kTimeStamp1900.Ticks(), 94'354'848'000'000'000u);
  EXPECT_TRUE(kNullTimeStamp.IsNull());
}

// Every day of the calendar follows its predecessor, round-trips, and agrees with
// the C library's UTC calendar where that reaches.
TEST(TimeStampCalendar, EveryDay) {
  CalendarTime previous;
  ASSERT_TRUE(NTimeStamp(0).ToCalendar(previous));
  for (std::uint64_t day = 1; day < NTimeStamp::kDaysEnd; ++day) {
    const std::uint64_t ticks = day * kDay + 12 * NTimeStamp::kTicksPerHour;
    CalendarTime f;
    ASSERT_TRUE(NTimeStamp(ticks).ToCalendar(f)) << day;
    const bool nextDay = f.m_year == previous.m_year && f.m_month == previous.m_month &&
                         f.m_day == previous.m_day + 1;
    const bool nextMonth =
        f.m_year == previous.m_year && f.m_month == previous.m_month + 1 && f.m_day == 1;
    const bool nextYear = f.m_year == previous.m_year + 1 && f.m_month == 1 && f.m_day == 1 &&
                          previous.m_month == 12 && previous.m_day == 31;
    ASSERT_TRUE(nextDay || nextMonth || nextYear) << day;
    ASSERT_EQ(f.m_dayOfWeek, (previous.m_dayOfWeek + 1) % 7) << day;
    if (nextMonth || nextYear) {
      // The month just ended had the length of the Gregorian rule.
      const std::uint32_t y = previous.m_year;
      const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
      const std::uint32_t lengths[] = {31, leap ? 29u : 28u, 31, 30, 31, 30, 31, 31, 30, 31, 30,
                                       31};
      ASSERT_EQ(previous.m_day, lengths[previous.m_month - 1]) << day;
    }
    NTimeStamp back;
    ASSERT_TRUE(NTimeStamp::FromCalendar(f, back)) << day;
    ASSERT_EQ(back.Ticks(), ticks) << day;
    if (day % 997 == 0) {
      const auto unixSeconds =
          static_cast<std::time_t>(static_cast<std::int64_t>(ticks / kSecond) -
                                   static_cast<std::int64_t>(kTimeStamp1970.Ticks() / kSecond));
      std::tm utc{};
      ASSERT_NE(gmtime_r(&unixSeconds, &utc), nullptr) << day;
      ASSERT_EQ(static_cast<int>(f.m_year), utc.tm_year + 1900) << day;
      ASSERT_EQ(static_cast<int>(f.m_month), utc.tm_mon + 1) << day;
      ASSERT_EQ(static_cast<int>(f.m_day), utc.tm_mday) << day;
      ASSERT_EQ(static_cast<int>(f.m_dayOfWeek), utc.tm_wday) << day;
    }
    previous = f;
  }
  EXPECT_EQ(previous.m_year, 30827u);
}

TEST(TimeStampCalendar, RejectsFieldsOutOfRange) {
  const CalendarTime bad[] = {
      {1600, 12, 0, 31, 23, 59, 59, 999}, {30828, 1, 0, 1, 0, 0, 0, 0},
      {2024, 0, 0, 1, 0, 0, 0, 0},        {2024, 13, 0, 1, 0, 0, 0, 0},
      {2024, 1, 0, 0, 0, 0, 0, 0},        {2024, 4, 0, 31, 0, 0, 0, 0},
      {1900, 2, 0, 29, 0, 0, 0, 0},       {2023, 2, 0, 29, 0, 0, 0, 0},
      {2024, 1, 0, 1, 24, 0, 0, 0},       {2024, 1, 0, 1, 0, 60, 0, 0},
      {2024, 1, 0, 1, 0, 0, 60, 0},       {2024, 1, 0, 1, 0, 0, 0, 1000},
  };
  for (const CalendarTime& fields : bad) {
    NTimeStamp stamp(kUntouched);
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(NTimeStamp::FromCalendar(fields, stamp)) << Fields(fields);
    EXPECT_EQ(stamp.Ticks(), kUntouched);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  NTimeStamp stamp;
  EXPECT_TRUE(NTimeStamp::FromCalendar({2000, 2, 6, 29, 0, 0, 0, 0}, stamp));
  // The day of the week does not take part.
  EXPECT_TRUE(NTimeStamp::FromCalendar({2000, 2, 99, 29, 0, 0, 0, 0}, stamp));
}

// --- Format ----------------------------------------------------------------

TEST(TimeStampFormat, StrftimeFields) {
  EXPECT_EQ(Format(kSample, u"Built on %Y-%m-%d T %H:%M:%S"), u"Built on 2024-03-05 T 14:07:09");
  EXPECT_EQ(Format(kSample, u"%a %b %e %H:%M:%S %Y"), u"Tue Mar  5 14:07:09 2024");
  EXPECT_EQ(Format(0, u"%Y-%m-%d %H:%M:%S %a"), u"1601-01-01 00:00:00 Mon");
  EXPECT_EQ(Format(NTimeStamp::kTicksEnd - 1, u"%Y-%m-%d %H:%M:%S"), u"30827-12-31 23:59:59");
  EXPECT_EQ(Format(kSample, u"\u00e9t\u00e9 %Y \U0001F600"), u"\u00e9t\u00e9 2024 \U0001F600");
}

TEST(TimeStampFormat, RangeAndEmptyTemplate) {
  for (std::uint64_t ticks :
       {NTimeStamp::kTicksEnd, NTimeStamp::kTicksEnd + 1, std::uint64_t{0x7FFF'FFFF'FFFF'FFFF},
        std::numeric_limits<std::uint64_t>::max()}) {
    EXPECT_EQ(Format(ticks, u"%Y"), kIllegal) << ticks;
    EXPECT_EQ(NTimeStamp(ticks).Format(u"%Y", u""), u"") << ticks;
    EXPECT_EQ(Format(ticks, u""), u"") << ticks;
  }
  EXPECT_EQ(Format(kSample, u""), u"");
}

TEST(TimeStampFormat, FractionsOfTheSecond) {
  const std::uint64_t noon = kSample - 14 * NTimeStamp::kTicksPerHour - 7 * 60 * kSecond -
                             9 * kSecond + 12 * NTimeStamp::kTicksPerHour;
  EXPECT_EQ(Format(noon + 1, u"%H:%M:%S.%F|%u|%N"), u"12:00:00.0000001|000000|000");
  EXPECT_EQ(Format(noon + 1'234'567, u"%F|%u|%N"), u"1234567|123456|123");
  EXPECT_EQ(Format(noon + 9'999'999, u"%F|%u|%N"), u"9999999|999999|999");
  EXPECT_EQ(Format(noon, u"%N%N-%N"), u"000000-000");  // every occurrence
}

TEST(TimeStampFormat, FatPacking) {
  struct Row {
    CalendarTime fields;
    const char16_t* expected;  // "%O %o"
  };
  const Row rows[] = {
      {{2024, 3, 0, 5, 14, 7, 9, 0}, u"5865 70e4"},
      {{1980, 1, 0, 1, 0, 0, 0, 0}, u"0021 0000"},
      {{2043, 12, 0, 31, 23, 59, 58, 0}, u"7f9f bf7d"},
      {{2050, 6, 0, 15, 23, 59, 59, 0}, u"8ccf bf7d"},  // years above 63 use the 7th bit
      {{2107, 12, 0, 31, 12, 30, 1, 0}, u"ff9f 63c0"},
  };
  for (const Row& row : rows) {
    NTimeStamp stamp;
    ASSERT_TRUE(NTimeStamp::FromCalendar(row.fields, stamp)) << row.fields.m_year;
    EXPECT_EQ(stamp.Format(u"%O %o", kIllegal), row.expected) << row.fields.m_year;
  }
}

TEST(TimeStampFormat, CountsSinceTheEpoch) {
  EXPECT_EQ(Format(kTimeStamp1970.Ticks(), u"%D %h %s"), u"134774 3234576 11644473600");
  EXPECT_EQ(Format(0, u"%D %h %s"), u"0 0 0");
  EXPECT_EQ(Format(kDay - 1, u"%D %h %s"), u"0 23 86399");
}

TEST(TimeStampFormat, ZoneSpecifiers) {
  {
    const ScopedTimeZone zone("UTC-1");
    EXPECT_EQ(Format(kSample, u"%H:%M %G %g"), u"14:07 +0100 +01:00");
  }
  {
    const ScopedTimeZone zone("<-0530>5:30");
    EXPECT_EQ(Format(kSample, u"%G|%g"), u"-0530|-05:30");
  }
}

// What strftime cannot expand, or expands to nothing, comes back as the template
// with only our own specifiers replaced.
TEST(TimeStampFormat, UnexpandableTemplates) {
  EXPECT_EQ(Format(kSample, u"%Z"), u"%Z");
  const std::u16string longText(70'000, u'x');
  EXPECT_EQ(Format(kSample, longText + u"%N %Y"), longText + u"000 %Y");
  // Longer than the first buffer, within the last.
  const std::u16string midText(5'000, u'x');
  EXPECT_EQ(Format(kSample, midText + u"%N %Y"), midText + u"000 2024");
}

// --- Zone ------------------------------------------------------------------

TEST(TimeStampZone, OffsetAndText) {
  struct Row {
    const char* zone;
    std::int64_t offset;
    const char16_t* plain;
    const char16_t* separated;
  };
  const Row rows[] = {
      {"UTC0", 0, u"+0000", u"+00:00"},
      {"UTC-1", 36'000'000'000, u"+0100", u"+01:00"},
      {"<+0545>-5:45", 206'999'999'999 + 1, u"+0545", u"+05:45"},
      {"<-0930>9:30", -342'000'000'000, u"-0930", u"-09:30"},
      {"<+14>-14", 504'000'000'000, u"+1400", u"+14:00"},
  };
  for (const Row& row : rows) {
    const ScopedTimeZone zone(row.zone);
    EXPECT_EQ(NTimeStamp::LocalOffset(), row.offset) << row.zone;
    EXPECT_EQ(NTimeStamp::ZoneText(u""), row.plain) << row.zone;
    EXPECT_EQ(NTimeStamp::ZoneText(u":"), row.separated) << row.zone;
  }
}

// --- ParseBuildTime ----------------------------------------------------------

struct ParseRow {
  const char16_t* text;
  ErrorCode error;      // 0 for success
  std::uint64_t ticks;  // the stamp afterwards
};

TEST(TimeStampParse, BuildTimeTexts) {
  const ParseRow rows[] = {
      {u"Tue Mar  5 14:07:09 2024", 0, kSample},
      {u"tue MAR 5 14:07:09 2024", 0, kSample},
      {u"Mon Mar 05 14:07:09 2024", 0, kSample},  // the weekday need not agree
      {u"  [Tue]/(Mar)/5T14h07m09s-2024 ", 0, kSample},
      {u"Thu Feb 29 00:00:00 2024", 0, 133'536'384'000'000'000},
      {u"Mon Jan  1 00:00:00 1601", 0, 0},
      {u"Fri Dec 31 23:59:59 30827", 0, NTimeStamp::kTicksEnd - kSecond},
      // A name or number that is wrong leaves the stamp alone.
      {u"Di M\u00e4r  5 14:07:09 2024", ERROR_INVALID_DATA, kUntouched},
      {u"Tue Mrz  5 14:07:09 2024", ERROR_INVALID_DATA, kUntouched},
      {u"Tuesday March 5 14:07:09 2024", ERROR_INVALID_DATA, kUntouched},
      {u"", ERROR_INVALID_DATA, kUntouched},
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
      {u"Wed Feb 29 00:00:00 2023", ERROR_INVALID_PARAMETER, 0},
      {u"Sun Dec 31 23:59:59 1600", ERROR_INVALID_PARAMETER, 0},
      {u"Sat Jan  1 00:00:00 30828", ERROR_INVALID_PARAMETER, 0},
      {u"Tue Mar 5 14:07:09 99999999999999999999", ERROR_INVALID_PARAMETER, 0},
  };
  for (const ParseRow& row : rows) {
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
