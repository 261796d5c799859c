// Template 103, the floating point formats: 182 x 126 dialog units. Each group box
// frames a format's combo box and the sample box below it.

#include <array>

#include "res/dialog_template.h"

namespace bitvane {

namespace {

constexpr unsigned kSample = kSunken | kCentered;

constexpr std::array<DialogItem, 8> kItems{{
    {kNoId, ItemKind::GroupBox, 5, 5, 170, 45, u"&Float / Single (32-bit)", kStyleNone},
    {1031, ItemKind::ComboBox, 10, 15, 160, 110, u"", kTabStop},
    {1030, ItemKind::Static, 10, 30, 160, 15, u"", kSample},
    {kNoId, ItemKind::GroupBox, 5, 55, 170, 45, u"&Double (64-bit)", kStyleNone},
    {1033, ItemKind::ComboBox, 10, 65, 160, 100, u"", kTabStop},
    {1032, ItemKind::Static, 10, 80, 160, 15, u"", kSample},
    {1, ItemKind::PushButton, 100, 105, 35, 15, u"OK", kTabStop | kDefaultButton},
    {2, ItemKind::PushButton, 140, 105, 35, 15, u"Cancel", kTabStop},
}};

}  // namespace

const DialogTemplate& FormatsDialogTemplate() noexcept {
  static constexpr DialogTemplate kTemplate{103, u"Floating point formats", 182, 126, kItems};
  return kTemplate;
}

}  // namespace bitvane
