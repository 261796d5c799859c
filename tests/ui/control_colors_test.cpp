// Control colours, their attachment to a dialog's widgets, and the themes made of them.

#include "ui/control_colors.h"

#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <map>

#include "tests/ui/ui_test.h"
#include "tools/theme_demo/theme_demo_dialog.h"
#include "ui/apply_theme.h"
#include "ui/control_ids.h"
#include "ui/dlg_ctrl_colors.h"
#include "ui/owner_button.h"
#include "ui/qt_colors.h"
#include "ui/system_theme.h"

namespace bitvane {
namespace {

constexpr ColorRef kDef = kDefaultColor, kOtherDef = 0x01000000;  // any top byte is "default"
constexpr ColorRef kGrey = 0xCCCCCC, kDark = 0x333333, kBlue = 0x663300, kPink = 0xFFCCCC;
using Repaints = std::vector<std::pair<int, bool>>;

// Records each repaint and whether the control still had an entry at that moment.
struct RecordingColors : ControlColors {
  Repaints repaints;
  void Repaint(int id) override { repaints.emplace_back(id, Lookup(id) != nullptr); }
};

// Each kind of coloured control, with an uncoloured twin: how it looks if never coloured.
struct TestDialog {
  QDialog dialogTwin;
  std::unique_ptr<QDialog> dialog = std::make_unique<QDialog>();
  std::map<int, std::pair<QWidget*, QWidget*>> controls{{-1, {dialog.get(), &dialogTwin}}};
  template <class T>
  void Add(int id, bool readOnly) {
    controls[id] = {new T(dialog.get()), new T(dialog.get())};
    SetControlId(controls[id].first, id);
    for (QWidget* control : {controls[id].first, controls[id].second})
      control->setProperty("readOnly", readOnly);
  }
  TestDialog() {
    Add<QLabel>(1045, false), Add<QLineEdit>(1017, false);
    Add<QPlainTextEdit>(1037, true), Add<QLineEdit>(1032, true);
  }
};

// The themes' test dialog, with its colours attached.
struct Themed {
  std::unique_ptr<QDialog> dialog = tools::MakeThemeDemoDialog();
  DlgCtrlColors colors;
  explicit Themed(std::optional<bool> dark = {}) {
    colors.Attach(dialog.get());
    if (dark) ApplyTheme(dialog.get(), colors, *dark);
  }
  QPalette Palette(int id) { return FindControl(dialog.get(), id)->palette(); }
  QImage Look() { return dialog->grab().toImage(); }
};

class ControlColorsTest : public QObject {
  Q_OBJECT

 private slots:
  // Two defaults mean no entry; one repaint for every change, once the table has changed.
  void setColors() {
    const std::tuple<const char*, int, ColorRef, ColorRef, ColorRef, ColorRef, bool, ColorRef,
                     ColorRef>
        rows[] = {
            {"id 0", 0, kDef, kDef, kGrey, kDark, false, kDef, kDef},
            {"new, black is a colour", 1017, kDef, kDef, 0, 0, true, 0, 0},
            {"new, default normalised", 1037, kDef, kDef, kOtherDef, kBlue, true, kDef, kBlue},
            {"new, double default", 1045, kDef, kDef, kOtherDef, 0x80FFFFFF, false, kDef, kDef},
            {"double default removes", 1045, kGrey, kDark, kOtherDef, kDef, true, kDef, kDef},
            {"same, other default", -1, kDef, kBlue, kOtherDef, kBlue, false, kDef, kBlue},
            {"text becomes default", 1037, 0, kPink, kOtherDef, kPink, true, kDef, kPink},
            {"background changes", 1037, kGrey, kPink, kGrey, kBlue, true, kGrey, kBlue},
            {"background becomes default", 1045, kGrey, kDark, kGrey, kDef, true, kGrey, kDef}};
    for (const auto& [name, id, startText, startBack, text, back, result, storedText, storedBack] :
         rows) {
      BITVANE_ROW(name);
      QWidget owner;
      RecordingColors colors;
      colors.SetOwner(&owner);
      (void)colors.SetColors(id, startText, startBack);
      colors.repaints.clear();
      QCOMPARE(colors.SetColors(id, text, back), result);
      const ControlColors::Entry* e = colors.Lookup(id);
      const bool stored = storedText != kDef || storedBack != kDef;
      QVERIFY((e != nullptr) == stored &&
              (!e || (e->text == storedText && e->background == storedBack &&
                      e->brush.has_value() == (storedBack != kDef))));
      QCOMPARE(colors.repaints, (result ? Repaints{{id, stored}} : Repaints{}));
    }
  }

