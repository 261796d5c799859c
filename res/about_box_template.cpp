// The About box: 236 x 81 dialog units, laid out again in pixels once its text is known.

#include <array>

#include "res/dialog_template.h"

namespace bitvane {

namespace {

constexpr std::array<DialogItem, 3> kItems{{
    {1, ItemKind::PushButton, 195, 55, 35, 20, u"OK", kTabStop | kDefaultButton | kOwnerDraw},
    {1029, ItemKind::Static, 210, 5, 20, 20, u"", kStyleNone},
    {1007, ItemKind::InfoBox, 5, 5, 180, 70, u"", kTabStop | kReadOnly},
}};

}  // namespace

const DialogTemplate& AboutBoxTemplate() noexcept {
  static constexpr DialogTemplate kTemplate{0, u"About", 236, 81, kItems};
  return kTemplate;
}

}  // namespace bitvane
