// The control-colour table (results and repaints of SetColors and ClearAll) and its
// attachment to a dialog (palettes of the controls, detaching on destruction).

#include "ui/control_colors.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>
#include <iterator>
#include <map>
#include <memory>
#include <vector>

#include "tests/ui/paint_counter.h"
#include "tests/ui/ui_test_registry.h"
#include "ui/control_ids.h"
#include "ui/dlg_ctrl_colors.h"
#include "ui/qt_colors.h"

namespace bitvane {
namespace {

constexpr ColorRef kDef = kDefaultColor;
constexpr ColorRef kOtherDef = 0x01000000;  // any non-zero top byte means "default"

// Records each repaint and whether the control still had an entry at that moment.
class RecordingColors : public ControlColors {
 public:
  std::vector<int> repainted;
  std::vector<bool> hadEntry;

  void Forget() {
    repainted.clear();
    hadEntry.clear();
  }

 protected:
  void Repaint(int id) override {
    repainted.push_back(id);
    hadEntry.push_back(Lookup(id) != nullptr);
  }
};

constexpr ColorRef kGrey = 0xCCCCCC, kDark = 0x333333, kBlue = 0x663300, kPink = 0xFFCCCC;

// A start of two defaults means no entry; so does a stored pair of two defaults.
struct SetColorsRow {
  const char* name;
  int id;
  ColorRef startText, startBackground, text, background;
  bool result;
  ColorRef storedText, storedBackground;
};

const SetColorsRow kSetColorsRows[] = {
    {"id 0", 0, kDef, kDef, kGrey, kDark, false, kDef, kDef},
    {"new, black is a colour", 1017, kDef, kDef, 0, 0, true, 0, 0},
    {"new, default normalised", 1037, kDef, kDef, kOtherDef, kBlue, true, kDef, kBlue},
    {"new, double default", 1045, kDef, kDef, kOtherDef, 0x80FFFFFF, false, kDef, kDef},
    {"double default removes", 1045, kGrey, kDark, kOtherDef, kDef, true, kDef, kDef},
    {"same, other default", -1, kDef, kBlue, kOtherDef, kBlue, false, kDef, kBlue},
    {"text becomes default", 1037, 0, kPink, kOtherDef, kPink, true, kDef, kPink},
    {"background changes", 1037, kGrey, kPink, kGrey, kBlue, true, kGrey, kBlue},
    {"background becomes default", 1045, kGrey, kDark, kGrey, kDef, true, kGrey, kDef},
};
// A dialog with the four kinds of control the colours reach, and uncoloured twins
// (same parent, no id) that show what a control looks like when never coloured.
struct TestDialog {
  TestDialog() {
    SetControlId(label, 1045);
    SetControlId(input, 1017);
    SetControlId(info, 1037);
    SetControlId(readOnlyInput, 1032);
    for (auto* box : {info, infoTwin}) box->setReadOnly(true);
    for (auto* box : {readOnlyInput, readOnlyInputTwin}) box->setReadOnly(true);
  }
  QWidget* Twin(int id) {
    const std::map<int, QWidget*> twins = {
        {1045, labelTwin}, {1017, inputTwin}, {1037, infoTwin}, {1032, readOnlyInputTwin}};
    return id == kOwnerWindowId ? &dialogTwin : twins.at(id);
  }

  QDialog dialogTwin;
  std::unique_ptr<QDialog> dialog = std::make_unique<QDialog>();
  QLabel* label = new QLabel("Byte 0", dialog.get());
  QLineEdit* input = new QLineEdit(dialog.get());
  QPlainTextEdit* info = new QPlainTextEdit(dialog.get());
  QLineEdit* readOnlyInput = new QLineEdit(dialog.get());
  QLabel* labelTwin = new QLabel("Byte 0", dialog.get());
  QLineEdit* inputTwin = new QLineEdit(dialog.get());
  QPlainTextEdit* infoTwin = new QPlainTextEdit(dialog.get());
  QLineEdit* readOnlyInputTwin = new QLineEdit(dialog.get());
};

using Roles = QList<QPalette::ColorRole>;

}  // namespace

class ControlColorsTest : public QObject {
  Q_OBJECT

 private slots:
  void setColors_data() {
    QTest::addColumn<int>("row");
    for (int i = 0; i < static_cast<int>(std::size(kSetColorsRows)); ++i) {
      QTest::newRow(kSetColorsRows[i].name) << i;
    }
  }

