#include "ui/info_box.h"

#include <QEvent>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolTip>
#include <utility>

namespace bitvane {

InfoBox::InfoBox(QWidget* parent) : QTextEdit(parent) {
  setReadOnly(true);
  setAcceptRichText(false);
  setLineWrapMode(QTextEdit::NoWrap);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  document()->setDocumentMargin(1);
}

// The box's text colour contrasts with its face in either theme.
QColor InfoBox::FocusColor() const {
  return palette().color(QPalette::Active, QPalette::Text);
}

// The style's frame lies outside the viewport that shows the text; with the focus it is
// painted over in the focus colour once the style has drawn it.
bool InfoBox::event(QEvent* event) {
  const bool handled = QTextEdit::event(event);
  if (event->type() == QEvent::Paint && hasFocus()) {
    QPainter painter(this);
    const QRect box = rect();
    const QRect inside = contentsRect();
    const QColor color = FocusColor();
    painter.fillRect(QRect(box.left(), box.top(), box.width(), inside.top() - box.top()), color);
    painter.fillRect(
        QRect(box.left(), inside.bottom() + 1, box.width(), box.bottom() - inside.bottom()), color);
    painter.fillRect(QRect(box.left(), inside.top(), inside.left() - box.left(), inside.height()),
                     color);
    painter.fillRect(
        QRect(inside.right() + 1, inside.top(), box.right() - inside.right(), inside.height()),
        color);
  }
  return handled;
}

// The outermost pixels of the viewport (the document's margin, never text) widen the
// focus frame by one, so that it shows even where the style's frame is thin.
void InfoBox::paintEvent(QPaintEvent* event) {
  QTextEdit::paintEvent(event);
  if (!hasFocus()) return;
  QPainter painter(viewport());
  painter.setPen(FocusColor());
  painter.drawRect(viewport()->rect().adjusted(0, 0, -1, -1));
}

void InfoBox::focusInEvent(QFocusEvent* event) {
  QTextEdit::focusInEvent(event);
  update();
  viewport()->update();
}

// A context menu or another window taking the focus for a while keeps the selection,
// as an input line does; moving on within the dialog drops it.
void InfoBox::focusOutEvent(QFocusEvent* event) {
  const Qt::FocusReason reason = event->reason();
  if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection()) {
      cursor.clearSelection();
      setTextCursor(cursor);
    }
  }
  QTextEdit::focusOutEvent(event);
  update();
  viewport()->update();
}

void InfoBox::SetClickableCharacters(std::function<std::optional<QString>(int, int)> tip) {
  m_clickable = std::move(tip);
  viewport()->setMouseTracking(static_cast<bool>(m_clickable));
}

std::optional<QPoint> InfoBox::CharacterAt(const QPoint& point) const {
  const QTextCursor nearest = cursorForPosition(point);
  int position = nearest.position();
  // The nearest boundary may lie right of the character under the pointer.
  if (point.x() < cursorRect(nearest).left()) --position;
  const QTextBlock block = document()->findBlock(position);
  const int column = position - block.position();
  if (!block.isValid() || position < 0 || column < 0 || column >= block.length() - 1)
    return std::nullopt;
  QTextCursor next(document());
  next.setPosition(position + 1);
  if (point.x() >= cursorRect(next).left() + 1) return std::nullopt;  // past the line's end
  return QPoint(column, block.blockNumber());
}

bool InfoBox::viewportEvent(QEvent* event) {
  if ((m_clickable || m_boxTip) &&
      (event->type() == QEvent::MouseMove || event->type() == QEvent::ToolTip)) {
    const QPoint point = event->type() == QEvent::ToolTip
                             ? static_cast<QHelpEvent*>(event)->pos()
                             : static_cast<QMouseEvent*>(event)->position().toPoint();
    const std::optional<QPoint> at = m_clickable ? CharacterAt(point) : std::nullopt;
    std::optional<QString> tip = at ? m_clickable(at->y(), at->x()) : std::nullopt;
    if (tip) {
      viewport()->setCursor(Qt::PointingHandCursor);
    } else {
      viewport()->unsetCursor();
      if (m_boxTip) tip = m_boxTip();
    }
    if (event->type() == QEvent::ToolTip) {
      if (tip) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), *tip, viewport());
      } else {
        QToolTip::hideText();
      }
      return true;
    }
  }
  return QTextEdit::viewportEvent(event);
}

void InfoBox::mousePressEvent(QMouseEvent* event) {
  m_pressed.reset();
  if (m_clickable && event->button() == Qt::LeftButton) {
    const std::optional<QPoint> at = CharacterAt(event->position().toPoint());
    if (at && m_clickable(at->y(), at->x())) m_pressed = at;
  }
  QTextEdit::mousePressEvent(event);
}

void InfoBox::mouseReleaseEvent(QMouseEvent* event) {
  QTextEdit::mouseReleaseEvent(event);
  const std::optional<QPoint> pressed = std::exchange(m_pressed, std::nullopt);
  if (!pressed || event->button() != Qt::LeftButton || textCursor().hasSelection()) return;
  if (CharacterAt(event->position().toPoint()) == pressed)
    emit characterClicked(pressed->y(), pressed->x());
}

}  // namespace bitvane
