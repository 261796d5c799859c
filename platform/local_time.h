#pragma once
// The operating-system side of time stamps: the local time zone's offset from UTC,
// the day and month names of the POSIX locale, and strftime-style expansion of
// calendar fields in that locale, whatever locale the process has chosen.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace bitvane {

// The abbreviated day name of the POSIX locale ("Sun" to "Sat") for `weekday`
// 0 (Sunday) to 6; the empty view for any other number.
[[nodiscard]] std::u16string_view AbbreviatedDayName(unsigned weekday) noexcept;

// The abbreviated month name of the POSIX locale ("Jan" to "Dec") for `month`
// 1 (January) to 12; the empty view for any other number.
[[nodiscard]] std::u16string_view AbbreviatedMonthName(unsigned month) noexcept;

// The local time zone's offset from UTC, in seconds east of UTC (local = UTC +
// offset), at the instant `unixSeconds` after 1970-01-01 00:00 UTC. The zone is
// read afresh from the TZ variable and the system's settings on each call. On
// failure returns false, leaves `offsetSeconds` unchanged and sets the last-error
// code to ERROR_ARITHMETIC_OVERFLOW (instant beyond the C library's range).
[[nodiscard]] bool UtcOffsetAt(std::int64_t unixSeconds, std::int64_t& offsetSeconds) noexcept;

// UtcOffsetAt for the current instant.
[[nodiscard]] bool CurrentUtcOffset(std::int64_t& offsetSeconds) noexcept;

// Expands `format` with `fields` as wcsftime does in the POSIX locale, into at most
// `capacity` characters (the terminating zero included, as wcsftime counts them).
// Returns false and leaves `out` unchanged when the expansion is empty or does not
// fit; wcsftime cannot tell these apart.
[[nodiscard]] bool ExpandTimeFields(std::u16string_view format, const std::tm& fields,
                                    std::size_t capacity, std::u16string& out);

}  // namespace bitvane
