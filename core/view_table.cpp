#include "core/view_table.h"

namespace bitvane {

namespace {

constexpr std::array<ValueView, kViewCount> kViews{{
    {ViewId::Byte0, u"Byte #0", 0, 1, ViewKind::Integer, 1017, 1037, u"byte #&0"},
    {ViewId::Byte1, u"Byte #1", 1, 1, ViewKind::Integer, 1016, 1038, u"byte #&1"},
    {ViewId::Byte2, u"Byte #2", 2, 1, ViewKind::Integer, 1015, 1039, u"byte #&2"},
    {ViewId::Byte3, u"Byte #3", 3, 1, ViewKind::Integer, 1014, 1040, u"byte #&3"},
    {ViewId::Byte4, u"Byte #4", 4, 1, ViewKind::Integer, 1013, 1041, u"byte #&4"},
    {ViewId::Byte5, u"Byte #5", 5, 1, ViewKind::Integer, 1012, 1042, u"byte #&5"},
    {ViewId::Byte6, u"Byte #6", 6, 1, ViewKind::Integer, 1011, 1043, u"byte #&6"},
    {ViewId::Byte7, u"Byte #7", 7, 1, ViewKind::Integer, 1010, 1044, u"byte #&7"},
    {ViewId::LowInt32, u"Low Integer (32-bit)", 0, 4, ViewKind::Integer, 1020, 1021,
     u"Low I&nteger (32-bit)"},
    {ViewId::HighInt32, u"High Integer (32-bit)", 4, 4, ViewKind::Integer, 1018, 1019,
     u"High &Integer (32-bit)"},
    {ViewId::HugeInt64, u"Huge Integer (64-bit)", 0, 8, ViewKind::Integer, 1005, 1022,
     u"Hu&ge Integer (64-bit)"},
    {ViewId::LowSingle, u"Low Float/Single", 0, 4, ViewKind::Float, 1025, 1026,
     u"Low IEEE Fl&oat/Single (32-bit)"},
    {ViewId::HighSingle, u"High Float/Single", 4, 4, ViewKind::Float, 1023, 1024,
     u"High IEEE &Float/Single (32-bit)"},
    {ViewId::Double64, u"Double", 0, 8, ViewKind::Float, 1001, 1008, u"IEEE &Double (64-bit)"},
}};

constexpr std::array<ControlId, kViewCount + 1> kInputEditList{
    1017, 1016, 1015, 1014, 1013, 1012, 1011, 1010, 1020, 1018, 1005, 1025, 1023, 1001, 0};

}  // namespace

const std::array<ValueView, kViewCount>& ViewTable() noexcept {
  return kViews;
}

const ValueView& ViewOf(ViewId id) noexcept {
  return kViews[static_cast<std::size_t>(id)];
}

const ValueView* ViewOfInput(ControlId input) noexcept {
  for (const ValueView& view : kViews) {
    if (view.input == input) return &view;
  }
  return nullptr;
}

std::span<const ControlId> InputEditList() noexcept {
  return kInputEditList;
}

}  // namespace bitvane
