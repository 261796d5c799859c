#include "ui/owner_button.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QtTest>
#include <climits>

#include "tests/ui/paint_counter.h"
#include "tests/ui/ui_test_registry.h"
#include "ui/button_look.h"
#include "ui/button_tints.h"
#include "ui/dialog_builder.h"
#include "ui/qt_colors.h"

namespace bitvane {
namespace {

constexpr QRgb kUntouched = 0xFFFF00FF;  // what the image holds before painting
// Face, text, frame and icon differ, greyed or not, so that each can be told apart.
constexpr ColorRef kFace = 0x333333, kText = 0xCCCCCC, kFrame = 0xFFFFFF, kIconColor = 0x00FF00;
constexpr int kShownText = Qt::TextSingleLine | Qt::TextShowMnemonic;

QRgb Rgb(ColorRef color) {
  return ToQColor(color).rgb();
}

QString Hex(QRgb color) {
  return QString::number(color & 0xFFFFFF, 16);
}

QFont PixelExactFont(int pixelSize = 12) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixelSize);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

QIcon SolidIcon(ColorRef color, QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(ToQColor(color));
  return QIcon(pixmap);
}

ButtonLook PlainLook(const QString& text = {}) {
  ButtonLook look;
  look.text = text;
  look.faceColor = kFace;
  look.textColor = kText;
  look.frameColor = kFrame;
  return look;
}

QImage Render(const ButtonLook& look, QSize imageSize, const QRect& rect,
              const QFont& font = PixelExactFont()) {
  QImage image(imageSize, QImage::Format_RGB32);
  image.fill(kUntouched);
  QPainter painter(&image);
  painter.setFont(font);
  PaintOwnerButton(painter, rect, look);
  return image;
}

// The smallest rectangle holding every pixel of `color`, and how many there are.
QRect BoundsOf(const QImage& image, QRgb color, int* count = nullptr) {
  QRect bounds;
  int found = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != color) continue;
      bounds |= QRect(x, y, 1, 1);
      ++found;
    }
  }
  if (count != nullptr) *count = found;
  return bounds;
}

}  // namespace

class OwnerButtonTest : public QObject {
  Q_OBJECT

 private slots:
  void tintAndGrey() {
    const struct {
      ColorRef color;
      unsigned channel, amount;
      ColorRef expected;
    } tints[] = {
        {0x333333, 2, 17, 0x442222},       {0xF8F8F8, 0, 17, 0xE7E7FF},    // clamps at 255
        {0x0A0A0A, 2, 17, 0x1B0000},                                       // clamps at 0
        {0x808080, 1, UINT_MAX, 0x00FF00}, {0xFF333333, 1, 17, 0x224422},  // top byte ignored
        {0x333333, 3, 17, 0x222222},                                       // no such channel
    };
    for (const auto& row : tints)
      QCOMPARE(Hex(Tint(row.color, row.channel, row.amount)), Hex(row.expected));
    const struct {
      ColorRef color;
      unsigned amount;
      ColorRef expected;
    } greys[] = {
        {0xCCCCCC, 102, 0x808080},      {0x000000, 102, 0x666666},   {0x818181, 1000, 0x808080},
        {0x7F7F7F, 102, 0x808080},      {0x0000FF, 0, 0x555555},     {0x102030, 10, 0x2A2A2A},
        {0x000000, UINT_MAX, 0x808080}, {0xFF000000, 102, 0x666666},
    };
    for (const auto& row : greys) QCOMPARE(Hex(Grey(row.color, row.amount)), Hex(row.expected));
  }

  // Empty text, no icon: the face fills, the frame takes the outermost pixels, a focus
  // outline dots every other pixel 3 pixels in, and nothing outside is touched.
  void stateColours() {
    const ColorRef hover = Tint(kFace, 2, 17), press = Tint(kFace, 0, 17);
    const struct {
      bool pressed, disabled, hovering, isDefault, focus;
      ColorRef face, frame;
    } rows[] = {
        {false, false, false, false, true, kFace, kFrame},
        {false, false, true, false, false, hover, kFrame},
        {true, false, true, true, true, press, kFrame},  // pressed wins
        {false, true, true, true, false, kFace, Grey(kFrame, 102)},
        {true, true, false, false, false, press, kFrame},
        {false, false, false, true, false, kFace, Tint(kFrame, 2, 17)},
        {false, false, true, true, false, hover, kFrame},  // a hovered default
    };
    for (const auto& row : rows) {
      ButtonLook look = PlainLook();
      look.pressed = row.pressed;
      look.disabled = row.disabled;
      look.hovering = row.hovering;
      look.isDefault = row.isDefault;
      look.focus = row.focus;
      const QRect button(5, 3, 41, 20);
      const QImage image = Render(look, QSize(52, 28), button);
      const QRect outline = button.adjusted(3, 3, -3, -3);
      int faces = 0;
      QCOMPARE(BoundsOf(image, Rgb(row.face), &faces), button.adjusted(1, 1, -1, -1));
      int frames = 0;
      QCOMPARE(BoundsOf(image, Rgb(row.frame), &frames), button);
      const int border = 2 * (button.width() + button.height()) - 4;
      const int dots = row.focus ? (2 * (outline.width() + outline.height()) - 4) / 2 : 0;
      QCOMPARE(frames, border + dots);
      QCOMPARE(faces, button.width() * button.height() - border - dots);
      int untouched = 0;
      (void)BoundsOf(image, kUntouched, &untouched);
      QCOMPARE(untouched, 52 * 28 - button.width() * button.height());
      if (row.focus) QCOMPARE(Hex(image.pixel(outline.topLeft())), Hex(Rgb(row.frame)));
    }
  }

