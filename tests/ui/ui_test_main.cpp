// Runs every widget test class of the ui library in one executable, under whatever
// platform QT_QPA_PLATFORM names (CTest sets "offscreen").

#include <QApplication>
#include <QtTest>

#include "tests/ui/ui_test_registry.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int failures = 0;
  for (const auto& make : bitvane::test::UiTests()) {
    const std::unique_ptr<QObject> test = make();
    failures += QTest::qExec(test.get(), argc, argv);
  }
  return failures == 0 ? 0 : 1;
}
