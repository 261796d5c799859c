#include "platform/local_time.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/last_error.h"
#include "tests/support/scoped_time_zone.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

using test::Narrow;

std::tm FieldsOf(int weekday, int month) {
  std::tm fields{};
  fields.tm_year = 124;
  fields.tm_mon = month;
  fields.tm_mday = 5;
  fields.tm_wday = weekday;
  fields.tm_isdst = -1;
  return fields;
}

// Our names are the C library's POSIX-locale ones; other numbers have none.
TEST(LocalTimeNames, MatchTheCLibrary) {
  for (unsigned n = 0; n <= 13; ++n) {
    std::u16string day, month;
    ASSERT_TRUE(ExpandTimeFields(u"%a", FieldsOf(static_cast<int>(n % 7), 0), 16, day));
    ASSERT_TRUE(ExpandTimeFields(u"%b", FieldsOf(0, static_cast<int>(n + 11) % 12), 16, month));
    EXPECT_EQ(Narrow(AbbreviatedDayName(n)), n < 7 ? Narrow(day) : "") << n;
    EXPECT_EQ(Narrow(AbbreviatedMonthName(n)), n >= 1 && n <= 12 ? Narrow(month) : "") << n;
  }
}

TEST(LocalTimeOffset, FollowsTheZoneAndItsDaylightRule) {
  constexpr std::int64_t kJan2024 = 1704067200, kJul2024 = 1719792000, kNow = -1;
  constexpr std::int64_t kTooLate = std::numeric_limits<std::int64_t>::max();  // no tm year
  const char* const kCet = "CET-1CEST,M3.5.0,M10.5.0/3";
  const struct {
    const char* zone;
    std::int64_t unixSeconds;
    std::int64_t offset;  // 12345: none, and the call fails
  } rows[] = {{"UTC0", kJan2024, 0},  {"<-0530>5:30", kJul2024, -19800}, {kCet, kJan2024, 3600},
              {kCet, kJul2024, 7200}, {"UTC-1", -11644473600, 3600},  // 1601-01-01
              {"UTC-1", kNow, 3600},  {"UTC-1", kTooLate, 12345}};
  for (const auto& row : rows) {
    const ScopedTimeZone zone(row.zone);
    std::int64_t offset = 12345;
    SetLastError(ERROR_SUCCESS);
    const bool ok =
        row.unixSeconds == kNow ? CurrentUtcOffset(offset) : UtcOffsetAt(row.unixSeconds, offset);
    EXPECT_EQ(ok, row.offset != 12345) << row.zone << " at " << row.unixSeconds;
    EXPECT_EQ(offset, row.offset) << row.zone << " at " << row.unixSeconds;
    EXPECT_EQ(GetLastError(), ok ? ERROR_SUCCESS : ERROR_ARITHMETIC_OVERFLOW);
  }
}

TEST(ExpandTimeFields, CapacityEmptyExpansionAndSurrogates) {
  const std::tm fields = FieldsOf(2, 2);
  std::u16string out = u"untouched";
  EXPECT_FALSE(ExpandTimeFields(u"%Y", fields, 4, out));  // four digits need room for the zero
  EXPECT_FALSE(ExpandTimeFields(u"", fields, 16, out));
  EXPECT_EQ(out, u"untouched");
  ASSERT_TRUE(ExpandTimeFields(u"%Y", fields, 5, out));
  EXPECT_EQ(out, u"2024");
  // A pair stands for one character beyond 0xFFFF; a lone half passes through.
  ASSERT_TRUE(ExpandTimeFields(u"\U0001F600%Y \xDC00\xD83D", fields, 16, out));
  EXPECT_TRUE(out == u"\U0001F6002024 \xDC00\xD83D");
}

// Names stay those of the POSIX locale whatever locale the process chose.
TEST(ExpandTimeFields, IgnoresTheProcessLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  const char* chosen = std::setlocale(LC_ALL, "de_DE.UTF-8");
  if (!chosen) chosen = std::setlocale(LC_ALL, "C.UTF-8");
  if (!chosen) GTEST_SKIP() << "no further locale installed";
  std::u16string out;
  const bool expanded = ExpandTimeFields(u"%a %b %p", FieldsOf(2, 2), 64, out);
  std::setlocale(LC_ALL, previous.c_str());
  ASSERT_TRUE(expanded);
  EXPECT_EQ(out, u"Tue Mar AM");
}

}  // namespace
}  // namespace bitvane