  // The text is centred in the state's text colour; with an icon, both are centred as
  // one group `gap` apart, and a disabled button draws the icon's disabled form.
  void textAndIcon() {
    const struct {
      const char* text;
      QSize button, icon;
      int gap;
      bool disabled;
    } rows[] = {
        {"For&mats", {90, 24}, {}, 4, false},    {"Swap", {90, 24}, {}, 4, true},
        {"", {61, 25}, {15, 13}, 4, false},      {"Swap", {91, 27}, {15, 15}, 7, false},
        {"Sw&ap", {100, 24}, {16, 16}, 4, true},
    };
    for (const auto& row : rows) {
      const QString text = QString::fromLatin1(row.text);
      ButtonLook look = PlainLook(text);
      look.disabled = row.disabled;
      look.gap = row.gap;
      if (!row.icon.isEmpty()) {
        look.icon = SolidIcon(kIconColor, row.icon);
        look.iconSize = row.icon;
      }
      const QImage image = Render(look, row.button, QRect(QPoint(0, 0), row.button));
      const QSize textSize = QFontMetrics(PixelExactFont()).size(kShownText, text);
      const QRect ink = BoundsOf(image, Rgb(row.disabled ? Grey(kText, 102) : kText));
      if (row.disabled) QCOMPARE(BoundsOf(image, Rgb(kText)), QRect());
      QCOMPARE(ink.isNull(), text.isEmpty());
      if (row.icon.isEmpty()) {
        QRect box(QPoint(0, 0), textSize);
        box.moveCenter(QRect(QPoint(0, 0), row.button).center());
        QVERIFY2(box.adjusted(-1, -1, 1, 1).contains(ink), row.text);
        continue;
      }
      int x = row.button.width() / 2 - row.icon.width() / 2;
      if (!text.isEmpty()) x -= (row.gap + textSize.width()) / 2;
      const QRect iconRect(QPoint(x, row.button.height() / 2 - row.icon.height() / 2), row.icon);
      int iconPixels = 0;
      const QRect icon = BoundsOf(image, Rgb(kIconColor), &iconPixels);
      if (row.disabled) {
        QCOMPARE(iconPixels, 0);
        int faces = 0;
        (void)BoundsOf(image.copy(iconRect), Rgb(kFace), &faces);
        QVERIFY(faces < row.icon.width() * row.icon.height());
      } else {
        QCOMPARE(icon, iconRect);
        QCOMPARE(iconPixels, row.icon.width() * row.icon.height());
      }
      if (text.isEmpty()) continue;
      const int textLeft = iconRect.right() + 1 + row.gap;
      QVERIFY(ink.left() >= textLeft - 1 && ink.left() <= textLeft + 2);
      QVERIFY(ink.right() <= textLeft + textSize.width());
    }
  }

