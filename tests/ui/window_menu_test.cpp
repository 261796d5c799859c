#include "ui/window_menu.h"

#include <QClipboard>
#include <vector>

#include "res/string_table.h"
#include "tests/ui/ui_test.h"
#include "ui/about_box.h"
#include "ui/bitvane_dlg.h"
#include "ui/control_ids.h"
#include "ui/icon_pool.h"

namespace bitvane {
namespace {

constexpr int kDouble = 1001, kByte7 = 1010, kLabel7 = 1052, kBox7 = 1044, kSwap = 1063;
const QString kAbout = QStringLiteral("&About Bitvane...");

// A menu's items: "-" for a separator, "*" after a checked item.
QStringList Items(const QMenu& menu) {
  QStringList items;
  for (const QAction* action : menu.actions())
    items << (action->isSeparator() ? "-" : action->text() + (action->isChecked() ? "*" : ""));
  return items;
}

class WindowMenuTest : public QObject {
  Q_OBJECT

  std::unique_ptr<BitvaneDlg> m_dialog;
  QPoint m_menuAt;

  bool Open(bool dark) {
    m_dialog = std::make_unique<BitvaneDlg>();
    m_dialog->DarkTheme() = dark;
    m_dialog->show();
    return QTest::qWaitForWindowExposed(m_dialog.get());
  }
  QWidget* Control(int id) { return FindControl(m_dialog.get(), id); }

