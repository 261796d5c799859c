#include "ui/button_look.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPoint>

#include <vector>

#include "ui/button_tints.h"
#include "ui/qt_colors.h"

namespace bitvane {

namespace {

// Every other pixel of the outline of `outline` (right and bottom inclusive), walked
// clockwise from the top-left corner, which is always drawn.
void DrawDottedOutline(QPainter& painter, const QRect& outline, const QColor& color) {
  if (outline.width() < 2 || outline.height() < 2) return;  // no room for an outline
  std::vector<QPoint> dots;
  int step = 0;
  const auto visit = [&](int x, int y) {
    if (step++ % 2 == 0) dots.emplace_back(x, y);
  };
  for (int x = outline.left(); x < outline.right(); ++x) visit(x, outline.top());
  for (int y = outline.top(); y < outline.bottom(); ++y) visit(outline.right(), y);
  for (int x = outline.right(); x > outline.left(); --x) visit(x, outline.bottom());
  for (int y = outline.bottom(); y > outline.top(); --y) visit(outline.left(), y);
  painter.setPen(QPen(color, 0));
  painter.drawPoints(dots.data(), static_cast<int>(dots.size()));
}

}  // namespace

void PaintOwnerButton(QPainter& painter, const QRect& rect, const ButtonLook& look) {
  ColorRef face = look.faceColor;
  ColorRef text = look.textColor;
  ColorRef frame = look.frameColor;
  if (look.pressed) {
    face = Tint(face, look.pressedTintChannel, look.tintAmount);
  } else if (look.disabled) {
    text = Grey(text, look.greyAmount);
    frame = Grey(frame, look.greyAmount);
  } else if (look.hovering) {
    face = Tint(face, look.hoverTintChannel, look.tintAmount);
  } else if (look.isDefault) {
    frame = Tint(frame, look.hoverTintChannel, look.tintAmount);
  }

  painter.save();
  painter.setClipRect(rect, Qt::IntersectClip);
  painter.setRenderHint(QPainter::Antialiasing, false);

  painter.fillRect(rect, ToQColor(frame));
  painter.fillRect(rect.adjusted(1, 1, -1, -1), ToQColor(face));
  // 3 pixels in from every edge: the outline sits two face pixels away from the frame.
  if (look.focus) DrawDottedOutline(painter, rect.adjusted(3, 3, -3, -3), ToQColor(frame));

  painter.setPen(ToQColor(text));
  const int textFlags =
      Qt::TextSingleLine | (look.underlineMnemonic ? Qt::TextShowMnemonic : Qt::TextHideMnemonic);
  const bool hasIcon = !look.icon.isNull() && !look.iconSize.isEmpty();
  if (!hasIcon) {
    if (!look.text.isEmpty()) painter.drawText(rect, textFlags | Qt::AlignCenter, look.text);
  } else {
    const int w = look.iconSize.width();
    const int h = look.iconSize.height();
    // Centres from the edges that bound the rectangle (one past its last pixel).
    int x = (rect.left() + rect.left() + rect.width()) / 2 - w / 2;
    const int y = (rect.top() + rect.top() + rect.height()) / 2 - h / 2;
    if (!look.text.isEmpty()) {
      // The width as shown, without the mnemonic's ampersand.
      const int textWidth = painter.fontMetrics().size(textFlags, look.text).width();
      x -= (look.gap + textWidth) / 2;
    }
    look.icon.paint(&painter, QRect(x, y, w, h), Qt::AlignCenter,
                    look.disabled ? QIcon::Disabled : QIcon::Normal);
    const QRect textRect(QPoint(x + w + look.gap, rect.top()), rect.bottomRight());
    if (!look.text.isEmpty() && textRect.isValid()) {
      painter.drawText(textRect, textFlags | Qt::AlignLeft | Qt::AlignVCenter, look.text);
    }
  }
  painter.restore();
}

}  // namespace bitvane
