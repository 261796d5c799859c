#pragma once
// Builds a dialog's controls from a template: kinds, texts and styles, rectangles in
// dialog units of the dialog's font, the tab order of the template, and each label's
// mnemonic moving the focus to the next control with a tab stop.

#include <QDialog>
#include <QFont>
#include <QRect>

#include "res/dialog_template.h"

namespace bitvane {

// Dialog units of a font: a quarter of its average character width across, an eighth
// of its height down.
struct DialogUnits {
  int baseX;  // average character width, pixels
  int baseY;  // character height, pixels

  [[nodiscard]] static DialogUnits Of(const QFont& font);
  // The pixel rectangle of a rectangle in dialog units. Its four edges are converted
  // one by one, so rectangles that are apart in dialog units stay apart in pixels.
  [[nodiscard]] QRect ToPixels(int x, int y, int width, int height) const;
};

// Creates every item of the template as a child of `dialog`, tagged with its control
// id: push buttons (OwnerButton when owner-drawn), labels (sunken or not), single-line
// inputs, read-only multi-line boxes with centred text, editable combo boxes and group
// boxes, an item that starts inside a group box becoming that box's child. Sets the
// caption and a fixed client size.
void BuildDialogFromTemplate(QDialog* dialog, const DialogTemplate& dialogTemplate);

// A dialog's start: the focus goes to the first control of the template with a tab stop
// that is visible and enabled, and an input line (or a combo box's) there gets its whole
// text selected, so that the first key typed replaces it. Returns that control, or null
// when there is none.
QWidget* SetInitialFocus(QDialog* dialog, const DialogTemplate& dialogTemplate);

}  // namespace bitvane