  // Repaints only when asked, once the entry has gone, and only with an owner (whose
  // control is repainted when there is no handler).
  void clearAllAndRepaints() {
    for (const int owned : {0, 1, 2}) {  // the owner: kept, gone, never set
      BITVANE_ROW(QString::number(owned));
      auto owner = std::make_unique<QWidget>();
      RecordingColors colors;
      if (owned < 2) colors.SetOwner(owner.get());
      if (owned == 1) owner.reset();
      QVERIFY(!colors.ClearAll(true));
      for (const bool repaint : {false, true}) {
        for (const int id : {-1, 1045, 1017}) QVERIFY(colors.SetColors(id, kGrey, kDark));
        colors.repaints.clear();
        QVERIFY(colors.ClearAll(repaint) && colors.Count() == 0);
        const Repaints all{{-1, false}, {1045, false}, {1017, false}};
        QCOMPARE(colors.repaints, (repaint && owned == 0 ? all : Repaints{}));
      }
    }
    QWidget owner;
    SetControlId(new QLineEdit(&owner), 1017);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    ControlColors colors;
    colors.SetOwner(&owner);
    QVERIFY(test::PaintsAfter(FindControl(&owner, 1017),
                              [&] { QVERIFY(colors.SetColors(1017, kGrey, kDark)); }) > 0);
  }

  // A role shows the entry's colour, else the twin's; once the entry goes, so does all.
  void palettes() {
    using R = QPalette;
    const QList<R::ColorRole> labelText{R::WindowText, R::ButtonText}, text{R::Text}, base{R::Base},
        window{R::Window};
    const std::tuple<int, ColorRef, ColorRef, QList<R::ColorRole>, QList<R::ColorRole>, bool>
        rows[] = {{1045, kGrey, kDark, labelText, window, true},  // label
                  {1045, 0x0000FF, kDef, labelText, {}, false},
                  {1017, 0xFFFFFF, 0, text, base, false},               // input line
                  {1037, kOtherDef, kPink, {}, base, false},            // information box
                  {1032, kGrey, kBlue, text, base, false},              // read-only input line
                  {-1, kGrey, kDark, {R::WindowText}, window, false}};  // dialog
    for (const auto& [id, textColor, backColor, textRoles, backRoles, autoFill] : rows) {
      for (const QByteArray how : {"", "double default", "ClearAll", "Detach", "elsewhere"}) {
        BITVANE_ROW(QStringLiteral("%1 %2").arg(id).arg(how));
        TestDialog fixture;
        DlgCtrlColors hook;
        hook.Attach(fixture.dialog.get());
        QVERIFY(hook.Colors().SetColors(id, textColor, backColor));
        const auto [control, twin] = fixture.controls.at(id);
        if (how.isEmpty()) {
          for (const auto role : {R::WindowText, R::ButtonText, R::Text, R::Window, R::Base}) {
            QCOMPARE(control->palette().color(role), textRoles.contains(role) ? ToQColor(textColor)
                                                     : backRoles.contains(role)
                                                         ? ToQColor(backColor)
                                                         : twin->palette().color(role));
          }
          QCOMPARE(control->autoFillBackground(), autoFill);
          continue;
        }
        if (how == "double default") QVERIFY(hook.Colors().SetColors(id, kOtherDef, kDef));
        if (how == "ClearAll") QVERIFY(hook.Colors().ClearAll(true));
        if (how == "Detach") hook.Detach();
        if (how == "elsewhere") hook.Attach(&fixture.dialogTwin);
        QVERIFY(control->palette() == twin->palette() &&
                !control->testAttribute(Qt::WA_SetPalette));
        QCOMPARE(control->palette().resolveMask(), twin->palette().resolveMask());
        QCOMPARE(control->autoFillBackground(), twin->autoFillBackground());
      }
    }
  }

