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

// The POSIX locale's names; other numbers have none.
TEST(LocalTime, NamesOfDaysAndMonths) {
  std::string days, months;
  for (unsigned n = 0; n <= 7; ++n) days += Narrow(AbbreviatedDayName(n)) + ",";
  for (unsigned n = 0; n <= 13; ++n) months += Narrow(AbbreviatedMonthName(n)) + ",";
  EXPECT_EQ(days, "Sun,Mon,Tue,Wed,Thu,Fri,Sat,,");
  EXPECT_EQ(months, ",Jan,Feb,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,Dec,,");
}

TEST(LocalTime, OffsetFollowsTheZoneAndItsDaylightRule) {
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
    SCOPED_TRACE(testing::Message() << row.zone << " at " << row.unixSeconds);
    const ScopedTimeZone zone(row.zone);
    std::int64_t offset = 12345;
    SetLastError(ERROR_SUCCESS);
    const bool ok =
        row.unixSeconds == kNow ? CurrentUtcOffset(offset) : UtcOffsetAt(row.unixSeconds, offset);
    EXPECT_EQ(ok, row.offset != 12345);
    EXPECT_EQ(offset, row.offset);
    EXPECT_EQ(GetLastError(), ok ? ERROR_SUCCESS : ERROR_ARITHMETIC_OVERFLOW);
  }
}

// Room for the closing zero, nothing for an empty result, a surrogate pair as one
// character and lone halves passed through; names stay the POSIX locale's whatever
// locale the process chose.
TEST(LocalTime, ExpandTimeFieldsCapacitySurrogatesAndLocale) {
  std::tm fields{};  // Tuesday, 2024-03-05
  fields.tm_year = 124;
  fields.tm_mon = 2;
  fields.tm_mday = 5;
  fields.tm_wday = 2;
  std::u16string out = u"untouched";
  EXPECT_FALSE(ExpandTimeFields(u"%Y", fields, 4, out) || ExpandTimeFields(u"", fields, 16, out));
  EXPECT_EQ(out, u"untouched");
  ASSERT_TRUE(ExpandTimeFields(u"%Y", fields, 5, out));
  EXPECT_EQ(out, u"2024");
  ASSERT_TRUE(ExpandTimeFields(u"\U0001F600%Y \xDC00\xD83D", fields, 16, out));
  EXPECT_TRUE(out == u"\U0001F6002024 \xDC00\xD83D");
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "C.UTF-8")) {
    GTEST_SKIP() << "no further locale installed";
  }
  const bool expanded = ExpandTimeFields(u"%a %b %p", fields, 64, out);
  std::setlocale(LC_ALL, previous.c_str());
  ASSERT_TRUE(expanded);
  EXPECT_EQ(out, u"Tue Mar AM");
}

}  // namespace
}  // namespace bitvane
