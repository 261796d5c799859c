#include "ui/bitvane_dlg.h"

#include <QToolTip>

#include "res/dialog_template.h"
#include "tests/ui/ui_test.h"
#include "ui/control_ids.h"
#include "ui/dialog_builder.h"
#include "ui/view_control_ids.h"

namespace bitvane {
namespace {

constexpr int kByte0 = 1017, kByte7 = 1010, kHighInt = 1018, kLowInt = 1020, kHugeInt = 1005,
              kDouble = 1001, kStatus = kStatusLineId;
const QColor kOrange(255, 153, 51);

class BitvaneDlgTest : public QObject {
  Q_OBJECT

  std::unique_ptr<BitvaneDlg> m_dialog;

  bool Open(bool dark = false) {
    m_dialog = std::make_unique<BitvaneDlg>();
    m_dialog->DarkTheme() = dark;
    m_dialog->show();
    return QTest::qWaitForWindowExposed(m_dialog.get());
  }
  QWidget* Control(int id) { return FindControl(m_dialog.get(), id); }
  QLineEdit* Line(int id) { return qobject_cast<QLineEdit*>(Control(id)); }
  QString Text(int id) { return Control(id)->property("text").toString(); }
  QColor Base(int id) { return Control(id)->palette().color(QPalette::Base); }
  quint64 Value() { return m_dialog->Value().ToU64(); }
  // Select all, then type.
  void Type(int id, const QString& text) {
    QTest::keyClick(Line(id), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Line(id), text);
  }

 private slots:
  void init() { QVERIFY(Open()); }
  void cleanup() { m_dialog.reset(); }

