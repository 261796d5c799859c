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

// Our names agree with the C library's own POSIX-locale names; other numbers have none.
TEST(LocalTimeNames, MatchTheCLibrary) {
  for (unsigned day = 0; day < 7; ++day) {
    std::u16string expanded;
    ASSERT_TRUE(ExpandTimeFields(u"%a", FieldsOf(static_cast<int>(day), 0), 16, expanded));
    EXPECT_EQ(Narrow(AbbreviatedDayName(day)), Narrow(expanded)) << day;
  }
  for (unsigned month = 1; month <= 12; ++month) {
    std::u16string expanded;
    ASSERT_TRUE(ExpandTimeFields(u"%b", FieldsOf(0, static_cast<int>(month) - 1), 16, expanded));
    EXPECT_EQ(Narrow(AbbreviatedMonthName(month)), Narrow(expanded)) << month;
  }
  EXPECT_EQ(Narrow(AbbreviatedDayName(0)), "Sun");
  EXPECT_EQ(Narrow(AbbreviatedMonthName(12)), "Dec");
  EXPECT_TRUE(AbbreviatedDayName(7).empty());
  EXPECT_TRUE(AbbreviatedMonthName(0).empty());
  EXPECT_TRUE(AbbreviatedMonthName(13).empty());
}

TEST(LocalTimeOffset, FollowsTheZoneAndItsDaylightRule) {
  constexpr std::int64_t kJan2024 = 1704067200;
  constexpr std::int64_t kJul2024 = 1719792000;
  const struct {
    const char* zone;
    std::int64_t unixSeconds;
    std::int64_t offset;
  } rows[] = {
      {"UTC0", kJan2024, 0},
      {"<-0530>5:30", kJul2024, -19800},
      {"CET-1CEST,M3.5.0,M10.5.0/3", kJan2024, 3600},
      {"CET-1CEST,M3.5.0,M10.5.0/3", kJul2024, 7200},
      {"UTC-1", -11644473600, 3600},  // 1601-01-01
  };
  for (const auto& row : rows) {
    const ScopedTimeZone zone(row.zone);
    std::int64_t offset = 12345;
    ASSERT_TRUE(UtcOffsetAt(row.unixSeconds, offset)) << row.zone;
    EXPECT_EQ(offset, row.offset) << row.zone << " at " << row.unixSeconds;
  }
}

TEST(LocalTimeOffset, CurrentOffsetAndFailure) {
  const ScopedTimeZone zone("UTC-1");
  std::int64_t offset = 0;
  ASSERT_TRUE(CurrentUtcOffset(offset));
  EXPECT_EQ(offset, 3600);

  // The year of this instant does not fit the C library's broken-down time.
  offset = 12345;
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(UtcOffsetAt(std::numeric_limits<std::int64_t>::max(), offset));
  EXPECT_EQ(offset, 12345);
  EXPECT_EQ(GetLastError(), ERROR_ARITHMETIC_OVERFLOW);
}

TEST(ExpandTimeFields, CapacityEmptyExpansionAndSurrogates) {
  const std::tm fields = FieldsOf(2, 2);
  std::u16string out = u"untouched";
  EXPECT_FALSE(ExpandTimeFields(u"%Y", fields, 0, out));
  EXPECT_FALSE(ExpandTimeFields(u"%Y", fields, 4, out));  // four digits need room for the zero
  EXPECT_FALSE(ExpandTimeFields(u"", fields, 16, out));
  EXPECT_EQ(out, u"untouched");
  ASSERT_TRUE(ExpandTimeFields(u"%Y", fields, 5, out));
  EXPECT_EQ(out, u"2024");
  // A pair stands for one character beyond 0xFFFF; a lone half passes through.
  const std::u16string text = u"\U0001F600%Y \xDC00\xD83D";
  ASSERT_TRUE(ExpandTimeFields(text, fields, 16, out));
  EXPECT_TRUE(out == u"\U0001F6002024 \xDC00\xD83D");
}

// Names stay those of the POSIX locale whatever locale the process chose.
TEST(ExpandTimeFields, IgnoresTheProcessLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  const char* chosen = nullptr;
  for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "C.UTF-8"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      chosen = name;
      break;
    }
  }
  if (chosen == nullptr) GTEST_SKIP() << "no further locale installed";
  std::u16string out;
  const bool expanded = ExpandTimeFields(u"%a %b %p", FieldsOf(2, 2), 64, out);
  std::setlocale(LC_ALL, previous.c_str());
  ASSERT_TRUE(expanded) << chosen;
  EXPECT_EQ(out, u"Tue Mar AM") << chosen;
}

}  // namespace
}  // namespace bitvane
