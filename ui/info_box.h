#pragma once
// A read-only box that takes a value's bits apart. Its text can be selected and copied.
// With the focus it shows a frame in its text colour, one pixel wider than the style's
// frame, so that a box reached by Tab is as plain to see as an input line; when the
// focus moves on to another control its selection is dropped, so that only one control
// ever looks active.

#include <QTextEdit>

class QEvent;
class QFocusEvent;
class QPaintEvent;

namespace bitvane {

class InfoBox : public QTextEdit {
  Q_OBJECT

 public:
  explicit InfoBox(QWidget* parent = nullptr);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  [[nodiscard]] QColor FocusColor() const;
};

}  // namespace bitvane