  // On a swap button (40 x 10 dialog units) the text fills most of the height: the
  // focus outline moves towards the frame, never onto it nor through the text. With
  // room to spare it stays 3 pixels in.
  void focusOutlineClearsTheText() {
    const struct {
      const char* text;
      int pixelSize;
      QSize size;  // empty: 40 x 10 dialog units of the font
    } rows[] = {{"DW-Swap", 11, {}},
                {"For&mats", 15, {}},
                {"W-Swap", 20, {}},
                {"Swap", 12, {90, 40}},
                {"", 12, {30, 12}}};
    for (const auto& row : rows) {
      const QFont font = PixelExactFont(row.pixelSize);
      const QSize size =
          row.size.isEmpty() ? DialogUnits::Of(font).ToPixels(0, 0, 40, 10).size() : row.size;
      const QRect button(QPoint(0, 0), size);
      ButtonLook look = PlainLook(QString::fromLatin1(row.text));
      const QImage plain = Render(look, size, button, font);
      look.focus = true;
      const QImage focused = Render(look, size, button, font);
      QRect dots;
      for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
          if (focused.pixel(x, y) != plain.pixel(x, y)) dots |= QRect(x, y, 1, 1);
        }
      }
      QVERIFY2(button.adjusted(1, 1, -1, -1).contains(dots) && !dots.isNull(), row.text);
      if (!row.size.isEmpty()) QCOMPARE(dots, button.adjusted(3, 3, -3, -3));
      const QRect ink = BoundsOf(plain, Rgb(kText));
      if (!ink.isNull()) QVERIFY2(dots.adjusted(1, 1, -1, -1).contains(ink), row.text);
    }
  }

  // The widget fills the record from itself: down, enabled, default, hover and focus;
  // without colours of its own, from the palette's active group, the frame from the
  // text colour, greyed when disabled.
  void widgetStates() {
    QWidget window;
    auto* button = new OwnerButton(QStringLiteral("Swap"), &window);
    button->setGeometry(0, 0, 80, 24);
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, QColor(10, 20, 30));
    palette.setColor(QPalette::ButtonText, QColor(250, 250, 250));
    palette.setColor(QPalette::Disabled, QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0, 0, 0));
    button->setPalette(palette);
    const auto corner = [button](int at) { return Hex(button->grab().toImage().pixel(at, at)); };
    QCOMPARE(corner(1), Hex(qRgb(10, 20, 30)));
    QCOMPARE(corner(0), Hex(qRgb(250, 250, 250)));
    button->setEnabled(false);
    QCOMPARE(corner(1), Hex(qRgb(10, 20, 30)));
    QCOMPARE(corner(0), Hex(Rgb(Grey(0xFAFAFA, 102))));

    button->setEnabled(true);
    button->SetFaceColor(kFace);
    button->SetFrameColor(kFrame);
    button->setDown(true);
    QCOMPARE(corner(1), Hex(Rgb(Tint(kFace, 0, 17))));
    button->setDown(false);
    button->setDefault(true);
    QCOMPARE(corner(0), Hex(Rgb(Tint(kFrame, 2, 17))));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(button, &enter);
    QCOMPARE(corner(1), Hex(Rgb(Tint(kFace, 2, 17))));
    QCOMPARE(corner(0), Hex(Rgb(kFrame)));
    button->setDefault(false);
    QCOMPARE(corner(3), Hex(Rgb(Tint(kFace, 2, 17))));  // no focus, no dot

    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    button->setFocus();
    QTRY_VERIFY(button->hasFocus());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button, &leave);
    QCOMPARE(corner(3), Hex(Rgb(kFrame)));
    QCOMPARE(corner(2), Hex(Rgb(kFace)));
  }

  // A move outside the button (a press holding the mouse) is no hover; one inside is.
  // Entering repaints the button.
  void widgetHover() {
    OwnerButton button(QStringLiteral("Swap"));
    button.resize(60, 24);
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    test::PaintCounter counter(&button);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
    QVERIFY(!button.IsHovering());
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QVERIFY(counter.PaintsAfter([&] { QCoreApplication::sendEvent(&button, &enter); }) > 0);
    QVERIFY(button.IsHovering());
    QCoreApplication::sendEvent(&button, &leave);
    QVERIFY(!button.IsHovering());
    QMouseEvent outside(QEvent::MouseMove, QPointF(-5, 5), QPointF(-5, 5), Qt::NoButton,
                        Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&button, &outside);
    QVERIFY(!button.IsHovering());
    QMouseEvent inside(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                       Qt::NoModifier);
    QCoreApplication::sendEvent(&button, &inside);
    QVERIFY(button.IsHovering());
  }

  // An icon of its own wins over the fallback.
  void widgetFallbackIcon() {
    OwnerButton button;
    button.resize(40, 24);
    button.SetFaceColor(kFace);
    button.SetFallbackIcon(SolidIcon(kIconColor, QSize(16, 16)));
    QCOMPARE(BoundsOf(button.grab().toImage(), Rgb(kIconColor)), QRect(12, 4, 16, 16));
    button.setIcon(SolidIcon(0xFF0000, QSize(16, 16)));
    const QImage image = button.grab().toImage();
    QCOMPARE(BoundsOf(image, Rgb(kIconColor)), QRect());
    QCOMPARE(BoundsOf(image, Rgb(0xFF0000)), QRect(12, 4, 16, 16));
  }

  // Enter and Return press a focused button, as Space does; with a modifier they do not.
  void widgetEnterPresses() {
    OwnerButton button(QStringLiteral("Swap"));
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&clicks] { ++clicks; });
    QTest::keyClick(&button, Qt::Key_Return);
    QTest::keyClick(&button, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(clicks, 2);
    QTest::keyClick(&button, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(clicks, 2);
    QTest::keyClick(&button, Qt::Key_Space);
    QCOMPARE(clicks, 3);
  }
};

BITVANE_UI_TEST(OwnerButtonTest)

}  // namespace bitvane

#include "owner_button_test.moc"
