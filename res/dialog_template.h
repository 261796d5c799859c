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
  // An editable drop-down list whose list scrolls vertically. Its height is that of the
  // dropped-down list; the closed box is one line high.
  ComboBox,
  // A titled frame; the items after it that start inside it belong to it.
  GroupBox,
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
  kSunken = 1u << 8,  // a static with a sunken frame
};

// The id of an item that no code looks up, such as a group box.
inline constexpr int kNoId = -1;

struct DialogItem {
  int id;  // kNoId for none
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
// Template 103: the floating point formats.
[[nodiscard]] const DialogTemplate& FormatsDialogTemplate() noexcept;
// The About box, an in-memory template without a resource number.
[[nodiscard]] const DialogTemplate& AboutBoxTemplate() noexcept;

}  // namespace bitvane
