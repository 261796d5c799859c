#pragma once
// The light and dark themes of the main dialog's controls.

#include <QWidget>

namespace bitvane {

class DlgCtrlColors;

// Applies the theme to `dialog`, whose colour table `colors` is attached to it: the
// title-bar hint, then the colours of the dialog itself, the labels, the input lines
// and the information boxes through the table, then the face, text and frame of the
// owner-drawn buttons, each followed by a repaint.
void ApplyTheme(QWidget* dialog, DlgCtrlColors& colors, bool dark);

}  // namespace bitvane
