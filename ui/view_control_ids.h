#pragma once
// The main dialog's controls of each view and each swap, by the control ids of its
// template: where the core's views and swaps meet the dialog's controls.

#include <array>
#include <cstddef>

#include "core/swaps.h"
#include "core/view_controls.h"
#include "core/view_table.h"

namespace bitvane {

struct ViewControlIds {
  ViewId view;
  int label;  // the static text above the input line
  int input;
  int info;
};

// In the order of the view table.
inline constexpr std::array<ViewControlIds, kViewCount> kViewControlIds{{
    {ViewId::Byte0, 1045, 1017, 1037},
    {ViewId::Byte1, 1046, 1016, 1038},
    {ViewId::Byte2, 1047, 1015, 1039},
    {ViewId::Byte3, 1048, 1014, 1040},
    {ViewId::Byte4, 1049, 1013, 1041},
    {ViewId::Byte5, 1050, 1012, 1042},
    {ViewId::Byte6, 1051, 1011, 1043},
    {ViewId::Byte7, 1052, 1010, 1044},
    {ViewId::LowInt32, 1053, 1020, 1021},
    {ViewId::HighInt32, 1054, 1018, 1019},
    {ViewId::HugeInt64, 1055, 1005, 1022},
    {ViewId::LowSingle, 1056, 1025, 1026},
    {ViewId::HighSingle, 1057, 1023, 1024},
    {ViewId::Double64, 1059, 1001, 1008},
}};

static_assert([] {
  for (std::size_t i = 0; i < kViewCount; ++i) {
    if (static_cast<std::size_t>(kViewControlIds[i].view) != i) return false;
  }
  return true;
}());

inline constexpr int kStatusLineId = 1032;

// The input lines in table order: the list over which fonts and colours are applied.
inline constexpr std::array<int, kViewCount> kInputEditList = [] {
  std::array<int, kViewCount> ids{};
  for (std::size_t i = 0; i < kViewCount; ++i) ids[i] = kViewControlIds[i].input;
  return ids;
}();

struct SwapButtonId {
  SwapId swap;
  int button;
};

inline constexpr std::array<SwapButtonId, 7> kSwapButtonIds{{
    {SwapId::HighWords, 1063},
    {SwapId::HighBytes, 1060},
    {SwapId::LowWords, 1064},
    {SwapId::LowBytes, 1061},
    {SwapId::Halves, 1066},
    {SwapId::HugeWords, 1065},
    {SwapId::HugeBytes, 1062},
}};

// The control ids of a view's controls and of the status line.
[[nodiscard]] constexpr const ViewControlIds& ControlIdsOf(ViewId view) noexcept {
  return kViewControlIds[static_cast<std::size_t>(view)];
}
[[nodiscard]] constexpr int ControlIdFor(ControlRef control) noexcept {
  switch (control.role) {
    case ControlRole::Input:
      return ControlIdsOf(control.view).input;
    case ControlRole::Info:
      return ControlIdsOf(control.view).info;
    case ControlRole::Status:
      break;
  }
  return kStatusLineId;
}

}  // namespace bitvane
