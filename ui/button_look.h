#pragma once
// Everything a self-painting button shows, as plain data, and the painting of it. The
// widget fills the record from itself; tests fill it by hand to render any state.

#include <QIcon>
#include <QRect>
#include <QSize>
#include <QString>

#include "core/status_colors.h"

class QPainter;

namespace bitvane {

struct ButtonLook {
  QString text;    // one line; '&' marks a mnemonic, "&&" shows one ampersand
  QIcon icon;      // none when null
  QSize iconSize;  // the size the icon is drawn in; an empty size means no icon

  // Real colours (0x00BBGGRR), defaults already resolved, before the state changes them.
  ColorRef faceColor = 0;
  ColorRef textColor = 0;
  ColorRef frameColor = 0;

  int gap = 4;  // pixels between icon and text
  unsigned tintAmount = 17;
  unsigned greyAmount = 102;
  unsigned hoverTintChannel = 2;    // blue
  unsigned pressedTintChannel = 0;  // red

  bool pressed = false;
  bool disabled = false;
  bool hovering = false;
  bool isDefault = false;
  bool focus = false;
  bool underlineMnemonic = true;  // false hides the mnemonic's underline
};

// Paints the button into `rect` with the painter's font, touching no pixel outside it.
// The state picks the colours, first match wins: pressed tints the face with the pressed
// channel; disabled greys text and frame; hovering tints the face with the hover channel;
// the default button tints the frame with the hover channel. The face fills the rectangle,
// the frame takes its outermost pixels, a dotted frame-coloured outline 3 pixels inside
// marks the focus; on a button too low or narrow for that it moves towards the frame,
// never onto it, so that it does not run through a text without icon. The text is centred on one
// line; with an icon, icon and text are centred together, `gap` apart, and a disabled button draws
// the icon's disabled form.
void PaintOwnerButton(QPainter& painter, const QRect& rect, const ButtonLook& look);

}  // namespace bitvane
