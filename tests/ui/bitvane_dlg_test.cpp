#include "ui/bitvane_dlg.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextEdit>
#include <QtTest>
#include <cmath>
#include <optional>

#include "res/dialog_template.h"
#include "tests/ui/ui_test_registry.h"
#include "ui/control_ids.h"
#include "ui/dialog_builder.h"
#include "ui/info_box.h"
#include "ui/owner_button.h"
#include "ui/view_control_ids.h"

namespace bitvane {
namespace {

constexpr int kByte0 = 1017, kByte7 = 1010, kHighInt = 1018, kLowInt = 1020, kHugeInt = 1005,
              kDouble = 1001, kHugeInfo = 1022, kHugeBSwap = 1062;

QColor Base(QWidget* widget) {
  return widget->palette().color(QPalette::Base);
}

class BitvaneDlgTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<BitvaneDlg> m_dialog;

  QLineEdit* Line(int id) { return qobject_cast<QLineEdit*>(m_dialog->Controls().Control(id)); }
  QString Info(int id) {
    return qobject_cast<QTextEdit*>(m_dialog->Controls().Control(id))->toPlainText();
  }
  // Replaces the line's text as a user does: select all, then type.
  void Type(int id, const QString& text) {
    QLineEdit* line = Line(id);
    QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(line, text);
  }
  QString Status() { return Line(kStatusLineId)->text(); }
  QMap<int, QString> Inputs() {
    QMap<int, QString> texts;
    for (int id : kInputEditList) texts[id] = Line(id)->text();
    return texts;
  }

 private slots:
  void init() {
    m_dialog = std::make_unique<BitvaneDlg>();
    m_dialog->DarkTheme() = false;
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
  }
  void cleanup() { m_dialog.reset(); }

  // Every view has its label, input line and information box in the template, and
  // every swap its button, of the kind the dialog binds.
  void templateHasTheControlsOfEveryViewAndSwap() {
    const auto kindOf = [](int id) -> std::optional<ItemKind> {
      for (const DialogItem& item : MainDialogTemplate().items) {
        if (item.id == id) return item.kind;
      }
      return std::nullopt;
    };
    for (const ViewControlIds& ids : kViewControlIds) {
      QCOMPARE(kindOf(ids.label), ItemKind::Static);
      QCOMPARE(kindOf(ids.input), ItemKind::Input);
      QCOMPARE(kindOf(ids.info), ItemKind::InfoBox);
    }
    for (const SwapButtonId& swap : kSwapButtonIds)
      QCOMPARE(kindOf(swap.button), ItemKind::PushButton);
    QCOMPARE(kindOf(kStatusLineId), ItemKind::Input);
  }

