#pragma once
// The program's revision banner: two lines, made at build time from the git checkout
// (the revision count and the commit's date and time), for the About box.

#include <string_view>

namespace bitvane {

[[nodiscard]] std::u16string_view RevisionBanner() noexcept;

}  // namespace bitvane
