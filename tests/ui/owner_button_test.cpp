#include "ui/owner_button.h"

#include <climits>

#include "tests/ui/ui_test.h"
#include "ui/button_look.h"
#include "ui/button_tints.h"
#include "ui/dialog_builder.h"
#include "ui/qt_colors.h"

namespace bitvane {
namespace {

constexpr QRgb kUntouched = 0xFFFF00FF;  // what the image holds before painting
// Face, text, frame and icon differ, greyed or not, so that each can be told apart.
constexpr ColorRef kFace = 0x333333, kText = 0xCCCCCC, kFrame = 0xFFFFFF, kIconColor = 0x00FF00;

class OwnerButtonTest : public QObject {
  Q_OBJECT

  static QRgb Rgb(ColorRef color) { return ToQColor(color).rgb(); }
  static QFont Font(int pixelSize = 12, double pointSize = 0) {
    QFont font(QStringLiteral("DejaVu Sans"));
    pointSize > 0 ? font.setPointSizeF(pointSize) : font.setPixelSize(pixelSize);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
  }
  static QIcon Icon(ColorRef color, QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(ToQColor(color));
    return QIcon(pixmap);
  }
  static QImage Render(ButtonLook look, QSize size, QRect rect = {}, QFont font = Font(),
                       int dpi = 96) {
    std::tie(look.faceColor, look.textColor, look.frameColor) = std::tuple(kFace, kText, kFrame);
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(kUntouched);
    QPainter painter(&image);
    painter.setFont(font);
    PaintOwnerButton(painter, rect.isNull() ? image.rect() : rect, look);
    return image;
  }
  // The smallest rectangle holding every pixel of `color`; how many there are.
  static QRect BoundsOf(const QImage& image, QRgb color, int* count = nullptr) {
    QRect bounds;
    for (int i = 0; i < image.width() * image.height(); ++i) {
      if (image.pixel(i % image.width(), i / image.width()) != color) continue;
      bounds |= QRect(i % image.width(), i / image.width(), 1, 1);
      if (count != nullptr) ++*count;
    }
    return bounds;
  }

 private slots:
  // Tints saturate; top byte and channels past blue are ignored; grey stops at 128. The
  // face fills, the frame takes the outermost pixels, the focus dots every other pixel 3
  // in, nothing outside is touched. First state wins: pressed, disabled, hover, default.
  void stateColours() {
    const std::tuple<ColorRef, unsigned, unsigned, ColorRef> tints[] = {
        {0x333333, 2, 17, 0x442222},   {0xF8F8F8, 0, 17, 0xE7E7FF},
        {0x0A0A0A, 2, 17, 0x1B0000},   {0x808080, 1, UINT_MAX, 0x00FF00},
        {0xFF333333, 1, 17, 0x224422}, {0x333333, 3, 17, 0x222222}};
    for (const auto& [color, channel, amount, tinted] : tints)
      QCOMPARE(Tint(color, channel, amount), tinted);
    const std::tuple<ColorRef, unsigned, ColorRef> greys[] = {
        {0xCCCCCC, 102, 0x808080}, {0x818181, 1000, 0x808080}, {0x7F7F7F, 102, 0x808080},
        {0x102030, 10, 0x2A2A2A},  {0x0000FF, 0, 0x555555},    {0xFF000000, 102, 0x666666}};
    for (const auto& [color, amount, grey] : greys) QCOMPARE(Grey(color, amount), grey);
    const ColorRef hover = Tint(kFace, 2, 17), press = Tint(kFace, 0, 17), grey = Grey(kFrame, 102),
                   tint = Tint(kFrame, 2, 17);
    const std::tuple<const char*, ColorRef, ColorRef> rows[] = {
        {"f", kFace, kFrame},  {"h", hover, kFrame}, {"phkf", press, kFrame}, {"dhk", kFace, grey},
        {"pd", press, kFrame}, {"k", kFace, tint},   {"hk", hover, kFrame}};
    for (const auto& [states, face, frame] : rows) {
      BITVANE_ROW(states);
      const QByteArray set(states);
      ButtonLook look;
      std::tie(look.pressed, look.disabled, look.hovering, look.isDefault, look.focus) =
          std::tuple(set.contains('p'), set.contains('d'), set.contains('h'), set.contains('k'),
                     set.contains('f'));
      const QRect button(5, 3, 41, 20), outline = button.adjusted(3, 3, -3, -3);
      const QImage image = Render(look, QSize(52, 28), button);
      int faces = 0, frames = 0, untouched = 0;
      QCOMPARE(BoundsOf(image, Rgb(face), &faces), button.adjusted(1, 1, -1, -1));
      QCOMPARE(BoundsOf(image, Rgb(frame), &frames), button);
      (void)BoundsOf(image, kUntouched, &untouched);
      const int dots = look.focus ? (2 * (outline.width() + outline.height()) - 4) / 2 : 0;
      QCOMPARE(frames, 2 * (button.width() + button.height()) - 4 + dots);
      QCOMPARE(faces + frames + untouched, 52 * 28);
      if (look.focus) QCOMPARE(image.pixel(outline.topLeft()), Rgb(frame));
    }
  }

