#include "platform/local_time.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <tuple>

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
  const ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
  std::int64_t winter = 0, summer = 0, now = 0, late = 12345;
  EXPECT_TRUE(UtcOffsetAt(1704067200, winter) && UtcOffsetAt(1719792000, summer));  // 2024-01, -07
  EXPECT_TRUE(CurrentUtcOffset(now) && (now == 3600 || now == 7200)) << now;
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(UtcOffsetAt(std::numeric_limits<std::int64_t>::max(), late));  // no tm year
  EXPECT_EQ(GetLastError(), ERROR_ARITHMETIC_OVERFLOW);
  EXPECT_EQ(std::make_tuple(winter, summer, late), std::make_tuple(3600, 7200, 12345));
}

// Room for the closing zero, nothing for an empty result, a surrogate pair as one
// character and lone halves passed through.
TEST(LocalTime, ExpandTimeFieldsCapacityAndSurrogates) {
  std::tm fields{};  // Tuesday, 2024-03-05
  fields.tm_year = 124, fields.tm_mon = 2, fields.tm_mday = 5, fields.tm_wday = 2;
  std::u16string out = u"untouched";
  EXPECT_FALSE(ExpandTimeFields(u"%Y", fields, 4, out) || ExpandTimeFields(u"", fields, 16, out));
  EXPECT_EQ(out, u"untouched");
  ASSERT_TRUE(ExpandTimeFields(u"%Y", fields, 5, out));
  EXPECT_EQ(out, u"2024");
  ASSERT_TRUE(ExpandTimeFields(u"\U0001F600%Y \xDC00\xD83D", fields, 16, out));
  EXPECT_TRUE(out == u"\U0001F6002024 \xDC00\xD83D");
}

}  // namespace
}  // namespace bitvane