  // Sends `widget` a right-click at (2, 2), or `key`; reads the menu that opens and
  // where, and closes it by choosing `command`, or by Escape for 0. Empty: no menu.
  QStringList Shown(QWidget* widget, Qt::Key key = Qt::Key_unknown, int command = 0) {
    QStringList items;
    QTimer timer;  // gone, and so never firing, when no menu ran its loop
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) return;
      items = Items(*menu);
      m_menuAt = menu->pos();
      for (QAction* action : menu->actions())
        if (command != 0 && action->data() == command) menu->setActiveAction(action);
      QTest::keyClick(menu, command != 0 ? Qt::Key_Return : Qt::Key_Escape);
    });
    timer.start(0);
    static QtMessageHandler next;  // drops the offscreen platform's notes on popups
    next = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& at, const QString& text) {
          if (!text.startsWith(QStringLiteral("This plugin does not support")))
            next(type, at, text);
        });
    if (key == Qt::Key_unknown) {
      QContextMenuEvent click(QContextMenuEvent::Mouse, {2, 2}, widget->mapToGlobal(QPoint(2, 2)));
      QCoreApplication::sendEvent(widget, &click);
    } else {
      QTest::keyClick(widget, key, key == Qt::Key_F10 ? Qt::ShiftModifier : Qt::NoModifier);
    }
    qInstallMessageHandler(next);
    return items;
  }

 private slots:
  void cleanup() { m_dialog.reset(); }

  // After other items, a separator first; string 101 missing leaves out About and its
  // separator.
  void itemsAppended() {
    QVERIFY(LoadResString(kAboutItemStringId) == u"&About Bitvane..." &&
            LoadResString(102).empty());
    const struct {
      bool preceded, dark;
      QString about;
      QStringList expected;
    } rows[] = {{true, false, {}, {"Copy", "-", "&Dark theme"}},
                {true, true, kAbout, {"Copy", "-", "&Dark theme*", "-", kAbout}},
                {false, false, kAbout, {"&Dark theme", "-", kAbout}}};
    for (const auto& row : rows) {
      BITVANE_ROW(row.expected.join('|'));
      QMenu menu;
      if (row.preceded) menu.addAction(QStringLiteral("Copy"));
      AppendWindowMenuItems(&menu, row.dark, row.about);
      QCOMPARE(Items(menu), row.expected);
    }
  }

  // Input lines and information boxes: their own items (an input line's then "Copy as"),
  // then the window's; the background, labels and buttons: the window's alone. At the pointer, or
  // from the keyboard on the control away from the pointer's place.
  void menusOfEveryPart() {
    QVERIFY(Open(false));
    auto* line = qobject_cast<QLineEdit*>(Control(kByte7));
    auto* box = qobject_cast<QTextEdit*>(Control(kBox7));
    const QStringList own = {"-", "&Dark theme", "-", kAbout},
                      lineOwn = Items(*std::unique_ptr<QMenu>(line->createStandardContextMenu())),
                      boxOwn = Items(*std::unique_ptr<QMenu>(box->createStandardContextMenu()));
    QVERIFY(lineOwn.size() > 3 && boxOwn.size() > 1);
    const QStringList copyAs = {"-", "Copy &as"};
    const struct {
      QWidget* widget;
      Qt::Key key;
      QStringList expected;
    } rows[] = {{line, Qt::Key_unknown, lineOwn + copyAs + own},
                {line, Qt::Key_Menu, lineOwn + copyAs + own},
                {box->viewport(), Qt::Key_unknown, boxOwn + own},
                {box, Qt::Key_F10, boxOwn + own},
                {Control(kLabel7), Qt::Key_unknown, own.mid(1)},
                {m_dialog.get(), Qt::Key_unknown, own.mid(1)},
                {Control(kSwap), Qt::Key_Menu, own.mid(1)},
                {Control(kSwap), Qt::Key_unknown, own.mid(1)}};
    for (const auto& row : rows) {
      BITVANE_ROW(QString::number(&row - rows));
      QCOMPARE(Shown(row.widget, row.key), row.expected);
      const QPoint pointer = row.widget->mapToGlobal(QPoint(2, 2));
      QVERIFY(row.key == Qt::Key_unknown
                  ? m_menuAt == pointer
                  : row.widget->rect().contains(row.widget->mapFromGlobal(m_menuAt)) &&
                        m_menuAt != pointer);
    }
    QVERIFY(!m_dialog->DarkTheme());
  }

  // Each "Copy as" item puts the line's view as code on the clipboard.
  void copyAsItems() {
    QVERIFY(Open(false));
    auto* line = qobject_cast<QLineEdit*>(Control(kDouble));
    line->setText(QStringLiteral("1.5"));
    const auto menu = m_dialog->findChild<WindowMenu*>()->MenuFor(line);
    QMenu* copyAs = nullptr;
    for (QAction* action : menu->actions())
      if (action->text() == QStringLiteral("Copy &as")) copyAs = action->menu();
    QVERIFY(copyAs != nullptr);
    QStringList copied;
    for (QAction* action : copyAs->actions()) {
      action->trigger();
      copied << QApplication::clipboard()->text();
    }
    QCOMPARE(copied,
             (QStringList{"1.5", "0x1.8p+0", "{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F}",
                          "{0x3F, 0xF8, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}",
                          "struct.pack('<d', float.fromhex('0x1.8p+0'))"}));
  }

  // Stored as dark before the first show: checked before anything is chosen. Chosen
  // twice: the colours, the check mark and the flag are back where they were.
  void darkThemeCommand() {
    QVERIFY(Open(true));
    QCOMPARE(Shown(Control(kLabel7)).first(), QStringLiteral("&Dark theme*"));
    QVERIFY(Open(false));
    const auto base = [this] { return Control(kByte7)->palette().color(QPalette::Base); };
    const QColor light = base();
    Shown(m_dialog.get(), Qt::Key_unknown, kDarkThemeCommand);
    QVERIFY(m_dialog->DarkTheme() && base() != light);
    QVERIFY(Shown(Control(kByte7)).contains("&Dark theme*"));
    Shown(Control(kByte7), Qt::Key_Menu, kDarkThemeCommand);
    QVERIFY(!m_dialog->DarkTheme() && base() == light);
    QCOMPARE(Shown(Control(kLabel7)).first(), QStringLiteral("&Dark theme"));
  }

  // About opens the box in the theme of the moment; Escape chooses nothing.
  void aboutCommand() {
    QVERIFY(Open(false));
    OpenAboutOnRequest(*m_dialog);
    std::vector<bool> openedDark;  // per box opened: whether its banner is the dark one
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&openedDark] {
      if (auto* box = qobject_cast<AboutBox*>(QApplication::activeModalWidget())) {
        openedDark.push_back(box->Options().ExtraImage == NIconPool::GetIcon(131, 240, 48));
        box->accept();
      }
    });
    poll.start(10);
    Shown(Control(kLabel7));
    QVERIFY(openedDark.empty());
    Shown(Control(kBox7), Qt::Key_unknown, kAboutCommand);
    Shown(m_dialog.get(), Qt::Key_unknown, kDarkThemeCommand);
    Shown(Control(kByte7), Qt::Key_F10, kAboutCommand);
    QCOMPARE(openedDark, (std::vector<bool>{false, true}));
  }
};

BITVANE_UI_TEST(WindowMenuTest)

}  // namespace
}  // namespace bitvane

#include "window_menu_test.moc"
