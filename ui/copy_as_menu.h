#pragma once
// The "Copy as" submenu of an input line's context menu: the view's bits as code.

#include <functional>
#include <string>

#include "core/copy_as.h"

class QMenu;

namespace bitvane {

// Appends a separator and the submenu "Copy &as" whose items put `text(format)` on the
// clipboard: a C/C++ literal, a hexadecimal float, the bytes in memory order and
// most significant first, and a Python struct.pack call.
void AppendCopyAsMenu(QMenu* menu, std::function<std::string(CopyFormat)> text);

}  // namespace bitvane
