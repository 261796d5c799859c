#pragma once
// The window's icons: icon 128 at the small-icon size (title bar) and at the icon size
// (task switcher). A minimised window and a dragged one show the same icon.

class QWidget;

namespace bitvane {

inline constexpr int kApplicationIcon = 128;

// Sets `window`'s icon from the icon pool at the style's small and large icon sizes;
// sizes the pool cannot give are left out.
void SetWindowIcons(QWidget* window);

}  // namespace bitvane
