#pragma once
// Shared by the widget tests: BITVANE_UI_TEST(Class) registers a test class for
// ui_test_main; BITVANE_ROW(label) names the table row a failing check was in.

#include <QtTest>
#include <QtWidgets>
#include <functional>

namespace bitvane::test {

inline std::vector<std::function<std::unique_ptr<QObject>()>>& UiTests() {
  static std::vector<std::function<std::unique_ptr<QObject>()>> tests;
  return tests;
}

// The paints `widget` receives from `change`: how a test sees a repaint asked for.
inline int PaintsAfter(QWidget* widget, const std::function<void()>& change) {
  struct Counter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      paints += event->type() == QEvent::Paint ? 1 : 0;
      return false;
    }
  } counter;
  QCoreApplication::processEvents();
  widget->installEventFilter(&counter);
  change();
  QCoreApplication::processEvents();
  return counter.paints;
}

}  // namespace bitvane::test

#define BITVANE_UI_TEST(Class)          \
  static const bool registered##Class = \
      (::bitvane::test::UiTests().push_back([] { return std::make_unique<Class>(); }), true);
#define BITVANE_ROW(label)                                                             \
  const auto rowTrace = qScopeGuard([&] {                                              \
    if (QTest::currentTestFailed()) qWarning("in row %s", qPrintable(QString(label))); \
  })
