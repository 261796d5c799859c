// Runs every widget test class of the ui library (CTest sets QT_QPA_PLATFORM=offscreen).

#include <QApplication>
#include <QtTest>

#include "tests/ui/ui_test.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int failures = 0;
  for (const auto& make : bitvane::test::UiTests())
    failures += QTest::qExec(make().get(), argc, argv);
  return failures == 0 ? 0 : 1;
}
