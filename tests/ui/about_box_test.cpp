#include "ui/about_box.h"

#include <QTextBlock>
#include <QTextLayout>

#include "about/own_version_info.h"
#include "tests/ui/ui_test.h"
#include "ui/control_ids.h"
#include "ui/icon_pool.h"
#include "ui/owner_button.h"
#include "ui/qt_colors.h"

namespace bitvane {
namespace {

AboutBoxOptions Options(std::uint32_t flags, std::u16string text = {}, std::uint32_t maxLines = 0) {
  AboutBoxOptions options;
  options.Source = &OwnVersionInfo();
  std::tie(options.Flags, options.Text, options.MaxLines) = std::tuple(flags, text, maxLines);
  return options;
}

class AboutBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY(OwnVersionInfo().LoadSelf()); }

  // Which version lines the flags keep; a caller's text and title are shown unchanged.
  void textAndTitle() {
    struct Row {
      std::uint32_t flags;
      std::u16string text, title;
      QString shown, shownTitle;  // lines: company, copyright, comments, loaded from
    } rows[] = {{0, u"", u"", "1111", "About Bitvane"},
                {kAboutMainWindowFlags, u"", u"", "0111", "About Bitvane"},
                {0x0F000000, u"", u"Mine", "0000", "Mine"},
                {0, u"Given\r\ntext", u"Mine", "0000", "Mine"}};
    for (const Row& row : rows) {
      BITVANE_ROW(row.shown + row.shownTitle);
      AboutBoxOptions options = Options(row.flags, row.text);
      options.Title = row.title;
      AboutBox box(std::move(options));
      QString shown;
      for (const char* line : {"\nby Kelmo", "\nCopyright (C) ", "\nOne 64-bit", "\nLoaded from "})
        shown += box.TextBox()->toPlainText().contains(line) ? "1" : "0";
      QCOMPARE(shown, row.shown);
      QVERIFY(row.text.empty() || box.TextBox()->toPlainText() == "Given\ntext");
      QCOMPARE(box.windowTitle(), row.shownTitle);
    }
  }

  // MaxLines lines and a scroll bar, wider by it, when the text has more; at least 64.
  void textBoxSize() {
    const std::u16string five = u"one\r\ntwo\r\nthree\r\nfour\r\nfive";
    AboutBox unlimited(Options(0, five));
    const int line = std::max(8, QFontMetrics(unlimited.TextBox()->font()).height());
    const int bar = unlimited.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int width = unlimited.TextBox()->width();
    struct Row {
      std::u16string text;
      std::uint32_t maxLines;
      QSize size;
      bool scrolls;
    } rows[] = {{five, 5, {width, std::max(64, 6 * line)}, false},
                {five, 3, {width + bar, std::max(64, 4 * line)}, true},
                {u"three", 0, {width, 64}, false}};
    for (const Row& row : rows) {
      BITVANE_ROW(QString::number(row.maxLines));
      AboutBox box(Options(0, row.text, row.maxLines));
      QCOMPARE(box.TextBox()->size(), row.size);
      QCOMPARE(box.TextBox()->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn, row.scrolls);
    }
  }