  void setColors() {
    QFETCH(int, row);
    const SetColorsRow& r = kSetColorsRows[row];
    QWidget owner;
    RecordingColors colors;
    colors.SetOwner(&owner);
    (void)colors.SetColors(r.id, r.startText, r.startBackground);
    colors.Forget();

    QCOMPARE(colors.SetColors(r.id, r.text, r.background), r.result);

    const ControlColors::Entry* entry = colors.Lookup(r.id);
    const bool stored = r.storedText != kDef || r.storedBackground != kDef;
    QCOMPARE(entry != nullptr, stored);
    if (entry != nullptr) {
      QCOMPARE(entry->text, r.storedText);
      QCOMPARE(entry->background, r.storedBackground);
      QCOMPARE(entry->brush.has_value(), r.storedBackground != kDef);
      if (entry->brush) QCOMPARE(entry->brush->color(), ToQColor(r.storedBackground));
    }
    // One repaint for every change, made once the table has changed.
    QCOMPARE(colors.repainted, r.result ? std::vector<int>{r.id} : std::vector<int>{});
    if (r.result) QCOMPARE(colors.hadEntry[0], stored);
  }

  // Without a handler of its own, a change repaints the owner's control.
  void changeRepaintsTheControl() {
    QWidget owner;
    auto* line = new QLineEdit(&owner);
    SetControlId(line, 1017);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    ControlColors colors;
    colors.SetOwner(&owner);
    test::PaintCounter counter(line);
    QVERIFY(counter.PaintsAfter([&] { QVERIFY(colors.SetColors(1017, 0xCCCCCC, 0x333333)); }) > 0);
  }

  void noRepaintWithoutOwner() {
    for (const bool hadOwner : {false, true}) {
      RecordingColors colors;
      auto owner = std::make_unique<QWidget>();
      if (hadOwner) colors.SetOwner(owner.get());
      owner.reset();
      QVERIFY(colors.SetColors(1045, 0xCCCCCC, 0x333333));
      QVERIFY(colors.ClearAll(true));
      QVERIFY(colors.repainted.empty());
    }
  }

  // Each control is repainted once its entry has gone, and only when asked.
  void clearAll() {
    for (const bool repaint : {false, true}) {
      QWidget owner;
      RecordingColors colors;
      colors.SetOwner(&owner);
      QVERIFY(!colors.ClearAll(repaint));
      for (const int id : {-1, 1045, 1017}) QVERIFY(colors.SetColors(id, 0xCCCCCC, 0x333333));
      colors.Forget();
      QVERIFY(colors.ClearAll(repaint));
      QCOMPARE(colors.Count(), 0u);
      std::vector<int> expected;
      if (repaint) expected = {-1, 1045, 1017};
      QCOMPARE(colors.repainted, expected);
      QCOMPARE(colors.hadEntry, std::vector<bool>(colors.repainted.size(), false));
    }
  }
};

class DlgCtrlColorsTest : public QObject {
  Q_OBJECT

 private slots:
  void palettes_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<quint32>("text");
    QTest::addColumn<quint32>("background");
    QTest::addColumn<QColor>("textColor");
    QTest::addColumn<QColor>("backgroundColor");
    QTest::addColumn<Roles>("textRoles");
    QTest::addColumn<Roles>("backgroundRoles");
    QTest::addColumn<bool>("autoFill");

    const QColor grey(0xCC, 0xCC, 0xCC), dark(0x33, 0x33, 0x33), blue(0, 51, 102);
    const Roles labelText = {QPalette::WindowText, QPalette::ButtonText};
    QTest::newRow("label") << 1045 << 0xCCCCCCu << 0x333333u << grey << dark << labelText
                           << Roles{QPalette::Window} << true;
    QTest::newRow("label, text only") << 1045 << 0x0000FFu << kDef << QColor(Qt::red) << QColor()
                                      << labelText << Roles{} << false;
    QTest::newRow("input") << 1017 << 0xFFFFFFu << 0x000000u << QColor(Qt::white)
                           << QColor(Qt::black) << Roles{QPalette::Text} << Roles{QPalette::Base}
                           << false;
    QTest::newRow("info, background only")
        << 1037 << kOtherDef << 0xFFCCCCu << QColor() << QColor(204, 204, 255) << Roles{}
        << Roles{QPalette::Base} << false;
    QTest::newRow("read-only input") << 1032 << 0xCCCCCCu << 0x663300u << grey << blue
                                     << Roles{QPalette::Text} << Roles{QPalette::Base} << false;
    QTest::newRow("dialog") << -1 << 0xCCCCCCu << 0x333333u << grey << dark
                            << Roles{QPalette::WindowText} << Roles{QPalette::Window} << false;
  }