  // Dialog units: across, the letters' mean width, rounded; down, the font's height; each
  // edge rounded. Every item of the template is placed as it says.
  void everyTemplateItemIsPlaced() {
    for (int pixelSize = 8; pixelSize <= 40; ++pixelSize) {
      QFont font(QStringLiteral("DejaVu Sans"));
      font.setPixelSize(pixelSize);
      const QFontMetrics metrics(font);
      const int letters = metrics.horizontalAdvance(
          QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
      const DialogUnits units = DialogUnits::Of(font);
      QVERIFY(units.baseX == qRound(letters / 52.0) && units.baseY == metrics.height());
    }
    QCOMPARE((DialogUnits{7, 13}.ToPixels(3, 5, 10, 6)), QRect(5, 8, 18, 10));
    QCOMPARE((DialogUnits{6, 12}.ToPixels(1, 4, 1, 4)), QRect(2, 6, 1, 6));
    const DialogUnits units = DialogUnits::Of(m_dialog->font());
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Bitvane"));
    QCOMPARE(m_dialog->windowIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
    QCOMPARE(m_dialog->size(), units.ToPixels(0, 0, 365, 385).size());
    const char* const classes[] = {"QPushButton", "QLabel", "QLineEdit", "bitvane::InfoBox"};
    for (const DialogItem& item : MainDialogTemplate().items) {
      BITVANE_ROW(QString::number(item.id));
      QWidget* widget = Control(item.id);
      QVERIFY(widget != nullptr);
      QCOMPARE(widget->metaObject()->className(), (item.style & kOwnerDraw) != 0
                                                      ? "bitvane::OwnerButton"
                                                      : classes[static_cast<int>(item.kind)]);
      QCOMPARE(widget->geometry(), units.ToPixels(item.x, item.y, item.width, item.height));
      QVERIFY(widget->isHidden() == ((item.style & kHidden) != 0) &&
              widget->isEnabled() == ((item.style & kDisabled) == 0));
      QCOMPARE(widget->property("readOnly").toBool(),
               item.kind == ItemKind::InfoBox || (item.style & kReadOnly) != 0);
      if (item.kind == ItemKind::PushButton || item.kind == ItemKind::Static)
        QVERIFY(Text(item.id).toStdU16String() == item.text);
    }
    const auto is = [this](int id, const char* className) {  // the views' and swaps' controls
      return Control(id) != nullptr && Control(id)->inherits(className);
    };
    for (const ViewControlIds& ids : kViewControlIds)
      QVERIFY(is(ids.label, "QLabel") && is(ids.input, "QLineEdit") &&
              is(ids.info, "bitvane::InfoBox"));
    for (const SwapButtonId& swap : kSwapButtonIds)
      QVERIFY(is(swap.button, "bitvane::OwnerButton"));
  }

  // Focused: a frame in its text colour. Leaving for a control drops the selection. No
  // scroll bars.
  void informationBox() {
    m_dialog->ApplyTheme(true);
    auto* box = qobject_cast<QTextEdit*>(Control(1022));
    const QColor text = box->palette().color(QPalette::Text);
    const auto edge = [box] { return box->grab().toImage().pixelColor(0, box->height() / 2); };
    QVERIFY(edge() != text);
    Line(kHugeInt)->setFocus();
    QTest::keyClick(Line(kHugeInt), Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() == box && edge() == text);
    box->selectAll();
    Line(kDouble)->setFocus(Qt::TabFocusReason);
    QVERIFY(!box->textCursor().hasSelection() && edge() != text);
    box->setPlainText(QStringLiteral("a long line of text\n").repeated(30));
    QCoreApplication::processEvents();
    QVERIFY(!box->verticalScrollBar()->isVisible() && !box->horizontalScrollBar()->isVisible());
  }

  // A label points to the stop after it; the focus starts in byte #7, its text selected,
  // passing over hidden and disabled stops; every line shows 0, the status no problem,
  // in either theme.
  void startTabOrderAndFocus() {
    QList<int> expected, chain;
    for (const DialogItem& item : MainDialogTemplate().items)
      if ((item.style & kTabStop) != 0) expected << item.id;
    QWidget* widget = Control(expected.first());
    do {
      if (widget->focusPolicy() == Qt::StrongFocus && ControlIdOf(widget) != 0)
        chain << ControlIdOf(widget);
      widget = widget->nextInFocusChain();
    } while (widget != Control(expected.first()));
    QCOMPARE(chain, expected);
    for (const auto& [label, buddy] : {std::pair{1054, kHighInt}, {1045, kByte0}})
      QCOMPARE(qobject_cast<QLabel*>(Control(label))->buddy(), Control(buddy));
    QVERIFY(QApplication::focusWidget() == Line(kByte7) && Line(kByte7)->selectedText() == "0");
    for (const bool dark : {false, true}) {
      QVERIFY(Open(dark));
      QCOMPARE(Base(kStatus), dark ? QColor(0, 51, 0) : QColor(153, 255, 153));
      for (int id : kInputEditList) QVERIFY(Text(id) == "0" && Text(kStatus) == "(no problem)");
    }
    constexpr DialogItem kItems[] = {{1, ItemKind::Input, 0, 0, 40, 10, u"", kTabStop | kHidden},
                                     {2, ItemKind::Input, 0, 10, 40, 10, u"", kTabStop | kDisabled},
                                     {3, ItemKind::Input, 0, 20, 40, 10, u"x", kTabStop}};
    const DialogTemplate dialogTemplate{1, u"T", 50, 40, kItems};
    QDialog dialog;
    BuildDialogFromTemplate(&dialog, dialogTemplate);
    QCOMPARE(SetInitialFocus(&dialog, dialogTemplate), FindControl(&dialog, 3));
  }

  // A click on a binary digit, where it is drawn, flips its bit, in either theme and at
  // any font size; the hand and the tooltip tell which bit. A click elsewhere does not.
  void clickingADigitFlipsItsBit() {
    const QFont font = QApplication::font();
    for (const int grow : {0, 6}) {
      for (const bool dark : {false, true}) {
        BITVANE_ROW(QString::number(grow) + (dark ? " dark" : " light"));
        QFont larger = font;
        larger.setPointSizeF(font.pointSizeF() + grow);
        QApplication::setFont(larger);
        QVERIFY(Open(dark));
        const struct {
          ViewId view;
          int line, column;
          quint64 flipped;
          const char* tip;  // null: not a digit
        } clicks[] = {{ViewId::Double64, 0, 22, 1ull << 52,
                       "bit 52 of the value; exponent bit 0 of the double"},
                      {ViewId::Byte0, 3, 7, 1, "bit 0 of the value; bit 0 of byte #0"},
                      {ViewId::HighInt32, 1, 0, 1ull << 63, nullptr},
                      {ViewId::Double64, 0, 4, 0, nullptr}};  // the '=' of "Sign="
        quint64 value = 0;
        for (const auto& click : clicks) {
          auto* box = qobject_cast<QTextEdit*>(Control(ControlIdsOf(click.view).info));
          QTextCursor at(box->document()->findBlockByNumber(click.line));
          at.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, click.column);
          const QRect left = box->cursorRect(at);
          at.movePosition(QTextCursor::Right);
          const int right = box->cursorRect(at).left();
          // the digit's left half at one size, its right half at the other
          const QPoint point(grow == 0 ? left.left() + 2 : right - 2, left.center().y());
          if (click.tip != nullptr) {
            QHelpEvent help(QEvent::ToolTip, point, box->viewport()->mapToGlobal(point));
            QCoreApplication::sendEvent(box->viewport(), &help);
            QCOMPARE(QToolTip::text(), QString::fromLatin1(click.tip));
            QCOMPARE(box->viewport()->cursor().shape(), Qt::PointingHandCursor);
          }
          QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, point);
          value ^= click.flipped;
          QCOMPARE(Value(), value);
        }
        QCOMPARE(Text(kStatus), QStringLiteral("(no problem)"));
        // Elsewhere on a float's box, the tooltip tells what the float is exactly.
        auto* box = qobject_cast<QTextEdit*>(Control(ControlIdsOf(ViewId::Double64).info));
        const QPoint sign = box->cursorRect(QTextCursor(box->document())).center() + QPoint(2, 0);
        QHelpEvent help(QEvent::ToolTip, sign, box->viewport()->mapToGlobal(sign));
        QCoreApplication::sendEvent(box->viewport(), &help);
        const QString tip = QToolTip::text();  // the value now: 0x8010000000000001
        QVERIFY2(
            tip.startsWith("normal, exponent -1022\nexact -0.000") &&
                tip.endsWith("\ndown  -2.2250738585072024e-308\nup    -2.2250738585072014e-308"),
            qPrintable(tip));
        m_dialog.reset();
      }
    }
    QApplication::setFont(font);
  }

