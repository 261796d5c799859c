#pragma once
// Counts the paint events a shown widget receives: how a test sees that a change
// asked for a repaint.

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace bitvane::test {

class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  // The paints that `change` causes once the pending events are handled.
  template <class Change>
  int PaintsAfter(Change change) {
    QCoreApplication::processEvents();
    m_paints = 0;
    change();
    QCoreApplication::processEvents();
    return m_paints;
  }

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++m_paints;
    return false;
  }

 private:
  int m_paints = 0;
};

}  // namespace bitvane::test
