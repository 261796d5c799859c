// Template 102, the main dialog: 365 x 385 dialog units.

#include <array>

#include "res/dialog_template.h"

namespace bitvane {

namespace {

constexpr unsigned kEdit = kTabStop;
constexpr unsigned kBox = kTabStop | kReadOnly | kCentered;
constexpr unsigned kButton = kTabStop | kOwnerDraw;

// Byte k stands at column 7 - k: byte 7 leftmost.
constexpr int ByteX(int k) {
  return 5 + 45 * (7 - k);
}

constexpr std::array<DialogItem, 54> kItems{{
    {1, ItemKind::PushButton, 0, 0, 6, 6, u"OK", kHidden | kDisabled | kDefaultButton},
    {2, ItemKind::PushButton, 5, 0, 6, 6, u"Cancel", kHidden},
    {1052, ItemKind::Static, ByteX(7), 5, 40, 10, u"byte #&7", kCentered},
    {1010, ItemKind::Input, ByteX(7), 15, 40, 20, u"", kEdit | kCentered},
    {1044, ItemKind::InfoBox, ByteX(7), 40, 40, 45, u"", kBox},
    {1051, ItemKind::Static, ByteX(6), 5, 40, 10, u"byte #&6", kCentered},
    {1011, ItemKind::Input, ByteX(6), 15, 40, 20, u"", kEdit | kCentered},
    {1043, ItemKind::InfoBox, ByteX(6), 40, 40, 45, u"", kBox},
    {1050, ItemKind::Static, ByteX(5), 5, 40, 10, u"byte #&5", kCentered},
    {1012, ItemKind::Input, ByteX(5), 15, 40, 20, u"", kEdit | kCentered},
    {1042, ItemKind::InfoBox, ByteX(5), 40, 40, 45, u"", kBox},
    {1049, ItemKind::Static, ByteX(4), 5, 40, 10, u"byte #&4", kCentered},
    {1013, ItemKind::Input, ByteX(4), 15, 40, 20, u"", kEdit | kCentered},
    {1041, ItemKind::InfoBox, ByteX(4), 40, 40, 45, u"", kBox},
    {1048, ItemKind::Static, ByteX(3), 5, 40, 10, u"byte #&3", kCentered},
    {1014, ItemKind::Input, ByteX(3), 15, 40, 20, u"", kEdit | kCentered},
    {1040, ItemKind::InfoBox, ByteX(3), 40, 40, 45, u"", kBox},
    {1047, ItemKind::Static, ByteX(2), 5, 40, 10, u"byte #&2", kCentered},
    {1015, ItemKind::Input, ByteX(2), 15, 40, 20, u"", kEdit | kCentered},
    {1039, ItemKind::InfoBox, ByteX(2), 40, 40, 45, u"", kBox},
    {1046, ItemKind::Static, ByteX(1), 5, 40, 10, u"byte #&1", kCentered},
    {1016, ItemKind::Input, ByteX(1), 15, 40, 20, u"", kEdit | kCentered},
    {1038, ItemKind::InfoBox, ByteX(1), 40, 40, 45, u"", kBox},
    {1045, ItemKind::Static, ByteX(0), 5, 40, 10, u"byte #&0", kCentered},
    {1017, ItemKind::Input, ByteX(0), 15, 40, 20, u"", kEdit | kCentered},
    {1037, ItemKind::InfoBox, ByteX(0), 40, 40, 45, u"", kBox},
    {1063, ItemKind::PushButton, 95, 90, 40, 10, u"W-Swap", kButton},
    {1060, ItemKind::PushButton, 140, 90, 40, 10, u"B-Swap", kButton},
    {1054, ItemKind::Static, 5, 90, 85, 10, u"High &Integer (32-bit)", kStyleNone},
    {1018, ItemKind::Input, 5, 100, 175, 20, u"", kEdit | kRightAligned},
    {1019, ItemKind::InfoBox, 5, 125, 175, 30, u"", kBox},
    {1064, ItemKind::PushButton, 275, 90, 40, 10, u"W-Swap", kButton},
    {1061, ItemKind::PushButton, 320, 90, 40, 10, u"B-Swap", kButton},
    {1053, ItemKind::Static, 185, 90, 85, 10, u"Low I&nteger (32-bit)", kStyleNone},
    {1020, ItemKind::Input, 185, 100, 175, 20, u"", kEdit | kRightAligned},
    {1021, ItemKind::InfoBox, 185, 125, 175, 30, u"", kBox},
    {1066, ItemKind::PushButton, 230, 160, 40, 10, u"DW-Swap", kButton},
    {1065, ItemKind::PushButton, 275, 160, 40, 10, u"W-Swap", kButton},
    {1062, ItemKind::PushButton, 320, 160, 40, 10, u"B-Swap", kButton},
    {1055, ItemKind::Static, 5, 160, 130, 10, u"Hu&ge Integer (64-bit)", kStyleNone},
    {1005, ItemKind::Input, 5, 170, 355, 20, u"", kEdit | kRightAligned},
    {1022, ItemKind::InfoBox, 5, 195, 355, 30, u"", kBox},
    {1058, ItemKind::Static, 5, 230, 355, 10,
     u"Hint: valid float/single/double keywords are: [+] [-] { SNaN | QNaN | Inf }", kStyleNone},
    {1057, ItemKind::Static, 5, 240, 175, 10, u"High IEEE &Float/Single (32-bit)", kStyleNone},
    {1023, ItemKind::Input, 5, 250, 175, 20, u"", kEdit | kRightAligned},
    {1024, ItemKind::InfoBox, 5, 275, 175, 20, u"", kBox},
    {1056, ItemKind::Static, 185, 240, 175, 10, u"Low IEEE Fl&oat/Single (32-bit)", kStyleNone},
    {1025, ItemKind::Input, 185, 250, 175, 20, u"", kEdit | kRightAligned},
    {1026, ItemKind::InfoBox, 185, 275, 175, 20, u"", kBox},
    {1028, ItemKind::PushButton, 325, 297, 35, 15, u"For&mats", kButton | kHidden},
    {1059, ItemKind::Static, 5, 304, 155, 10, u"IEEE &Double (64-bit)", kStyleNone},
    {1001, ItemKind::Input, 5, 314, 355, 21, u"", kEdit | kRightAligned},
    {1008, ItemKind::InfoBox, 5, 340, 355, 20, u"", kBox},
    {1032, ItemKind::Input, 5, 366, 355, 12, u"", kEdit | kReadOnly | kCentered},
}};

}  // namespace

const DialogTemplate& MainDialogTemplate() noexcept {
  static constexpr DialogTemplate kTemplate{102, u"Bitvane", 365, 385, kItems};
  return kTemplate;
}

}  // namespace bitvane
