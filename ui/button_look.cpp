#include "ui/button_look.h"

#include <QFontMetrics>
#include <QImage>
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

// The pixels the text's ink covers when drawText lays it out in `rect` with `flags`,
// mnemonic underline included: found by drawing it once more into a mask of the same
// density, since font metrics alone miss the underline and the hinting.
QRect TextInk(const QPainter& painter, const QRect& rect, int flags, const QString& text) {
  QImage mask(rect.size(), QImage::Format_Grayscale8);
  const QPaintDevice* device = painter.device();
  if (device != nullptr) {
    constexpr double kInchesPerMetre = 1 / 0.0254;
    mask.setDotsPerMeterX(qRound(device->logicalDpiX() * kInchesPerMetre));
    mask.setDotsPerMeterY(qRound(device->logicalDpiY() * kInchesPerMetre));
  }
  mask.fill(0);
  {
    QPainter maskPainter(&mask);
    maskPainter.setFont(painter.font());
    maskPainter.setPen(Qt::white);
    maskPainter.drawText(QRect(QPoint(0, 0), rect.size()), flags, text);
  }
  QRect ink;
  for (int y = 0; y < mask.height(); ++y) {
    const uchar* row = mask.constScanLine(y);
    for (int x = 0; x < mask.width(); ++x) {
      if (row[x] != 0) ink |= QRect(x, y, 1, 1);
    }
  }
  return ink.translated(rect.topLeft());
}

// The focus outline: 3 pixels inside every edge, moved towards the frame (never onto
// it) where a low or narrow button would have it run through the text.
QRect FocusOutline(const QRect& rect, const QRect& ink) {
  int dx = 3;
  int dy = 3;
  if (!ink.isEmpty()) {
    while (dy > 1 && (rect.top() + dy >= ink.top() || rect.bottom() - dy <= ink.bottom())) --dy;
    while (dx > 1 && (rect.left() + dx >= ink.left() || rect.right() - dx <= ink.right())) --dx;
  }
  return rect.adjusted(dx, dy, -dx, -dy);
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

  const int textFlags =
      Qt::TextSingleLine | (look.underlineMnemonic ? Qt::TextShowMnemonic : Qt::TextHideMnemonic);
  const bool hasIcon = !look.icon.isNull() && !look.iconSize.isEmpty();
  if (look.focus) {
    const QRect ink = hasIcon || look.text.isEmpty()
                          ? QRect()
                          : TextInk(painter, rect, textFlags | Qt::AlignCenter, look.text);
    DrawDottedOutline(painter, FocusOutline(rect, ink), ToQColor(frame));
  }

  painter.setPen(ToQColor(text));
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