  // One counter numbers attachments. A dialog that is gone detaches, unless replaced.
  void attachments() {
    TestDialog fixture;
    auto earlier = std::make_unique<QDialog>();
    DlgCtrlColors hook, other;
    QCOMPARE(hook.SubclassId(), 0u);
    hook.Attach(earlier.get());
    hook.Attach(fixture.dialog.get());
    other.Attach(&fixture.dialogTwin);
    QVERIFY(hook.SubclassId() != 0 && other.SubclassId() == hook.SubclassId() + 1);
    other.Detach();
    QCOMPARE(other.SubclassId(), 0u);
    other.Attach(nullptr);
    QCOMPARE(other.SubclassId(), 0u);

    QVERIFY(hook.Colors().SetColors(-1, kGrey, kDark) &&
            hook.Colors().SetColors(1045, kGrey, kDark));
    // A control replaced by another of its id, or given another id, is found anew.
    const auto base = [&fixture](int id) {
      return FindControl(fixture.dialog.get(), id)->palette().color(QPalette::Window);
    };
    QCOMPARE(base(1045), ToQColor(kDark));
    delete fixture.controls[1045].first;
    SetControlId(new QLabel(fixture.dialog.get()), 1045);
    QVERIFY(hook.Colors().SetColors(1045, kGrey, kBlue) && base(1045) == ToQColor(kBlue));
    SetControlId(FindControl(fixture.dialog.get(), 1045), 1046);
    SetControlId(new QLabel(fixture.dialog.get()), 1045);
    QVERIFY(hook.Colors().SetColors(1045, kGrey, kPink) && base(1045) == ToQColor(kPink));
    QCOMPARE(base(1046), ToQColor(kBlue));
    earlier.reset();  // no longer the owner: nothing happens
    QVERIFY(hook.SubclassId() != 0 && hook.Colors().Count() == 2);
    fixture.dialog.reset();
    QVERIFY(hook.SubclassId() == 0 && hook.Colors().Count() == 0 && !hook.Colors().Owner());
    QVERIFY(hook.Colors().SetColors(1045, kGrey, kDark));  // nothing left to repaint
    TestDialog second;
    auto gone = std::make_unique<DlgCtrlColors>();
    gone->Attach(second.dialog.get());
    QVERIFY(gone->Colors().SetColors(1037, kGrey, kBlue));
    gone.reset();
    second.dialog.reset();  // must not reach the hook that is gone
  }

