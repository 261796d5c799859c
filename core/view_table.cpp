#include "core/view_table.h"

namespace bitvane {

namespace {

constexpr std::array<ValueView, kViewCount> kViews{{
    {ViewId::Byte0, u"Byte #0", 0, 1, ViewKind::Integer},
    {ViewId::Byte1, u"Byte #1", 1, 1, ViewKind::Integer},
    {ViewId::Byte2, u"Byte #2", 2, 1, ViewKind::Integer},
    {ViewId::Byte3, u"Byte #3", 3, 1, ViewKind::Integer},
    {ViewId::Byte4, u"Byte #4", 4, 1, ViewKind::Integer},
    {ViewId::Byte5, u"Byte #5", 5, 1, ViewKind::Integer},
    {ViewId::Byte6, u"Byte #6", 6, 1, ViewKind::Integer},
    {ViewId::Byte7, u"Byte #7", 7, 1, ViewKind::Integer},
    {ViewId::LowInt32, u"Low Integer (32-bit)", 0, 4, ViewKind::Integer},
    {ViewId::HighInt32, u"High Integer (32-bit)", 4, 4, ViewKind::Integer},
    {ViewId::HugeInt64, u"Huge Integer (64-bit)", 0, 8, ViewKind::Integer},
    {ViewId::LowSingle, u"Low Float/Single", 0, 4, ViewKind::Float},
    {ViewId::HighSingle, u"High Float/Single", 4, 4, ViewKind::Float},
    {ViewId::Double64, u"Double", 0, 8, ViewKind::Float},
}};

// ViewOf finds a view by indexing the table with its id.
static_assert([] {
  for (std::size_t i = 0; i < kViews.size(); ++i) {
    if (static_cast<std::size_t>(kViews[i].id) != i) return false;
  }
  return true;
}());

}  // namespace

const std::array<ValueView, kViewCount>& ViewTable() noexcept {
  return kViews;
}

const ValueView& ViewOf(ViewId id) noexcept {
  return kViews[static_cast<std::size_t>(id)];
}

}  // namespace bitvane
