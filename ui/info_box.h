#pragma once
// A read-only box that takes a value's bits apart. Its text can be selected and copied.
// With the focus it shows a frame in its text colour, one pixel wider than the style's
// frame, so that a box reached by Tab is as plain to see as an input line; when the
// focus moves on to another control its selection is dropped, so that only one control
// ever looks active.

#include <QPoint>
#include <QTextCursor>
#include <QTextEdit>
#include <functional>
#include <optional>

class QEvent;
class QFocusEvent;
class QKeyEvent;
class QMouseEvent;
class QPaintEvent;

namespace bitvane {

class InfoBox : public QTextEdit {
  Q_OBJECT

 public:
  explicit InfoBox(QWidget* parent = nullptr);

  // Tells what the character at `line`, `column` of the text stands for: a tooltip for
  // a character that a click acts on, none for the others. Over such a character the
  // pointer is a hand, and a click on it (a press and release without a drag) emits
  // characterClicked. With the focus, the arrow keys (and Home and End within a line)
  // move a highlight among those characters and Space clicks the highlighted one; the
  // highlight shows from the first such key until the focus moves on.
  void SetClickableCharacters(std::function<std::optional<QString>(int line, int column)> tip);
  // The tooltip anywhere else in the box, asked for when it is to show.
  void SetBoxToolTip(std::function<QString()> tip) { m_boxTip = std::move(tip); }

 signals:
  void characterClicked(int line, int column);

 protected:
  bool event(QEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  [[nodiscard]] QColor FocusColor() const;
  // The line and column of the character under `point` (viewport coordinates).
  [[nodiscard]] std::optional<QPoint> CharacterAt(const QPoint& point) const;
  // Characters as QPoint(column, line), as CharacterAt gives them.
  [[nodiscard]] bool IsClickable(QPoint at) const;
  // Where `key` moves the highlight to; none when it stays.
  [[nodiscard]] std::optional<QPoint> HighlightTarget(int key) const;
  [[nodiscard]] QTextCursor CursorAt(QPoint at) const;  // before the character
  [[nodiscard]] QRect CharacterRect(QPoint at) const;
  void SetHighlight(std::optional<QPoint> at);
  void PaintHighlight();

  std::function<std::optional<QString>(int, int)> m_clickable;
  std::optional<QPoint> m_pressed;  // the clickable character a press began on
  std::function<QString()> m_boxTip;
  std::optional<QPoint> m_highlight;  // the character the keys act on
};

}  // namespace bitvane