  // Text, icon or both centred (as one group, `gap` apart); disabled: greyed text and
  // the icon's disabled form.
  void textAndIcon() {
    const std::tuple<const char*, QSize, QSize, int, bool> rows[] = {
        {"For&mats", {90, 24}, {}, 4, false},
        {"", {61, 25}, {15, 13}, 4, false},
        {"Swap", {91, 27}, {15, 15}, 7, false},
        {"Sw&ap", {100, 24}, {16, 16}, 4, true}};
    for (const auto& [text, size, iconSize, gap, disabled] : rows) {
      BITVANE_ROW(text);
      ButtonLook look;
      std::tie(look.text, look.iconSize, look.gap, look.disabled) =
          std::tuple(text, iconSize, gap, disabled);
      if (!iconSize.isEmpty()) look.icon = Icon(kIconColor, iconSize);
      const QImage image = Render(look, size);
      const QSize textSize = QFontMetrics(Font()).size(Qt::TextShowMnemonic, look.text);
      const QRect ink = BoundsOf(image, Rgb(disabled ? Grey(kText, 102) : kText));
      QVERIFY(BoundsOf(image, Rgb(kText)).isNull() == (disabled || look.text.isEmpty()));
      int x = size.width() / 2 - iconSize.width() / 2, count = 0, faces = 0;
      if (!look.text.isEmpty()) x -= (gap + textSize.width()) / 2;
      const QRect iconRect(QPoint(x, size.height() / 2 - iconSize.height() / 2), iconSize);
      QRect textBox(QPoint(0, 0), textSize);  // centred, or after the icon
      textBox.moveCenter(image.rect().center());
      if (!iconSize.isEmpty()) textBox.moveLeft(iconRect.right() + 1 + gap);
      QCOMPARE(ink.isNull(), look.text.isEmpty());
      QVERIFY(ink.isNull() || textBox.adjusted(-1, -1, 2, 1).contains(ink));
      const bool iconShown = !disabled && !iconSize.isEmpty();
      QCOMPARE(BoundsOf(image, Rgb(kIconColor), &count), iconShown ? iconRect : QRect());
      QCOMPARE(count, iconShown ? iconSize.width() * iconSize.height() : 0);
      (void)BoundsOf(image.copy(iconRect), Rgb(kFace), &faces);  // a disabled icon is drawn
      QVERIFY(!disabled || iconSize.isEmpty() || faces < iconSize.width() * iconSize.height());
    }
  }