  // In a focused information box the arrows, Home and End move a highlighted digit,
  // reading on across lines, and Space flips its bit; the highlight keeps its place
  // through the rewrite and a theme change, follows a click, and goes with the focus.
  void keysFlipTheHighlightedBit() {
    const auto highlight = [](QTextEdit* box) -> std::optional<QPoint> {
      const QList<QTextEdit::ExtraSelection> marks = box->extraSelections();
      if (marks.isEmpty()) return std::nullopt;
      const QTextCursor& mark = marks.first().cursor;
      const QPalette& colors = box->palette();
      if (marks.size() != 1 || mark.selectedText().size() != 1 ||
          marks.first().format.background().color() != colors.color(QPalette::Text) ||
          marks.first().format.foreground().color() != colors.color(QPalette::Base))
        return QPoint(-1, -1);
      QTextCursor start(mark);
      start.setPosition(mark.selectionStart());
      return QPoint(start.positionInBlock(), start.blockNumber());
    };
    auto* box = qobject_cast<QTextEdit*>(Control(ControlIdsOf(ViewId::Double64).info));
    Line(kHugeInt)->setFocus();
    for (int i = 0; QApplication::focusWidget() != box && i < 20; ++i)
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() == box && !highlight(box));
    const struct {
      Qt::Key key;
      int column, line;  // where the highlight is then
      quint64 value;
      const char* tip;  // null: no new tooltip
    } steps[] = {
        {Qt::Key_Right, 5, 0, 0, "bit 63 of the value; sign bit of the double"},
        {Qt::Key_Space, 5, 0, 1ull << 63, nullptr},
        {Qt::Key_Right, 11, 0, 1ull << 63, "bit 62 of the value; exponent bit 10 of the double"},
        {Qt::Key_End, 22, 0, 1ull << 63, "bit 52 of the value; exponent bit 0 of the double"},
        {Qt::Key_Right, 5, 1, 1ull << 63, "bit 51 of the value; fraction bit 51 of the double"},
        {Qt::Key_Space, 5, 1, 0x8008000000000000, nullptr},
        {Qt::Key_Left, 22, 0, 0x8008000000000000, nullptr},
        {Qt::Key_Home, 5, 0, 0x8008000000000000, nullptr},
        {Qt::Key_Left, 5, 0, 0x8008000000000000, nullptr},  // the first digit stays
        {Qt::Key_End, 22, 0, 0x8008000000000000, nullptr},
        {Qt::Key_Space, 22, 0, 0x8018000000000000, nullptr},
    };
    for (const auto& step : steps) {
      BITVANE_ROW(QString::number(step.column) + "," + QString::number(step.line));
      QToolTip::hideText();
      QTest::keyClick(box, step.key);
      QCOMPARE(highlight(box), std::optional(QPoint(step.column, step.line)));
      QCOMPARE(Value(), quint64(step.value));
      if (step.tip != nullptr) QCOMPARE(QToolTip::text(), QString::fromLatin1(step.tip));
    }
    QCOMPARE(Text(kStatus), QStringLiteral("(no problem)"));
    // Down: the fraction's line, and no further; Up comes back to the digit it left.
    QTest::keyClick(box, Qt::Key_Down);
    const std::optional<QPoint> below = highlight(box);
    QTest::keyClick(box, Qt::Key_Down);
    QVERIFY(below && below->y() == 1 && highlight(box) == below);
    QTest::keyClick(box, Qt::Key_Up);
    QCOMPARE(highlight(box), std::optional(QPoint(22, 0)));
    // Shift and an arrow still select, from the highlight; the theme's colours follow.
    const int up = box->document()->findBlockByNumber(0).position() + highlight(box)->x();
    QTest::keyClick(box, Qt::Key_Right, Qt::ShiftModifier);
    QVERIFY(box->textCursor().selectionStart() == up && box->textCursor().selectionEnd() == up + 1);
    m_dialog->ApplyTheme(true);
    QVERIFY(highlight(box) && highlight(box)->x() >= 0);
    // A click on a digit moves the highlight there and flips it.
    QTextCursor sign(box->document());
    sign.setPosition(5);
    const QPoint point = box->cursorRect(sign).center() + QPoint(2, 0);
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, point);
    QVERIFY(highlight(box) == QPoint(5, 0) && Value() == 0x0018000000000000);
    // The bytes' digits are on their fourth line; the first key reads on to them.
    QTest::keyClick(box, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != box && !highlight(box));
    auto* byte = qobject_cast<QTextEdit*>(Control(ControlIdsOf(ViewId::Byte0).info));
    byte->setFocus(Qt::TabFocusReason);
    QTest::keyClick(byte, Qt::Key_Down);
    QTest::keyClick(byte, Qt::Key_Space);
    QVERIFY(highlight(byte) == QPoint(0, 3) && Value() == 0x0018000000000080);
    // With the text cursor past every digit, the first key takes the last one.
    box->setFocus(Qt::TabFocusReason);
    byte->setFocus(Qt::TabFocusReason);
    QTest::keyClick(byte, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(byte, Qt::Key_Right);
    QTest::keyClick(byte, Qt::Key_Space);
    QVERIFY(highlight(byte) == QPoint(7, 3) && Value() == 0x0018000000000081);
  }