  // Light keeps only the information tint; switching looks like a fresh application. Only
  // a scheme of 1, however wrapped, is dark; without a session bus: light, at once.
  void themeColoursReachTheWidgets() {
    Themed themed(true);
    QVERIFY(themed.Palette(1017).base().color() == Qt::black &&
            themed.Palette(1017).text().color() == Qt::white &&
            themed.Palette(1037).base().color() == QColor(0, 51, 102) &&
            themed.dialog->palette().color(QPalette::Window) == QColor(51, 51, 51));
    auto* button = qobject_cast<OwnerButton*>(FindControl(themed.dialog.get(), 1060));
    QVERIFY(button->FaceColor() == 0x333333 && button->FrameColor() == 0xCCCCCC);
    ApplyTheme(themed.dialog.get(), themed.colors, false);
    QVERIFY(!themed.colors.Colors().Lookup(1017) && !themed.colors.Colors().Lookup(kOwnerWindowId));
    QVERIFY(themed.Palette(1037).base().color() == QColor(204, 204, 255) &&
            themed.Palette(1037).text().color() == Qt::black);
    for (const bool dark : {true, false, true, false}) {
      ApplyTheme(themed.dialog.get(), themed.colors, dark);
      QVERIFY2(themed.Look() == Themed(dark).Look(), dark ? "dark" : "light");
    }
    const QVariant wrapped = QVariant::fromValue(QDBusVariant(QVariant(1u)));
    for (const auto& [reply, dark] : {std::pair{QVariant::fromValue(QDBusVariant(wrapped)), true},
                                      {QVariant(1u), true},
                                      {QVariant(2u), false},
                                      {QVariant(QStringLiteral("dark")), false},
                                      {QVariant(), false}})
      QCOMPARE(PrefersDarkFromReply(reply), dark);

    // A bus is there when its address is set or the runtime folder holds its socket;
    // without one, the address becomes "disabled:" and the theme query is light at once.
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS"),
                     runtime = qgetenv("XDG_RUNTIME_DIR");
    QTemporaryDir withSocket;
    QFile(withSocket.filePath(QStringLiteral("bus"))).open(QIODevice::WriteOnly);
    const QByteArray socketFolder = withSocket.path().toLocal8Bit();
    const struct {
      const char *address, *runtime;
      bool advertised;
      const char* afterDisabling;
    } rows[] = {{"unix:path=/x", "/nonexistent", true, "unix:path=/x"},
                {"", socketFolder.constData(), true, ""},
                {"", "/nonexistent", false, "disabled:"},
                {"disabled:", socketFolder.constData(), false, "disabled:"}};
    for (const auto& row : rows) {
      BITVANE_ROW(QString::fromLatin1(row.address) + " " + QString::fromLocal8Bit(row.runtime));
      qputenv("DBUS_SESSION_BUS_ADDRESS", row.address);
      qputenv("XDG_RUNTIME_DIR", row.runtime);
      QCOMPARE(SessionBusAdvertised(), row.advertised);
      DisableBusAutolaunch();
      QCOMPARE(qgetenv("DBUS_SESSION_BUS_ADDRESS"), QByteArray(row.afterDisabling));
      if (row.advertised) continue;
      QElapsedTimer timer;
      timer.start();
      QVERIFY(!SystemPrefersDark() && timer.elapsed() < 1000);
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    qputenv("XDG_RUNTIME_DIR", runtime);
  }

  // On a bus where the portal could be started but is not running, the theme query
  // answers light at once instead of waiting for it to start.
  void themeQueryStartsNoPortal() {
    QTemporaryDir bus;
    QDir(bus.path()).mkdir(QStringLiteral("services"));
    QFile config(bus.filePath(QStringLiteral("session.conf")));
    QFile service(bus.filePath(QStringLiteral("services/portal.service")));
    QVERIFY(config.open(QIODevice::WriteOnly) && service.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("<busconfig><type>session</type><listen>unix:tmpdir=%1</listen>"
                                "<auth>EXTERNAL</auth><servicedir>%1/services</servicedir>"
                                "<policy context=\"default\"><allow send_destination=\"*\" "
                                "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                                "<allow own=\"*\"/></policy></busconfig>")
                     .arg(bus.path())
                     .toUtf8());
    service.write("[D-BUS Service]\nName=org.freedesktop.portal.Desktop\nExec=/bin/sleep 10\n");
    config.close();
    service.close();
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                  QStringLiteral("--config-file=") + config.fileName()});
    QVERIFY2(daemon.waitForStarted() && daemon.waitForReadyRead(5000), "no dbus-daemon");
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", daemon.readLine().trimmed());
    QElapsedTimer timer;
    timer.start();
    const bool dark = SystemPrefersDark(5000);
    const qint64 waited = timer.elapsed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    daemon.kill();
    daemon.waitForFinished();
    QVERIFY(!dark);
    QVERIFY2(waited < 2500, qPrintable(QString::number(waited)));
  }
};

BITVANE_UI_TEST(ControlColorsTest)

}  // namespace
}  // namespace bitvane

#include "control_colors_test.moc"
