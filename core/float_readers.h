#pragma once
// The two conversions behind float views, public so that they can be held to each
// other. Each reads its text up to its end or up to its first NUL.

#include <string_view>

namespace bitvane {

// ScanDouble is the C library's wide "%lf" in the "C" locale, whatever the locale of
// the process or the thread: true when it converted one item, with the number in
// `out`; false with `out` untouched otherwise. The thread's locale is restored.
[[nodiscard]] bool ScanDouble(std::u16string_view text, double& out);

// ReadPlainDecimal is the quick path for the common case: true, with the same double
// as ScanDouble, for a whole text of at most 64 characters of the form
// [+-] digits [. digits] [e [+-] digits], with a digit on at least one side of the
// point, whose value neither overflows nor underflows a double. False with `out`
// untouched for any other text, which is then ScanDouble's to read.
[[nodiscard]] bool ReadPlainDecimal(std::u16string_view text, double& out) noexcept;

}  // namespace bitvane
