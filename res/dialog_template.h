#pragma once
// Dialog templates as data: each control with its id, kind, rectangle in dialog units,
// text and style. The ui builds dialogs from them; the order of the items is the tab
// order.

#include <span>
#include <string_view>

namespace bitvane {

enum class ItemKind {
  PushButton,
  Static,   // a label
  Input,    // a single-line edit
  InfoBox,  // a read-only multi-line edit
};

enum ItemStyle : unsigned {
  kStyleNone = 0,
  kHidden = 1u << 0,
  kDisabled = 1u << 1,
  kDefaultButton = 1u << 2,
  kOwnerDraw = 1u << 3,
  kCentered = 1u << 4,
  kRightAligned = 1u << 5,
  kReadOnly = 1u << 6,
  kTabStop = 1u << 7,
};

struct DialogItem {
  int id;
  ItemKind kind;
  int x, y, width, height;  // dialog units
  std::u16string_view text;
  unsigned style;
};

struct DialogTemplate {
  int id;
  std::u16string_view caption;
  int width, height;  // client area, dialog units
  std::span<const DialogItem> items;
};

// Template 102: the main dialog.
[[nodiscard]] const DialogTemplate& MainDialogTemplate() noexcept;

}  // namespace bitvane
