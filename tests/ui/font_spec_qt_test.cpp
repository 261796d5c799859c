#include "ui/font_spec_qt.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtTest>
#include <cmath>

#include "platform/last_error.h"
#include "tests/ui/ui_test_registry.h"

Q_DECLARE_METATYPE(bitvane::FontSpec)

#include "tests/support/make_font_spec.h"

namespace bitvane {
namespace {

FontSpec Described(std::u16string face, double size, std::int32_t weight = 0, bool italic = false,
                   bool underline = false, bool strikeOut = false) {
  return test::MakeFontSpec(std::move(face), size, weight, italic, underline, strikeOut);
}

QString Describe(const FontSpec& described) {
  return QString::fromStdU16String(described.ToText());
}

// A font described as drawn and made again is drawn in the same pixels, and
// describing that gives the same description.
void CheckStableAt(double pixelsPerInch, double pointSize) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPointSizeF(pointSize);
  const LogFontRecord drawn = LogFontFromQFont(font, pixelsPerInch);
  QCOMPARE(drawn.height, -qRound(pointSize * pixelsPerInch / 72));
  FontSpec described;
  QVERIFY(described.FromLogFont(drawn, pixelsPerInch));

  LogFontRecord made;
  QVERIFY(described.ToLogFont(made, pixelsPerInch));
  QCOMPARE(made.height, drawn.height);
  const QFont again = QFontFromLogFont(made, pixelsPerInch);
  QCOMPARE(DrawnPixelSize(again.pointSizeF(), pixelsPerInch), -drawn.height);
  FontSpec redescribed;
  QVERIFY(redescribed.FromLogFont(LogFontFromQFont(again, pixelsPerInch), pixelsPerInch));
  QVERIFY2(redescribed == described,
           qPrintable(Describe(redescribed) + " != " + Describe(described)));
}

void CheckRecordFields(int recordWeight, int qtWeight) {
  const LogFontRecord record{-16, true, false, true, recordWeight, u"DejaVu Sans Mono"};
  const QFont font = QFontFromLogFont(record, 96);
  QCOMPARE(static_cast<int>(font.weight()), qtWeight);
  QCOMPARE(font.family(), QStringLiteral("DejaVu Sans Mono"));
  QVERIFY(font.italic() && !font.underline() && font.strikeOut());

  const LogFontRecord back = LogFontFromQFont(font, 96);
  QCOMPARE(back.weight, qtWeight);
  QCOMPARE(back.height, -16);
  QVERIFY(back.italic && !back.underline && back.strikeOut);
}

}  // namespace

class FontSpecQtTest : public QObject {
  Q_OBJECT

 private slots:
  void roundTripsThroughAWidget_data() {
    QTest::addColumn<FontSpec>("described");
    QTest::newRow("all styles, weight 600")
        << Described(u"DejaVu Serif", 10.5, 600, true, true, true);
    QTest::newRow("unknown face") << Described(u"No Such Face", 20, 300, false, true, false);
    QTest::newRow("fraction of a pixel")
        << Described(u"DejaVu Sans", 10.1, 1000, false, false, true);
  }

  void roundTripsThroughAWidget() {
    QFETCH(FontSpec, described);
    QWidget widget;
    const double pixelsPerInch = widget.logicalDpiY();
    QVERIFY(CreateFontFor(&widget, described));

    // The widget shows whole pixels: the described comes back as the point size of the
    // truncated pixel height, everything else as it was.
    LogFontRecord record;
    QVERIFY(described.ToLogFont(record, pixelsPerInch));
    FontSpec expected;
    QVERIFY(expected.FromLogFont(record, pixelsPerInch));
    QCOMPARE(expected.face, described.face);
    QCOMPARE(widget.font().pointSizeF() * pixelsPerInch / 72, -static_cast<double>(record.height));

    FontSpec back;
    QVERIFY(FromWindowFont(back, &widget));
    QVERIFY2(back == expected, qPrintable(Describe(back) + " != " + Describe(expected)));

    // A second trip changes nothing.
    QVERIFY(CreateFontFor(&widget, back));
    FontSpec again;
    QVERIFY(FromWindowFont(again, &widget));
    QVERIFY2(again == back, qPrintable(Describe(again) + " != " + Describe(back)));
  }

