#include "ui/info_box.h"

#include <QEvent>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolTip>
#include <cstdlib>
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
  // A rewritten text keeps the highlight where it was, as long as a character that a
  // click acts on still stands there.
  connect(this, &QTextEdit::textChanged, this, [this] {
    if (m_highlight) SetHighlight(IsClickable(*m_highlight) ? m_highlight : std::nullopt);
  });
}

// The box's text colour contrasts with its face in either theme.
QColor InfoBox::FocusColor() const {
  return palette().color(QPalette::Active, QPalette::Text);
}

// The style's frame lies outside the viewport that shows the text; with the focus it is
// painted over in the focus colour once the style has drawn it.
bool InfoBox::event(QEvent* event) {
  const bool handled = QTextEdit::event(event);
  if (event->type() == QEvent::PaletteChange && m_highlight) PaintHighlight();
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
    if (m_highlight) SetHighlight(std::nullopt);
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
  if (CharacterAt(event->position().toPoint()) != pressed) return;
  if (m_highlight) SetHighlight(pressed);
  emit characterClicked(pressed->y(), pressed->x());
}

bool InfoBox::IsClickable(QPoint at) const {
  return m_clickable && m_clickable(at.y(), at.x()).has_value();
}

QTextCursor InfoBox::CursorAt(QPoint at) const {
  QTextCursor cursor(document());
  cursor.setPosition(document()->findBlockByNumber(at.y()).position() + at.x());
  return cursor;
}

QRect InfoBox::CharacterRect(QPoint at) const {
  QTextCursor cursor = CursorAt(at);
  const QRect left = cursorRect(cursor);
  cursor.movePosition(QTextCursor::Right);
  return QRect(left.topLeft(), QPoint(cursorRect(cursor).left() - 1, left.bottom()));
}

std::optional<QPoint> InfoBox::HighlightTarget(int key) const {
  const QTextDocument* text = document();
  const auto length = [text](int line) { return text->findBlockByNumber(line).length() - 1; };
  // The next clickable character from `from` (not itself) one `step` at a time, in
  // reading order, or within its line.
  const auto scan = [&](QPoint at, int step, bool withinLine) -> std::optional<QPoint> {
    for (;;) {
      at.rx() += step;
      if (at.x() < 0 || at.x() >= length(at.y())) {
        at.ry() += step;
        if (withinLine || at.y() < 0 || at.y() >= text->blockCount()) return std::nullopt;
        at.rx() = step > 0 ? -1 : length(at.y());
      } else if (IsClickable(at)) {
        return at;
      }
    }
  };
  if (!m_highlight) {  // the first key: the character at the text cursor or after it
    const QTextCursor cursor = textCursor();
    const QPoint start(cursor.positionInBlock(), cursor.blockNumber());
    if (IsClickable(start)) return start;
    if (std::optional<QPoint> after = scan(start, 1, false)) return after;
    return scan(start, -1, false);
  }
  const QPoint at = *m_highlight;
  switch (key) {
    case Qt::Key_Left:
      return scan(at, -1, false);
    case Qt::Key_Right:
      return scan(at, 1, false);
    case Qt::Key_Home:
      return scan(QPoint(-1, at.y()), 1, true);
    case Qt::Key_End:
      return scan(QPoint(length(at.y()), at.y()), -1, true);
    default:
      break;
  }
  // Up and Down: the nearest line that has clickable characters, the one nearest across.
  const int step = key == Qt::Key_Up ? -1 : 1;
  const int across = CharacterRect(at).center().x();
  for (int line = at.y() + step; line >= 0 && line < text->blockCount(); line += step) {
    std::optional<QPoint> nearest;
    int distance = 0;
    for (std::optional<QPoint> next = scan(QPoint(-1, line), 1, true); next;
         next = scan(*next, 1, true)) {
      const int off = std::abs(CharacterRect(*next).center().x() - across);
      if (!nearest || off < distance) {
        nearest = next;
        distance = off;
      }
    }
    if (nearest) return nearest;
  }
  return std::nullopt;
}

void InfoBox::SetHighlight(std::optional<QPoint> at) {
  m_highlight = at;
  if (at) {  // Shift and the arrows select from there, as from any text cursor
    setTextCursor(CursorAt(*at));
  }
  PaintHighlight();
}

// The highlighted character in the box's colours swapped, as a block cursor.
void InfoBox::PaintHighlight() {
  QList<QTextEdit::ExtraSelection> selections;
  if (m_highlight) {
    QTextEdit::ExtraSelection selection;
    selection.cursor = CursorAt(*m_highlight);
    selection.cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor);
    selection.format.setBackground(FocusColor());
    selection.format.setForeground(palette().color(QPalette::Active, QPalette::Base));
    selections << selection;
  }
  setExtraSelections(selections);
}

void InfoBox::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (m_clickable && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    if (key == Qt::Key_Space && m_highlight) {
      emit characterClicked(m_highlight->y(), m_highlight->x());
      return;
    }
    if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down ||
        key == Qt::Key_Home || key == Qt::Key_End) {
      const std::optional<QPoint> to = HighlightTarget(key);
      if (to) {
        SetHighlight(to);
        // The bit's tooltip, as the pointer would show it, below the character.
        QToolTip::showText(viewport()->mapToGlobal(CharacterRect(*to).bottomLeft()),
                           *m_clickable(to->y(), to->x()), viewport());
      }
      if (to || m_highlight) return;
    }
  }
  QTextEdit::keyPressEvent(event);
}

}  // namespace bitvane
