// Font descriptions on widgets: through a widget and back, and the record conversions.
#include "ui/font_spec_qt.h"

#include <cmath>

#include "tests/support/make_font_spec.h"
#include "tests/ui/ui_test.h"

namespace bitvane {
namespace {

QFont Font(int pixelSize, double pointSize) {  // 0: leave unset
  QFont font(QStringLiteral("DejaVu Sans"));
  pointSize > 0 ? font.setPointSizeF(pointSize) : font.setPixelSize(pixelSize);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

class FontSpecQtTest : public QObject {
  Q_OBJECT

 private slots:
  // A widget shows whole pixels: a font comes back as the point size of its truncated
  // pixel height, the rest as it was; a second trip changes nothing.
  void roundTripsThroughAWidget() {
    for (const FontSpec& font :
         {test::MakeFontSpec(u"DejaVu Serif", 10.5, 600, true, true, true),
          test::MakeFontSpec(u"No Such Face", 20, 300, false, true),
          test::MakeFontSpec(u"DejaVu Sans", 10.1, 1000, false, false, true)}) {
      BITVANE_ROW(QString::fromStdU16String(font.ToText()));
      QWidget widget;
      const double dpi = widget.logicalDpiY();
      LogFontRecord record;
      FontSpec expected, back, again;
      QVERIFY(font.ToLogFont(record, dpi) && expected.FromLogFont(record, dpi));
      QVERIFY(CreateFontFor(&widget, font) && FromWindowFont(back, &widget) && back == expected);
      QCOMPARE(widget.font().pointSizeF() * dpi / 72, -static_cast<double>(record.height));
      QVERIFY(CreateFontFor(&widget, back) && FromWindowFont(again, &widget) && again == back);
    }
  }

  // The pixel size drawn is Qt's; other heights, weights, and what is refused.
  void otherHeightsAndRefusals() {
    const double dpi = QWidget().logicalDpiY();
    for (double pointSize = 6; pointSize <= 30; pointSize += 0.25)
      QCOMPARE(DrawnPixelSize(pointSize, dpi), QFontInfo(Font(0, pointSize)).pixelSize());
    // Pixel sizes: a cell height, a height without a usable density, a pixel font.
    QCOMPARE(QFontFromLogFont({20, false, false, false, 400, u"F"}, 96).pixelSize(), 20);
    QCOMPARE(QFontFromLogFont({-20, false, false, false, 400, u"F"}, 0).pixelSize(), 20);
    QFont font = Font(0, 9);
    font.setPixelSize(13);
    QCOMPARE(LogFontFromQFont(font, 96).height, -13);
    // Height 0 keeps the default size; a point size without a usable density has none.
    QCOMPARE(QFontFromLogFont({0, false, false, false, 400, u"F"}, 96).pointSizeF(),
             QFont().pointSizeF());
    QVERIFY(LogFontFromQFont(Font(0, 9), 0).height == 0 &&
            LogFontFromQFont(Font(0, 9), NAN).height == 0);
    for (const auto& [weight, qtWeight] : {std::pair{550, 550}, {0, 400}, {1001, 400}}) {
      // Any weight of the scale is kept; "don't care" and weights off the scale are normal.
      const QFont weighted = QFontFromLogFont({-16, true, false, true, weight, u"F"}, 96);
      const LogFontRecord back = LogFontFromQFont(weighted, 96);
      QVERIFY(weighted.weight() == qtWeight && back.weight == qtWeight && back.height == -16);
    }
    font.setFamily(QString(40, QLatin1Char('F')));  // faces are cut to 31 characters
    QVERIFY(LogFontFromQFont(font, 96).face == std::u16string(31, u'F'));

    QWidget widget;
    widget.setFont(Font(0, 11));
    FontSpec kept = test::MakeFontSpec(u"Kept", 9);
    QVERIFY(!CreateFontFor(&widget, FontSpec{}) && !CreateFontFor(nullptr, kept));
    QVERIFY(!FromWindowFont(kept, nullptr) && widget.font().pointSizeF() == 11.0);
  }
};

BITVANE_UI_TEST(FontSpecQtTest)

}  // namespace
}  // namespace bitvane

#include "font_spec_qt_test.moc"
