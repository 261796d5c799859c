#include "ui/bitvane_fmt_dlg.h"

#include "tests/ui/ui_test.h"
#include "ui/bitvane_dlg.h"
#include "ui/control_ids.h"
#include "ui/dialog_builder.h"

namespace bitvane {
namespace {

constexpr int kSingle = 1031, kDouble = 1033, kOk = 1, kCancel = 2;

QString Csv(const NSTRList& list) {
  return QString::fromStdU16String(list.ToCsv());
}
QComboBox* Combo(QWidget* dialog, int id) {
  return qobject_cast<QComboBox*>(FindControl(dialog, id));
}
void Click(QWidget* dialog, int id) {
  qobject_cast<QPushButton*>(FindControl(dialog, id))->click();
}

class BitvaneFmtDlgTest : public QObject {
  Q_OBJECT

 private slots:
  // Command 1028 edits the single and the double list. OK (button or Enter) moves the
  // current text to the front, a typed one (compared exactly) before all the old ones;
  // Cancel, Escape and the close box keep the lists. Either way the views are rewritten.
  void formatsCommand() {
    constexpr const char16_t *singles = u"%g,%.9g,%e", *doubles = u"%.17g,%f,%e";
    const struct {
      int pick;               // chosen in the single box; -1 for none
      const char16_t* typed;  // typed in the double box; null for nothing
      int button;             // or else a key; or else the close box
      Qt::Key key;
      const char16_t *singlesAfter, *doublesAfter;
    } rows[] = {
        {-1, nullptr, kOk, {}, singles, doubles},
        {2, nullptr, kOk, {}, u"%e,%g,%.9g", doubles},
        {-1, u"%E", 0, Qt::Key_Return, singles, u"%E,%.17g,%f,%e"},
        {1, u"", kOk, {}, u"%.9g,%g,%e", u",%.17g,%f,%e"},
        {2, u"x", kCancel, {}, singles, doubles},
        {2, u"x", 0, Qt::Key_Escape, singles, doubles},
        {2, u"x", 0, {}, singles, doubles},
    };
    BitvaneDlg main;
    main.show();
    auto* lowInt = qobject_cast<QLineEdit*>(FindControl(&main, 1020));
    for (const auto& row : rows) {
      BITVANE_ROW(QString::number(&row - rows));
      main.SingleFormats().SplitAt(singles, {u","});
      main.DoubleFormats().SplitAt(doubles, {u","});
      QTest::keyClicks(lowInt, QStringLiteral("z"));  // a rejected text and its message
      QVERIFY(!main.Views().StatusMessage().empty());
      QTimer::singleShot(0, [&row] {
        QWidget* open = QApplication::activeModalWidget();
        if (row.pick >= 0) Combo(open, kSingle)->setCurrentIndex(row.pick);
        if (row.typed != nullptr) Combo(open, kDouble)->setEditText(QString::fromUtf16(row.typed));
        if (row.button != 0) Click(open, row.button);
        if (row.key != 0) QTest::keyClick(Combo(open, kDouble), row.key);
        open->close();
      });
      Click(&main, 1028);
      QVERIFY(lowInt->text() == "0" && main.Views().StatusMessage().empty());
      QCOMPARE(Csv(main.SingleFormats()), QString::fromUtf16(row.singlesAfter));
      QCOMPARE(Csv(main.DoubleFormats()), QString::fromUtf16(row.doublesAfter));
    }
  }

  // Placed as the template says, a combo box one line high; each edit part shows its
  // list's first entry (none for an empty list); Alt+D and Alt+F reach the combo boxes.
  void templateAndStart() {
    NSTRList singles, doubles(u"%.17g,%f");
    BitvaneFmtDlg dialog(&doubles, &singles);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const DialogUnits units = DialogUnits::Of(dialog.font());
    const QList<QGroupBox*> groups = dialog.findChildren<QGroupBox*>();
    qsizetype group = 0;
    for (const DialogItem& item : FormatsDialogTemplate().items) {
      BITVANE_ROW(QString::number(item.id));
      QWidget* widget = item.id == kNoId ? groups.value(group++) : FindControl(&dialog, item.id);
      QRect expected = units.ToPixels(item.x, item.y, item.width, item.height);
      if (auto* combo = qobject_cast<QComboBox*>(widget))
        expected.setHeight(combo->sizeHint().height());
      QCOMPARE(QRect(widget->mapTo(&dialog, QPoint(0, 0)), widget->size()), expected);
      if (auto* sample = qobject_cast<QLabel*>(widget))
        QVERIFY(sample->frameShadow() == QFrame::Sunken && sample->text().isEmpty());
    }
    QVERIFY(Combo(&dialog, kSingle)->count() == 0 && Combo(&dialog, kSingle)->currentText() == "");
    QCOMPARE(Combo(&dialog, kDouble)->currentText(), QStringLiteral("%.17g"));
    for (const auto& [key, id] : {std::pair{Qt::Key_D, kDouble}, {Qt::Key_F, kSingle}}) {
      QTest::keyClick(&dialog, key, Qt::AltModifier);
      QVERIFY(FindControl(&dialog, id)->hasFocus());
    }
  }
};

BITVANE_UI_TEST(BitvaneFmtDlgTest)

}  // namespace
}  // namespace bitvane

#include "bitvane_fmt_dlg_test.moc"
