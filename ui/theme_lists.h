#pragma once
// The control ids over which the main dialog applies its theme, in the order applied.
// The input lines are kInputEditList of view_control_ids.h.

#include <array>

namespace bitvane {

// The static labels and the hint line.
inline constexpr std::array<int, 15> kLabelList{1045, 1046, 1047, 1048, 1049, 1050, 1051, 1052,
                                                1053, 1054, 1055, 1056, 1057, 1058, 1059};
// The fourteen read-only information boxes.
inline constexpr std::array<int, 14> kInfoEditList{1044, 1043, 1042, 1041, 1040, 1039, 1038,
                                                   1037, 1019, 1021, 1022, 1024, 1026, 1008};
// The owner-drawn buttons: "For&mats" and the seven swaps.
inline constexpr std::array<int, 8> kOwnerButtonList{1028, 1060, 1061, 1062,
                                                     1063, 1064, 1065, 1066};

}  // namespace bitvane
