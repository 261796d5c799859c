#pragma once
// Widget test classes register themselves here; ui_test_main runs them all.
//
//   class OwnerButtonTest : public QObject { Q_OBJECT private slots: ... };
//   BITVANE_UI_TEST(OwnerButtonTest)

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace bitvane::test {

using UiTestFactory = std::function<std::unique_ptr<QObject>()>;

inline std::vector<UiTestFactory>& UiTests() {
  static std::vector<UiTestFactory> tests;
  return tests;
}

template <class T>
struct UiTestRegistration {
  UiTestRegistration() {
    UiTests().push_back([] { return std::make_unique<T>(); });
  }
};

}  // namespace bitvane::test

#define BITVANE_UI_TEST(Class) \
  static const ::bitvane::test::UiTestRegistration<Class> registration##Class;
