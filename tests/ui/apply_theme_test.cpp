#include "ui/apply_theme.h"

#include <QDBusVariant>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

#include "core/view_table.h"
#include "tests/ui/ui_test_registry.h"
#include "tools/theme_demo/theme_demo_dialog.h"
#include "ui/control_ids.h"
#include "ui/dlg_ctrl_colors.h"
#include "ui/owner_button.h"
#include "ui/system_theme.h"
#include "ui/theme_lists.h"

namespace bitvane {
namespace {

// What a theme leaves on a dialog's widgets: palettes, background filling and the
// owner-drawn buttons' colours, by control id.
struct Look {
  QMap<int, QPalette> palettes;
  QMap<int, bool> filled;
  QMap<int, QList<ColorRef>> buttons;
};

Look LookOf(QWidget* dialog) {
  Look look;
  const QList<QWidget*> widgets = dialog->findChildren<QWidget*>() << dialog;
  for (QWidget* widget : widgets) {
    const int id = widget == dialog ? kOwnerWindowId : ControlIdOf(widget);
    if (id == 0) continue;
    look.palettes[id] = widget->palette();
    look.filled[id] = widget->autoFillBackground();
    if (auto* button = qobject_cast<OwnerButton*>(widget)) {
      look.buttons[id] = {button->FaceColor(), button->TextColor(), button->FrameColor()};
    }
  }
  return look;
}

Look FreshLook(bool dark) {
  auto dialog = tools::MakeThemeDemoDialog();
  DlgCtrlColors colors;
  colors.Attach(dialog.get());
  ApplyTheme(dialog.get(), colors, dark);
  return LookOf(dialog.get());
}

class ApplyThemeTest : public QObject {
  Q_OBJECT

 private slots:
  // Dark colours reach every kind of control; light keeps only the information tint.
  void themeColoursReachTheWidgets() {
    auto dialog = tools::MakeThemeDemoDialog();
    DlgCtrlColors colors;
    colors.Attach(dialog.get());
    ApplyTheme(dialog.get(), colors, true);
    const auto color = [&](int id, QPalette::ColorRole role) {
      return FindControl(dialog.get(), id)->palette().color(role);
    };
    QCOMPARE(color(1017, QPalette::Base), QColor(0, 0, 0));
    QCOMPARE(color(1017, QPalette::Text), QColor(255, 255, 255));
    QCOMPARE(color(1037, QPalette::Base), QColor(0, 51, 102));
    QCOMPARE(dialog->palette().color(QPalette::Window), QColor(51, 51, 51));
    auto* button = qobject_cast<OwnerButton*>(FindControl(dialog.get(), 1060));
    QCOMPARE(button->FaceColor(), ColorRef{0x333333});
    QCOMPARE(button->FrameColor(), ColorRef{0xCCCCCC});

    ApplyTheme(dialog.get(), colors, false);
    QCOMPARE(colors.Colors().Lookup(1017), nullptr);
    QCOMPARE(colors.Colors().Lookup(kOwnerWindowId), nullptr);
    QCOMPARE(color(1037, QPalette::Base), QColor(204, 204, 255));
    QCOMPARE(color(1037, QPalette::Text), QColor(0, 0, 0));
  }

  void switchingLooksLikeAFreshApplication() {
    auto dialog = tools::MakeThemeDemoDialog();
    DlgCtrlColors colors;
    colors.Attach(dialog.get());
    for (bool dark : {true, false, true, false}) {
      ApplyTheme(dialog.get(), colors, dark);
      const Look now = LookOf(dialog.get());
      const Look fresh = FreshLook(dark);
      QCOMPARE(now.filled, fresh.filled);
      QCOMPARE(now.buttons, fresh.buttons);
      for (auto it = fresh.palettes.begin(); it != fresh.palettes.end(); ++it) {
        QVERIFY2(now.palettes.value(it.key()) == it.value(),
                 qPrintable(QStringLiteral("control %1, dark %2").arg(it.key()).arg(dark)));
      }
    }
  }

  void portalReplyValues() {
    QVERIFY(PrefersDarkFromReply(
        QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(QVariant(1u)))))));
    QVERIFY(PrefersDarkFromReply(QVariant(1u)));
    QVERIFY(!PrefersDarkFromReply(QVariant(2u)));  // prefers light
    QVERIFY(!PrefersDarkFromReply(QVariant(0u)));
    QVERIFY(!PrefersDarkFromReply(QVariant(QStringLiteral("dark"))));
    QVERIFY(!PrefersDarkFromReply(QVariant()));
  }

  void noSessionBusMeansLightAtOnce() {
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_RUNTIME_DIR", "/nonexistent-runtime-dir");
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!SystemPrefersDark());
    QVERIFY(timer.elapsed() < 1000);
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    qputenv("XDG_RUNTIME_DIR", runtime);
  }
};

BITVANE_UI_TEST(ApplyThemeTest)

}  // namespace
}  // namespace bitvane

#include "apply_theme_test.moc"