  // Point sizes are drawn in whole pixels; the height comes back as their point size.
  void heightsAtNinetySixPixelsPerInch() {
    const struct {
      double pointSize;
      int pixelSize, height;
    } rows[] = {{9.0, 0, -12}, {8.0, 0, -11}, {7.5, 0, -10}, {0.0, 13, -13}};
    for (const auto& row : rows) {
      QFont font(QStringLiteral("DejaVu Sans"));
      if (row.pointSize > 0) {
        font.setPointSizeF(row.pointSize);
      } else {
        font.setPixelSize(row.pixelSize);
      }
      const LogFontRecord record = LogFontFromQFont(font, 96);
      QCOMPARE(record.height, row.height);
      QVERIFY(record.face == u"DejaVu Sans");
      QCOMPARE(QFontFromLogFont(record, 96).pointSizeF(), -row.height * 72.0 / 96);
    }
  }

  // At the usual densities and sizes.
  void describeMakeDescribeIsStable() {
    for (const double pixelsPerInch : {96.0, 120.0, 144.0, 192.0})
      for (double pointSize = 8; pointSize <= 14; pointSize += 0.5)
        CheckStableAt(pixelsPerInch, pointSize);
  }
  // DrawnPixelSize is what Qt really draws at the screen's density.
  void drawnPixelSizeIsQts() {
    QWidget widget;
    const double pixelsPerInch = widget.logicalDpiY();
    for (double pointSize = 6; pointSize <= 30; pointSize += 0.25) {
      QFont font(QStringLiteral("DejaVu Sans"));
      font.setPointSizeF(pointSize);
      QCOMPARE(DrawnPixelSize(pointSize, pixelsPerInch), QFontInfo(font).pixelSize());
    }
  }

  // Any weight of the scale is kept; "don't care" and weights off the scale are normal.
  void fontRecordFields() {
    for (const auto& [recordWeight, qtWeight] : {std::pair{550, 550}, {0, 400}, {1001, 400}})
      CheckRecordFields(recordWeight, qtWeight);
  }
  void otherHeights() {
    // A cell height, and no usable density: pixel sizes.
    QCOMPARE(QFontFromLogFont({20, false, false, false, 400, u"F"}, 96).pixelSize(), 20);
    QCOMPARE(QFontFromLogFont({-20, false, false, false, 400, u"F"}, 0).pixelSize(), 20);
    // Height 0 keeps the default size.
    QCOMPARE(QFontFromLogFont({0, false, false, false, 400, u"F"}, 96).pointSizeF(),
             QFont().pointSizeF());
    // A point size without a usable density has no height.
    QFont font(QStringLiteral("F"));
    font.setPointSizeF(9);
    QCOMPARE(LogFontFromQFont(font, 0).height, 0);
    QCOMPARE(LogFontFromQFont(font, std::nan("")).height, 0);
    // Faces are cut to 31 characters.
    font.setFamily(QString(40, QLatin1Char('F')));
    QVERIFY(LogFontFromQFont(font, 96).face == std::u16string(31, u'F'));
  }

  void refusals() {
    QWidget widget;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(11);
    widget.setFont(font);
    QVERIFY(!CreateFontFor(&widget, FontSpec{}));
    QVERIFY(!CreateFontFor(nullptr, Described(u"DejaVu Sans", 9, 0, false, false, false)));
    QCOMPARE(widget.font().pointSizeF(), 11.0);

    FontSpec described = Described(u"Kept", 9, 0, false, false, false);
    QVERIFY(!FromWindowFont(described, nullptr));
  }

  void iconTitleFontIsTheDesktopsGeneralFont() {
    QVERIFY(QGuiApplication::primaryScreen() != nullptr);
    SetLastError(ERROR_SUCCESS);
    FontSpec described;
    QVERIFY(FromIconTitleFont(described));
    QVERIFY(described.IsValid());
    QCOMPARE(GetLastError(), ERROR_SUCCESS);

    const QFont general = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    QVERIFY(described.face == general.family().left(31).toStdU16String());
    QCOMPARE(described.italic, general.italic());
    QCOMPARE(described.weight, static_cast<std::int32_t>(general.weight()));
  }
};

BITVANE_UI_TEST(FontSpecQtTest)

}  // namespace bitvane

#include "font_spec_qt_test.moc"
