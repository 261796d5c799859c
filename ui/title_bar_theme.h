#pragma once
// The dark or light variant hint of a window's title bar, where the window system
// honours one (X11 window managers read _GTK_THEME_VARIANT); elsewhere nothing.

#include <QWidget>

namespace bitvane {

// Sets the hint on the window's native window; false where there is none to set.
bool SetDarkTitleBarHint(QWidget* window, bool dark);

}  // namespace bitvane