  // Where the text's ink (underline and density included) would meet the focus outline,
  // it moves towards the frame, on each axis only as far as keeps a pixel clear.
  void focusOutlineClearsTheText() {
    std::vector<std::tuple<const char*, QFont, QSize, int>> rows{
        {"DW-Swap", Font(11), {}, 96}, {"For&mats", Font(15), {}, 96},
        {"W-Swap", Font(20), {}, 96},  {"Swap", Font(12), {90, 40}, 96},
        {"", Font(12), {30, 12}, 96},  {"Swap", Font(0, 6), {60, 22}, 192}};
    for (int width = 30; width <= 44; ++width)
      rows.emplace_back("Swap", Font(), QSize(width, 24), 96);
    for (auto [text, font, size, dpi] : rows) {
      // An empty size: a swap button, 40 x 10 dialog units.
      if (size.isEmpty()) size = DialogUnits::Of(font).ToPixels(0, 0, 40, 10).size();
      BITVANE_ROW(QStringLiteral("%1 %2 x %3").arg(text).arg(size.width()).arg(dpi));
      ButtonLook look;
      std::tie(look.text, look.focus) = std::tuple(text, true);
      const QImage image = Render(look, size, {}, font, dpi);
      // Inside the frame only the dots have its colour.
      const QRect dots = BoundsOf(image.copy(image.rect().adjusted(1, 1, -1, -1)), Rgb(kFrame));
      const QRect ink = BoundsOf(image, Rgb(kText));
      const int w = size.width(), h = size.height();
      const int dx =
          ink.isNull() ? 3 : std::clamp(std::min(ink.left() - 1, w - 2 - ink.right()), 1, 3);
      const int dy =
          ink.isNull() ? 3 : std::clamp(std::min(ink.top() - 1, h - 2 - ink.bottom()), 1, 3);
      QCOMPARE(dots.translated(1, 1), QRect(dx, dy, w - 2 * dx, h - 2 * dy));
    }
  }

  // Colours its own or the palette's active ones. A move from outside is no hover. Enter
  // and Return press, with a modifier not. Its own icon wins over the fallback.
  void widgetStates() {
    OwnerButton button(QStringLiteral("Swap"));
    button.resize(80, 24);
    QPalette palette = button.palette();
    palette.setColor(QPalette::Disabled, QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Button, QColor(10, 20, 30));
    button.setPalette(palette);
    const auto corner = [&button](int at) { return button.grab().toImage().pixel(at, at); };
    button.SetFrameColor(kFrame);
    button.setEnabled(false);
    QVERIFY(corner(1) == qRgb(10, 20, 30) && corner(0) == Rgb(Grey(kFrame, 102)));
    button.setEnabled(true);
    button.SetFaceColor(kFace);
    button.setDown(true);
    QCOMPARE(corner(1), Rgb(Tint(kFace, 0, 17)));
    button.setDown(false);
    button.setDefault(true);
    QCOMPARE(corner(0), Rgb(Tint(kFrame, 2, 17)));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &enter);
    QVERIFY(button.IsHovering() && corner(1) == Rgb(Tint(kFace, 2, 17)) &&
            corner(0) == Rgb(kFrame));
    button.setDefault(false);
    QCOMPARE(corner(3), Rgb(Tint(kFace, 2, 17)));  // no focus, no dot

    button.show();
    button.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&button));
    button.setFocus();
    QTRY_VERIFY(button.hasFocus());
    QCoreApplication::sendEvent(&button, &leave);
    QVERIFY(!button.IsHovering() && corner(3) == Rgb(kFrame) && corner(2) == Rgb(kFace));
    QVERIFY(test::PaintsAfter(&button, [&] { QCoreApplication::sendEvent(&button, &enter); }) > 0);
    QCoreApplication::sendEvent(&button, &leave);
    for (const auto& [x, buttons, hovering] :
         {std::tuple{-5, Qt::LeftButton, false}, {5, Qt::NoButton, true}}) {
      QMouseEvent move(QEvent::MouseMove, QPointF(x, 5), QPointF(x, 5), Qt::NoButton, buttons,
                       Qt::NoModifier);
      QCoreApplication::sendEvent(&button, &move);
      QCOMPARE(button.IsHovering(), hovering);
    }
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&clicks] { ++clicks; });
    QTest::keyClick(&button, Qt::Key_Return);
    QTest::keyClick(&button, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(&button, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(clicks, 2);
    QTest::keyClick(&button, Qt::Key_Space);
    QCOMPARE(clicks, 3);
    button.setText(QString());
    button.resize(40, 24);
    button.SetFallbackIcon(Icon(kIconColor, QSize(16, 16)));
    QCOMPARE(BoundsOf(button.grab().toImage(), Rgb(kIconColor)), QRect(12, 4, 16, 16));
    button.setIcon(Icon(0xFF0000, QSize(16, 16)));
    QCOMPARE(BoundsOf(button.grab().toImage(), Rgb(0xFF0000)), QRect(12, 4, 16, 16));
  }
};

BITVANE_UI_TEST(OwnerButtonTest)

}  // namespace
}  // namespace bitvane

#include "owner_button_test.moc"