  // Every view but the typed line is rewritten (a line whose text stays is left as it
  // is); a rejected text marks line and status. A
  // click, Enter or keypad Enter swaps; the status stays as it was. A paste is typing;
  // Enter in a line does nothing, Escape closes.
  void typingRewritesTheViews() {
    QTest::keyClicks(Line(kByte7), QStringLiteral("0x41"));
    QVERIFY(Text(kByte7) == "0x41" &&
            qobject_cast<QTextEdit*>(Control(1044))
                ->toPlainText()
                .startsWith(QStringLiteral("0x41\n65U\n65\n01000001\n'A'")));
    QVERIFY(Text(kHighInt) == "1090519040" && Text(kHugeInt) == "4683743612465315840");
    QCOMPARE(Value(), 0x4100000000000000ull);
    Type(kLowInt, QStringLiteral("7z"));
    QCOMPARE(Text(kStatus), QStringLiteral("Invalid Low Integer (32-bit) value"));
    QVERIFY(Base(kStatus) == kOrange && Base(kLowInt) == kOrange);
    QCOMPARE(Value(), 0x4100000000000007ull);
    Type(kByte0, QStringLiteral("8"));
    QVERIFY(Text(kStatus) == "(no problem)" && !m_dialog->ColorHook().Colors().Lookup(kLowInt));
    QCOMPARE(Base(kLowInt), QLineEdit().palette().color(QPalette::Base));
    Type(kHugeInt, QStringLiteral("0x0123456789ABCDEF"));
    Line(kLowInt)->setCursorPosition(1);  // a line whose text stays keeps its cursor
    Type(kByte7, QStringLiteral("2"));
    QVERIFY(Text(kLowInt) == "-1985229329" && Line(kLowInt)->cursorPosition() == 1);
    Type(kByte0, QStringLiteral("x"));
    auto* swap = qobject_cast<QPushButton*>(Control(1062));
    swap->click();
    QCOMPARE(Value(), 0xEFCDAB8967452302ull);
    QVERIFY(Text(kHugeInt) == "-1167088121787636990" && Text(kByte0) == "2");
    QVERIFY(Text(kStatus) == "Invalid Byte #0 value" && Base(kStatus) == kOrange);
    swap->setFocus();
    QTest::keyClick(swap, Qt::Key_Return);
    QCOMPARE(Value(), 0x0223456789ABCDEFull);
    QTest::keyClick(swap, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(Value(), 0xEFCDAB8967452302ull);
    QApplication::clipboard()->setText(QStringLiteral("255"));
    QTest::keyClick(Line(kByte0), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Line(kByte0), Qt::Key_V, Qt::ControlModifier);
    QVERIFY(Value() == 0xEFCDAB89674523FFull && Text(kLowInt) == "1732584447");
    const QString shown = Text(kDouble);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) QTest::keyClick(Line(kDouble), key);
    QVERIFY(m_dialog->isVisible() && Value() == 0xEFCDAB89674523FFull && Text(kDouble) == shown);
    QTest::keyClick(Line(kDouble), Qt::Key_Escape);
    QVERIFY(!m_dialog->isVisible() && m_dialog->result() == QDialog::Rejected);
  }
};

BITVANE_UI_TEST(BitvaneDlgTest)

}  // namespace
}  // namespace bitvane

#include "bitvane_dlg_test.moc"