  // Across: the mean width of the 52 letters, rounded; down: the font's height.
  void dialogUnitsOfAFont() {
    for (const int pixelSize : {11, 12, 16}) {
      QFont font(QStringLiteral("DejaVu Sans"));
      font.setPixelSize(pixelSize);
      const QFontMetrics metrics(font);
      const double mean = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                                   "abcdefghijklmnopqrstuvwxyz")) /
                          52.0;
      const DialogUnits units = DialogUnits::Of(font);
      QVERIFY2(std::abs(units.baseX - mean) <= 0.5, qPrintable(QString::number(mean)));
      QCOMPARE(units.baseY, metrics.height());
    }
  }

  // The first key goes to the first tab stop that is shown and enabled.
  void initialFocusSkipsHiddenAndDisabledStops() {
    constexpr DialogItem kItems[] = {{1, ItemKind::Input, 0, 0, 40, 10, u"", kTabStop | kHidden},
                                     {2, ItemKind::Input, 0, 10, 40, 10, u"", kTabStop | kDisabled},
                                     {3, ItemKind::Input, 0, 20, 40, 10, u"x", kTabStop}};
    const DialogTemplate dialogTemplate{1, u"T", 50, 40, kItems};
    QDialog dialog;
    BuildDialogFromTemplate(&dialog, dialogTemplate);
    QCOMPARE(SetInitialFocus(&dialog, dialogTemplate), FindControl(&dialog, 3));
  }

  void everyTemplateItemIsPlaced() {
    const DialogUnits units = DialogUnits::Of(m_dialog->font());
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Bitvane"));
    QCOMPARE(m_dialog->size(), units.ToPixels(0, 0, 365, 385).size());
    for (const DialogItem& item : MainDialogTemplate().items) {
      QWidget* widget = FindControl(m_dialog.get(), item.id);
      QVERIFY2(widget != nullptr, qPrintable(QString::number(item.id)));
      QCOMPARE(widget->geometry(), units.ToPixels(item.x, item.y, item.width, item.height));
      QCOMPARE(widget->isHidden(), (item.style & kHidden) != 0);
      QCOMPARE(widget->isEnabled(), (item.style & kDisabled) == 0);
      const QString text = QString::fromStdU16String(std::u16string(item.text));
      switch (item.kind) {
        case ItemKind::PushButton:
          QCOMPARE(qobject_cast<QPushButton*>(widget)->text(), text);
          QCOMPARE(qobject_cast<OwnerButton*>(widget) != nullptr, (item.style & kOwnerDraw) != 0);
          break;
        case ItemKind::Static:
          QCOMPARE(qobject_cast<QLabel*>(widget)->text(), text);
          break;
        case ItemKind::Input:
          QCOMPARE(qobject_cast<QLineEdit*>(widget)->isReadOnly(), (item.style & kReadOnly) != 0);
          break;
        case ItemKind::InfoBox:
          QVERIFY(qobject_cast<QTextEdit*>(widget)->isReadOnly());
          break;
      }
    }
  }

  // Items that are apart in dialog units stay apart in pixels, for every size of the
  // dialog font (the swap buttons end where the inputs below them begin).
  void noItemsApartInDialogUnitsOverlapInPixels() {
    const auto items = MainDialogTemplate().items;
    for (int baseX = 4; baseX <= 16; ++baseX) {
      for (int baseY = 8; baseY <= 32; ++baseY) {
        const DialogUnits units{baseX, baseY};
        for (std::size_t i = 0; i < items.size(); ++i) {
          const DialogItem& a = items[i];
          for (std::size_t j = i + 1; j < items.size(); ++j) {
            const DialogItem& b = items[j];
            if (QRect(a.x, a.y, a.width, a.height).intersects(QRect(b.x, b.y, b.width, b.height)))
              continue;
            if (units.ToPixels(a.x, a.y, a.width, a.height)
                    .intersects(units.ToPixels(b.x, b.y, b.width, b.height))) {
              QFAIL(qPrintable(QStringLiteral("%1 and %2 overlap at %3 x %4")
                                   .arg(a.id)
                                   .arg(b.id)
                                   .arg(baseX)
                                   .arg(baseY)));
            }
          }
        }
      }
    }
  }

  // A focused information box shows a frame in its text colour; leaving it for another
  // control drops its selection, a context menu does not.
  void informationBoxFocus() {
    m_dialog->ApplyTheme(true);
    auto* box = qobject_cast<InfoBox*>(FindControl(m_dialog.get(), kHugeInfo));
    QVERIFY(box != nullptr);
    const QColor text = box->palette().color(QPalette::Text);
    const auto edges = [box] {  // the two outermost pixels in the middle of each edge
      const QImage image = box->grab().toImage();
      const int w = image.width(), h = image.height();
      QList<QColor> colors;
      for (int i = 0; i < 2; ++i) {
        colors << image.pixelColor(i, h / 2) << image.pixelColor(w / 2, i)
               << image.pixelColor(w - 1 - i, h / 2) << image.pixelColor(w / 2, h - 1 - i);
      }
      return colors;
    };
    QVERIFY(!edges().contains(text));
    Line(kHugeInt)->setFocus();
    QTest::keyClick(Line(kHugeInt), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), box);
    QCOMPARE(edges(), QList<QColor>(8, text));

    box->selectAll();
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(box, &popup);
    QVERIFY(box->textCursor().hasSelection());
    Line(kDouble)->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(!box->textCursor().hasSelection());
    QVERIFY(!edges().contains(text));
  }

  void tabOrderFollowsTheTemplateAndLabelsPointAhead() {
    QList<int> expected;
    for (const DialogItem& item : MainDialogTemplate().items) {
      if ((item.style & kTabStop) != 0) expected << item.id;
    }
    QList<int> chain;
    QWidget* first = FindControl(m_dialog.get(), expected.first());
    QWidget* widget = first;
    do {
      if (widget->focusPolicy() == Qt::StrongFocus && ControlIdOf(widget) != 0)
        chain << ControlIdOf(widget);
      widget = widget->nextInFocusChain();
    } while (widget != first);
    QCOMPARE(chain, expected);
    QCOMPARE(qobject_cast<QLabel*>(FindControl(m_dialog.get(), 1054))->buddy(),
             FindControl(m_dialog.get(), 1018));
    QCOMPARE(qobject_cast<QLabel*>(FindControl(m_dialog.get(), 1045))->buddy(),
             FindControl(m_dialog.get(), kByte0));
    // The focus starts in the byte #7 input line.
    QCOMPARE(QApplication::focusWidget(), FindControl(m_dialog.get(), 1010));
  }

  void startShowsTheValueAndAllClear() {
    QCOMPARE(Status(), QStringLiteral("(no problem)"));
    QCOMPARE(Base(Line(kStatusLineId)), QColor(153, 255, 153));
    for (int id : kInputEditList) QCOMPARE(Line(id)->text(), QStringLiteral("0"));
  }

  // The desktop's font at 96 pixels per inch, described as drawn: the input font is
  // that font times the height inside the byte #0 input's frame over that inside the
  // status line's, made with the truncated pixel height.
  void inputFontFromTheHeightsInsideTheFrames_data() {
    QTest::addColumn<double>("pointSize");
    for (const double pointSize : {8.0, 11.0}) {
      QTest::addRow("%g pt", pointSize) << pointSize;
    }
  }
  void inputFontFromTheHeightsInsideTheFrames() {
    QFETCH(double, pointSize);
    QFont desktop(QStringLiteral("DejaVu Sans"));
    desktop.setPointSizeF(pointSize);
    struct DesktopFont {
      QFont before = QApplication::font();
      explicit DesktopFont(const QFont& font) { QApplication::setFont(font); }
      ~DesktopFont() { QApplication::setFont(before); }
    } scoped(desktop);
    m_dialog = std::make_unique<BitvaneDlg>();
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    if (m_dialog->logicalDpiY() != 96) QSKIP("the screen is not at 96 pixels per inch");

    const DialogUnits units = DialogUnits::Of(m_dialog->font());
    const int frame = Line(kByte0)->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const auto inside = [&](int id) {
      for (const DialogItem& item : MainDialogTemplate().items) {
        if (item.id == id) {
          return units.ToPixels(item.x, item.y, item.width, item.height).height() - 2 * frame;
        }
      }
      return 0;
    };
    const double described = QFontInfo(desktop).pixelSize() * 72.0 / 96;
    const double size = described * inside(kByte0) / inside(kStatusLineId);
    for (const int id : {kByte0, kHugeInt, kDouble}) {
      QCOMPARE(QFontInfo(Line(id)->font()).pixelSize(), static_cast<int>(96 * size / 72));
    }
  }

  // The start selects the first input line's text, so the first key replaces the "0";
  // the keystroke rewrites every view but the typed line.
  void firstKeysRewriteEverythingButTheTypedLine() {
    QCOMPARE(QApplication::focusWidget(), Line(kByte7));
    QCOMPARE(Line(kByte7)->selectedText(), QStringLiteral("0"));
    QTest::keyClicks(Line(kByte7), QStringLiteral("0x41"));
    QCOMPARE(Line(kByte7)->text(), QStringLiteral("0x41"));
    QVERIFY(Info(1044).startsWith(QStringLiteral("0x41\n65U\n65\n01000001\n'A'")));
    QCOMPARE(Line(kHighInt)->text(), QStringLiteral("1090519040"));
    QCOMPARE(Line(kHugeInt)->text(), QStringLiteral("4683743612465315840"));
    QCOMPARE(Status(), QStringLiteral("(no problem)"));
    QCOMPARE(m_dialog->Value().ToU64(), 0x4100000000000000ull);
  }

  void rejectedTextMarksItsLineAndTheStatus() {
    Type(kLowInt, QStringLiteral("7"));
    QTest::keyClicks(Line(kLowInt), QStringLiteral("z"));  // "7z"
    QCOMPARE(Status(), QStringLiteral("Invalid Low Integer (32-bit) value"));
    QCOMPARE(Base(Line(kStatusLineId)), QColor(255, 153, 51));
    QCOMPARE(Base(Line(kLowInt)), QColor(255, 153, 51));
    QCOMPARE(m_dialog->Value().ToU64(), 7u);

    Type(kByte0, QStringLiteral("8"));
    QCOMPARE(Status(), QStringLiteral("(no problem)"));
    QCOMPARE(m_dialog->ColorHook().Colors().Lookup(kLowInt), nullptr);
    QCOMPARE(Base(Line(kLowInt)), QLineEdit().palette().color(QPalette::Base));
  }

  // A click, Enter or keypad Enter on a focused swap button swaps, rewrites every line
  // and leaves the status as it was.
  void swapRewritesEveryLineAndLeavesTheStatus() {
    Type(kHugeInt, QStringLiteral("0x0123456789ABCDEF"));
    Type(kByte0, QStringLiteral("x"));
    auto* swap = qobject_cast<QPushButton*>(FindControl(m_dialog.get(), kHugeBSwap));
    swap->click();
    QCOMPARE(m_dialog->Value().ToU64(), 0xEFCDAB8967452301ull);
    QCOMPARE(Line(kHugeInt)->text(), QStringLiteral("-1167088121787636991"));
    QCOMPARE(Line(kByte0)->text(), QStringLiteral("1"));
    QCOMPARE(Status(), QStringLiteral("Invalid Byte #0 value"));
    QCOMPARE(Base(Line(kStatusLineId)), QColor(255, 153, 51));
    swap->setFocus();
    QTest::keyClick(swap, Qt::Key_Return);
    QCOMPARE(m_dialog->Value().ToU64(), 0x0123456789ABCDEFull);
    QTest::keyClick(swap, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(m_dialog->Value().ToU64(), 0xEFCDAB8967452301ull);
    QVERIFY(m_dialog->isVisible());
  }

  void pasteIsTyping() {
    QApplication::clipboard()->setText(QStringLiteral("255"));
    QTest::keyClick(Line(kByte0), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Line(kByte0), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_dialog->Value().ToU64(), 0xFFu);
    QCOMPARE(Line(kLowInt)->text(), QStringLiteral("255"));
  }

  void enterDoesNothingAndEscapeCloses() {
    Type(kDouble, QStringLiteral("1e3"));
    const auto before = Inputs();
    QTest::keyClick(Line(kDouble), Qt::Key_Return);
    QTest::keyClick(Line(kDouble), Qt::Key_Enter);
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(Inputs(), before);
    QTest::keyClick(Line(kDouble), Qt::Key_Escape);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
  }

  void darkThemeStatusColours() {
    m_dialog = std::make_unique<BitvaneDlg>();
    m_dialog->DarkTheme() = true;
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    QCOMPARE(Status(), QStringLiteral("(no problem)"));
    QCOMPARE(Line(kStatusLineId)->palette().color(QPalette::Text), QColor(204, 204, 204));
    QCOMPARE(Base(Line(kStatusLineId)), QColor(0, 51, 0));
    QCOMPARE(Base(Line(kByte0)), QColor(0, 0, 0));
  }
};

BITVANE_UI_TEST(BitvaneDlgTest)

}  // namespace
}  // namespace bitvane

#include "bitvane_dlg_test.moc"
