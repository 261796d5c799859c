#include "ui/info_box.h"

#include <QEvent>
#include <QFocusEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QTextCursor>

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

}  // namespace bitvane