  // A role shows the entry's colour where the entry has one, else the colour of the
  // uncoloured twin; however the entry goes, the control is then exactly its twin.
  void palettes() {
    QFETCH(int, id);
    QFETCH(quint32, text);
    QFETCH(quint32, background);
    QFETCH(QColor, textColor);
    QFETCH(QColor, backgroundColor);
    QFETCH(Roles, textRoles);
    QFETCH(Roles, backgroundRoles);
    QFETCH(bool, autoFill);
    for (const char* how : {"", "double default", "ClearAll", "Detach", "Attach elsewhere"}) {
      TestDialog fixture;
      DlgCtrlColors hook;
      hook.Attach(fixture.dialog.get());
      QVERIFY(hook.Colors().SetColors(id, text, background));
      const QWidget* control = FindControl(fixture.dialog.get(), id);
      const QWidget* twin = fixture.Twin(id);
      const QByteArray removal(how);
      if (removal.isEmpty()) {
        for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text,
                                QPalette::Window, QPalette::Base}) {
          const QColor expected = textRoles.contains(role)         ? textColor
                                  : backgroundRoles.contains(role) ? backgroundColor
                                                                   : twin->palette().color(role);
          QCOMPARE(control->palette().color(role), expected);
        }
        QCOMPARE(control->autoFillBackground(), autoFill);
        continue;
      }
      if (removal == "double default") QVERIFY(hook.Colors().SetColors(id, kOtherDef, kDef));
      if (removal == "ClearAll") QVERIFY(hook.Colors().ClearAll(true));
      if (removal == "Detach") hook.Detach();
      if (removal == "Attach elsewhere") hook.Attach(&fixture.dialogTwin);
      QVERIFY2(control->palette() == twin->palette(), how);
      QCOMPARE(control->palette().resolveMask(), twin->palette().resolveMask());
      QVERIFY2(!control->testAttribute(Qt::WA_SetPalette), how);
      QCOMPARE(control->autoFillBackground(), twin->autoFillBackground());
    }
  }

  // A background turned default, or an entry removed, gives back the widget's own fill.
  void autoFillRestored() {
    TestDialog fixture;
    DlgCtrlColors hook;
    hook.Attach(fixture.dialog.get());
    fixture.input->setAutoFillBackground(true);
    for (const int id : {1045, 1017}) {
      QVERIFY(hook.Colors().SetColors(id, 0xCCCCCC, 0x333333));
      QVERIFY(hook.Colors().SetColors(id, 0xCCCCCC, kDef));
    }
    QVERIFY(hook.Colors().SetColors(1017, kDef, kDef));
    QVERIFY(!fixture.label->autoFillBackground());
    QVERIFY(fixture.input->autoFillBackground());
    QCOMPARE(fixture.label->palette().color(QPalette::Window),
             fixture.labelTwin->palette().color(QPalette::Window));
  }

  void subclassIds() {
    TestDialog fixture;
    DlgCtrlColors hook, other;
    QCOMPARE(hook.SubclassId(), 0u);
    hook.Attach(fixture.dialog.get());
    other.Attach(&fixture.dialogTwin);
    QVERIFY(hook.SubclassId() != 0);
    QCOMPARE(other.SubclassId(), hook.SubclassId() + 1);  // one counter for the process
    hook.Detach();
    QCOMPARE(hook.SubclassId(), 0u);
    other.Attach(nullptr);
    QCOMPARE(other.SubclassId(), 0u);
  }

  void dialogDestroyedDetaches() {
    TestDialog fixture;
    auto earlier = std::make_unique<QDialog>();
    DlgCtrlColors hook;
    hook.Attach(earlier.get());
    hook.Attach(fixture.dialog.get());
    QVERIFY(hook.Colors().SetColors(-1, 0xCCCCCC, 0x333333));
    QVERIFY(hook.Colors().SetColors(1045, 0xCCCCCC, 0x333333));
    earlier.reset();  // no longer the owner: nothing happens
    QVERIFY(hook.SubclassId() != 0);
    QCOMPARE(hook.Colors().Count(), 2u);

    fixture.dialog.reset();
    QCOMPARE(hook.SubclassId(), 0u);
    QCOMPARE(hook.Colors().Count(), 0u);
    QCOMPARE(hook.Colors().Owner(), nullptr);
    QVERIFY(hook.Colors().SetColors(1045, 0xCCCCCC, 0x333333));  // nothing left to repaint

    TestDialog second;
    auto gone = std::make_unique<DlgCtrlColors>();
    gone->Attach(second.dialog.get());
    QVERIFY(gone->Colors().SetColors(1037, 0xCCCCCC, 0x663300));
    gone.reset();
    second.dialog.reset();  // must not reach the hook that is gone
  }
};

BITVANE_UI_TEST(ControlColorsTest)
BITVANE_UI_TEST(DlgCtrlColorsTest)

}  // namespace bitvane

#include "control_colors_test.moc"