  // Where the controls go in either arrangement, with and without a banner.
  void arrangements() {
    for (const int kind : {0, 1, 2, 3}) {
      const bool centred = kind & 1, banner = kind & 2;
      BITVANE_ROW(QString::number(kind));
      AboutBoxOptions options = Options(centred ? kAboutCentred : 0, u"a first line of words\r\nb");
      if (banner) options.ExtraImage = NIconPool::GetIcon(130, 240, 48);
      AboutBox box(std::move(options));
      QWidget *picture = FindControl(&box, 1029), *ok = FindControl(&box, 1);
      const QRect text = box.TextBox()->geometry();
      const int cw = box.width(), ch = box.height();
      QCOMPARE(ok->y(), ch - ok->height() - 8);
      QCOMPARE(FindControl(&box, 1030) != nullptr, banner);
      if (banner) QCOMPARE(FindControl(&box, 1030)->geometry(), QRect(8, ch - 56, 240, 48));
      const int okX = centred && !banner ? (cw - ok->width()) / 2 : cw - ok->width() - 8;
      const QPoint pictureAt = centred ? QPoint((cw - picture->width()) / 2, 8)
                                       : QPoint((text.width() + 8 + cw - picture->width()) / 2, 8);
      QCOMPARE(text.topLeft(), centred ? QPoint(0, picture->height() + 16) : QPoint(8, 8));
      QVERIFY(ok->x() == okX && picture->pos() == pictureAt);
      box.show();  // laid out as shown: no line of the text wraps
      QVERIFY(QTest::qWaitForWindowExposed(&box));
      for (QTextBlock line = box.TextBox()->document()->begin(); line.isValid(); line = line.next())
        QCOMPARE(line.layout()->lineCount(), 1);
    }
  }

  // "&More..." sits left of OK; without a handler it stays hidden, with one it calls it.
  void moreButton() {
    for (const bool handler : {false, true}) {
      BITVANE_ROW(QString::number(handler));
      AboutBoxOptions options = Options(0, u"x");
      QRect called;
      if (handler) options.OnMore = [&called](QDialog*, QRect rect) { called = rect; };
      AboutBox box(std::move(options));
      box.show();
      QVERIFY(QTest::qWaitForWindowExposed(&box));
      auto* more = qobject_cast<OwnerButton*>(FindControl(&box, 1031));
      QVERIFY(more != nullptr && more->text() == "&More..." && more->isVisible() == handler);
      QCOMPARE(more->x(), FindControl(&box, 1)->x() - more->width() - 8);
      if (handler) QTest::mouseClick(more, Qt::LeftButton);
      QCOMPARE(called, handler ? QRect(more->mapToGlobal(QPoint()), more->size()) : QRect());
      QTest::mouseClick(FindControl(&box, 1), Qt::LeftButton);
      QVERIFY(!box.isVisible() && box.result() == QDialog::Accepted);
    }
  }

  // The main window's box: no company line, the theme's colours and banner, the revision.
  void mainWindowBox() {
    const QPalette system = QApplication::palette();
    const struct {
      bool dark;
      ColorRef face, text;
      int banner;
    } rows[] = {{true, 0x333333, 0xCCCCCC, 131},
                {false, FromQColor(system.color(QPalette::Button)),
                 FromQColor(system.color(QPalette::ButtonText)), 130}};
    for (const auto& row : rows) {
      BITVANE_ROW(QString::number(row.dark));
      const auto box = MakeMainWindowAbout(nullptr, row.dark);
      const QPalette colours = box->TextBox()->palette();
      QVERIFY(colours.color(QPalette::Base) == ToQColor(row.face) &&
              colours.color(QPalette::Text) == ToQColor(row.text));
      const auto* ok = qobject_cast<OwnerButton*>(FindControl(box.get(), 1));
      QVERIFY(ok->FaceColor() == row.face && ok->TextColor() == row.text);
      const QImage banner = qobject_cast<QLabel*>(FindControl(box.get(), 1030))->pixmap().toImage();
      QCOMPARE(banner, NIconPool::GetIcon(row.banner, 240, 48).convertToFormat(banner.format()));
      const QString text = box->TextBox()->toPlainText();
      QVERIFY(!text.contains("\nby ") && text.contains("\nLoaded from ") &&
              text.contains("\nRevision ") && box->windowTitle().startsWith("About "));
      const auto* picture = qobject_cast<QLabel*>(FindControl(box.get(), 1029));
      QVERIFY(picture->size() == QSize(256, 256) && picture->pixmap().size() == QSize(256, 256));
    }
  }
};

BITVANE_UI_TEST(AboutBoxTest)

}  // namespace
}  // namespace bitvane

#include "about_box_test.moc"
