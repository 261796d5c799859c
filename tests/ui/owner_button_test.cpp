#include "ui/owner_button.h"

#include <QEnterEvent>
#include <QFont>
#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QtTest>
#include <climits>

#include "tests/ui/ui_test_registry.h"
#include "ui/button_look.h"
#include "ui/button_tints.h"
#include "ui/dialog_builder.h"
#include "ui/qt_colors.h"

namespace bitvane {
namespace {

constexpr QRgb kUntouched = 0xFFFF00FF;  // what the image holds before painting
constexpr ColorRef kFace = 0x333333;
constexpr ColorRef kText = 0xCCCCCC;
// Frame and text differ, greyed or not, so that each can be told apart.
constexpr ColorRef kFrame = 0xFFFFFF;
constexpr ColorRef kIconColor = 0x00FF00;
constexpr int kShownText = Qt::TextSingleLine | Qt::TextShowMnemonic;

[[nodiscard]] QRgb Rgb(ColorRef color) {
  return ToQColor(color).rgb();
}

[[nodiscard]] QFont PixelExactFont() {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(12);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

[[nodiscard]] QIcon SolidIcon(ColorRef color, QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(ToQColor(color));
  return QIcon(pixmap);
}

[[nodiscard]] ButtonLook PlainLook(const QString& text = {}) {
  ButtonLook look;
  look.text = text;
  look.faceColor = kFace;
  look.textColor = kText;
  look.frameColor = kFrame;
  return look;
}

[[nodiscard]] QImage Render(const ButtonLook& look, QSize imageSize, const QRect& rect,
                            const QFont& font = PixelExactFont()) {
  QImage image(imageSize, QImage::Format_RGB32);
  image.fill(kUntouched);
  QPainter painter(&image);
  painter.setFont(font);
  PaintOwnerButton(painter, rect, look);
  return image;
}

// The smallest rectangle holding every pixel of `color`; null when there is none.
[[nodiscard]] QRect BoundsOf(const QImage& image, QRgb color) {
  QRect bounds;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) == color) bounds |= QRect(x, y, 1, 1);
    }
  }
  return bounds;
}

[[nodiscard]] int CountOf(const QImage& image, QRgb color) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == color ? 1 : 0;
  }
  return count;
}

[[nodiscard]] QString Describe(const QRect& r) {
  return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

[[nodiscard]] QString Hex(QRgb color) {
  return QString::number(color & 0xFFFFFF, 16);
}

}  // namespace

class OwnerButtonTest : public QObject {
  Q_OBJECT

 private slots:
  void tint_data();
  void tint();
  void grey_data();
  void grey();
  void stateColours_data();
  void stateColours();
  void textColour_data();
  void textColour();
  void iconAndText_data();
  void iconAndText();
  void focusOutlineClearsTheText_data();
  void focusOutlineClearsTheText();
  void widgetStates_data();
  void widgetStates();
  void widgetDefaultColours();
  void widgetFocus();
  void widgetHover();
  void widgetFallbackIcon();
  void widgetEnterPresses();
};

void OwnerButtonTest::tint_data() {
  QTest::addColumn<uint>("color");
  QTest::addColumn<uint>("channel");
  QTest::addColumn<uint>("amount");
  QTest::addColumn<uint>("expected");
  QTest::newRow("hover on dark face") << 0x333333u << 2u << 17u << 0x442222u;
  QTest::newRow("press on dark face") << 0x333333u << 0u << 17u << 0x222244u;
  QTest::newRow("green") << 0x333333u << 1u << 17u << 0x224422u;
  QTest::newRow("raised channel clamps at 255") << 0xF8F8F8u << 0u << 17u << 0xE7E7FFu;
  QTest::newRow("lowered channels clamp at 0") << 0x0A0A0Au << 2u << 17u << 0x1B0000u;
  QTest::newRow("mixed colour") << 0x102030u << 2u << 17u << 0x210F1Fu;
  QTest::newRow("amount 0 keeps the colour") << 0x123456u << 1u << 0u << 0x123456u;
  QTest::newRow("huge amount saturates") << 0x808080u << 1u << UINT_MAX << 0x00FF00u;
  QTest::newRow("top byte ignored") << 0xFF333333u << 2u << 17u << 0x442222u;
  QTest::newRow("no such channel lowers all") << 0x333333u << 3u << 17u << 0x222222u;
}

void OwnerButtonTest::tint() {
  QFETCH(uint, color);
  QFETCH(uint, channel);
  QFETCH(uint, amount);
  QFETCH(uint, expected);
  QCOMPARE(Hex(Tint(color, channel, amount)), Hex(expected));
}

void OwnerButtonTest::grey_data() {
  QTest::addColumn<uint>("color");
  QTest::addColumn<uint>("amount");
  QTest::addColumn<uint>("expected");
  QTest::newRow("light text stops at the middle") << 0xCCCCCCu << 102u << 0x808080u;
  QTest::newRow("black rises") << 0x000000u << 102u << 0x666666u;
  QTest::newRow("white falls") << 0xFFFFFFu << 102u << 0x999999u;
  QTest::newRow("middle stays") << 0x808080u << 102u << 0x808080u;
  QTest::newRow("just below rises to the middle") << 0x7F7F7Fu << 102u << 0x808080u;
  QTest::newRow("just above falls to the middle") << 0x818181u << 1000u << 0x808080u;
  QTest::newRow("mean of red, truncated") << 0x0000FFu << 0u << 0x555555u;
  QTest::newRow("mean of a mixed colour") << 0x102030u << 10u << 0x2A2A2Au;
  QTest::newRow("huge amount from above") << 0xFFFFFFu << UINT_MAX << 0x808080u;
  QTest::newRow("huge amount from below") << 0x000000u << UINT_MAX << 0x808080u;
  QTest::newRow("top byte ignored") << 0xFF000000u << 102u << 0x666666u;
}

void OwnerButtonTest::grey() {
  QFETCH(uint, color);
  QFETCH(uint, amount);
  QFETCH(uint, expected);
  QCOMPARE(Hex(Grey(color, amount)), Hex(expected));
}

// Empty text, no icon: every pixel is face, frame or (with focus) a dot of the focus
// outline, and nothing outside the button's rectangle is touched.
void OwnerButtonTest::stateColours_data() {
  QTest::addColumn<bool>("pressed");
  QTest::addColumn<bool>("disabled");
  QTest::addColumn<bool>("hovering");
  QTest::addColumn<bool>("isDefault");
  QTest::addColumn<bool>("focus");
  QTest::addColumn<uint>("face");
  QTest::addColumn<uint>("frame");
  const uint face = kFace;
  const uint frame = kFrame;
  const uint hoverFace = Tint(kFace, 2, 17);
  const uint pressedFace = Tint(kFace, 0, 17);
  const uint greyFrame = Grey(kFrame, 102);
  const uint defaultFrame = Tint(kFrame, 2, 17);
  // pressed, disabled, hovering, default, focus
  QTest::newRow("normal") << false << false << false << false << false << face << frame;
  QTest::newRow("focus") << false << false << false << false << true << face << frame;
  QTest::newRow("hover") << false << false << true << false << false << hoverFace << frame;
  QTest::newRow("pressed") << true << false << false << false << false << pressedFace << frame;
  QTest::newRow("pressed over hover, default, focus")
      << true << false << true << true << true << pressedFace << frame;
  QTest::newRow("disabled") << false << true << false << false << false << face << greyFrame;
  QTest::newRow("disabled over hover and default")
      << false << true << true << true << false << face << greyFrame;
  QTest::newRow("pressed over disabled")
      << true << true << false << false << false << pressedFace << frame;
  QTest::newRow("default") << false << false << false << true << false << face << defaultFrame;
  QTest::newRow("default with focus")
      << false << false << false << true << true << face << defaultFrame;
  QTest::newRow("hovered default keeps its frame")
      << false << false << true << true << false << hoverFace << frame;
}

void OwnerButtonTest::stateColours() {
  QFETCH(bool, pressed);
  QFETCH(bool, disabled);
  QFETCH(bool, hovering);
  QFETCH(bool, isDefault);
  QFETCH(bool, focus);
  QFETCH(uint, face);
  QFETCH(uint, frame);
  ButtonLook look = PlainLook();
  look.pressed = pressed;
  look.disabled = disabled;
  look.hovering = hovering;
  look.isDefault = isDefault;
  look.focus = focus;
  const QRect button(5, 3, 41, 20);
  const QImage image = Render(look, QSize(52, 28), button);

  const QRect outline = button.adjusted(3, 3, -3, -3);  // inclusive: x 8..42, y 6..19
  const QRect inside = outline.adjusted(1, 1, -1, -1);
  int dots = 0;
  int outlinePixels = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QPoint p(x, y);
      const QRgb pixel = image.pixel(p);
      QRgb expected = Rgb(face);
      if (!button.contains(p)) {
        expected = kUntouched;
      } else if (x == button.left() || x == button.right() || y == button.top() ||
                 y == button.bottom()) {
        expected = Rgb(frame);
      } else if (focus && outline.contains(p) && !inside.contains(p)) {
        ++outlinePixels;
        if (pixel == Rgb(frame)) {
          ++dots;
          continue;
        }
      }
      QVERIFY2(pixel == expected, qPrintable(QStringLiteral("(%1, %2) is %3, not %4")
                                                 .arg(x)
                                                 .arg(y)
                                                 .arg(Hex(pixel), Hex(expected))));
    }
  }
  if (focus) {
    // Dotted: every other pixel of the outline, starting at its top-left corner.
    QCOMPARE(dots, outlinePixels / 2);
    QCOMPARE(Hex(image.pixel(outline.topLeft())), Hex(Rgb(frame)));
  }
}

// Text drawn without antialiasing: pixels of exactly the state's text colour exist, all
// inside the box where the centred line belongs, and none of the unadjusted colour remains.
void OwnerButtonTest::textColour_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("disabled");
  QTest::addColumn<bool>("focus");
  QTest::newRow("normal") << QStringLiteral("Swap") << false << false;
  QTest::newRow("focus") << QStringLiteral("Swap") << false << true;
  QTest::newRow("disabled") << QStringLiteral("Swap") << true << false;
  QTest::newRow("mnemonic") << QStringLiteral("For&mats") << false << false;
  QTest::newRow("one ampersand") << QStringLiteral("A && B") << false << false;
}

void OwnerButtonTest::textColour() {
  QFETCH(QString, text);
  QFETCH(bool, disabled);
  QFETCH(bool, focus);
  ButtonLook look = PlainLook(text);
  look.disabled = disabled;
  look.focus = focus;
  const QRect button(0, 0, 90, 24);
  const QImage image = Render(look, button.size(), button);

  QRect box(QPoint(0, 0), QFontMetrics(PixelExactFont()).size(kShownText, text));
  box.moveCenter(button.center());
  const QRect bounds = BoundsOf(image, Rgb(disabled ? 0x808080 : kText));
  QVERIFY2(!bounds.isNull(), "no pixel of the text colour");
  QVERIFY2(box.adjusted(-1, -1, 1, 1).contains(bounds),
           qPrintable(Describe(bounds) + QStringLiteral(" outside ") + Describe(box)));
  if (disabled) QCOMPARE(CountOf(image, Rgb(kText)), 0);
}

// With an icon, icon and text are centred as one group, `gap` apart; the icon alone is
// centred by itself. Odd sizes check the truncating halves.
void OwnerButtonTest::iconAndText_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QSize>("buttonSize");
  QTest::addColumn<QSize>("iconSize");
  QTest::addColumn<int>("gap");
  QTest::addColumn<bool>("disabled");
  QTest::newRow("icon alone") << QString() << QSize(60, 24) << QSize(16, 16) << 4 << false;
  QTest::newRow("icon alone, odd") << QString() << QSize(61, 25) << QSize(15, 13) << 4 << false;
  QTest::newRow("icon and text") << QStringLiteral("Swap") << QSize(90, 24) << QSize(16, 16) << 4
                                 << false;
  QTest::newRow("icon and text, odd")
      << QStringLiteral("Swap") << QSize(91, 27) << QSize(15, 15) << 7 << false;
  QTest::newRow("mnemonic not measured")
      << QStringLiteral("For&mats") << QSize(100, 24) << QSize(16, 16) << 4 << false;
  QTest::newRow("disabled") << QStringLiteral("Swap") << QSize(90, 24) << QSize(16, 16) << 4
                            << true;
}

void OwnerButtonTest::iconAndText() {
  QFETCH(QString, text);
  QFETCH(QSize, buttonSize);
  QFETCH(QSize, iconSize);
  QFETCH(int, gap);
  QFETCH(bool, disabled);
  ButtonLook look = PlainLook(text);
  look.icon = SolidIcon(kIconColor, iconSize);
  look.iconSize = iconSize;
  look.gap = gap;
  look.disabled = disabled;
  const QImage image = Render(look, buttonSize, QRect(QPoint(0, 0), buttonSize));

  const int textWidth = QFontMetrics(PixelExactFont()).size(kShownText, text).width();
  int x = buttonSize.width() / 2 - iconSize.width() / 2;
  if (!text.isEmpty()) x -= (gap + textWidth) / 2;
  const QRect iconRect(QPoint(x, buttonSize.height() / 2 - iconSize.height() / 2), iconSize);
  if (disabled) {
    // The icon's disabled form: no pixel of its own colour, but not the bare face either.
    QCOMPARE(CountOf(image, Rgb(kIconColor)), 0);
    QVERIFY(CountOf(image.copy(iconRect), Rgb(kFace)) < iconSize.width() * iconSize.height());
  } else {
    QCOMPARE(BoundsOf(image, Rgb(kIconColor)), iconRect);
    QCOMPARE(CountOf(image, Rgb(kIconColor)), iconSize.width() * iconSize.height());
  }

  const QRect textBounds = BoundsOf(image, Rgb(disabled ? Grey(kText, 102) : kText));
  QCOMPARE(textBounds.isNull(), text.isEmpty());
  if (text.isEmpty()) return;
  const int textLeft = iconRect.right() + 1 + gap;
  QVERIFY2(textBounds.left() >= textLeft - 1 && textBounds.left() <= textLeft + 2,
           qPrintable(Describe(textBounds) + QStringLiteral(" should start at %1").arg(textLeft)));
  QVERIFY(textBounds.right() <= textLeft + textWidth);
}

// The swap buttons are 40 x 10 dialog units: at the usual dialog fonts the text fills
// most of that height. The dotted focus outline keeps 3 pixels from the edges where
// there is room, moves towards the frame where there is not, and never runs through the
// text nor onto the frame.
void OwnerButtonTest::focusOutlineClearsTheText_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("pixelSize");
  QTest::addColumn<QSize>("buttonSize");  // empty: 40 x 10 dialog units of the font
  QTest::addColumn<int>("inset");         // the outline's distance from the edges; 0: any
  for (const int pixelSize : {11, 12, 13, 15, 17, 20}) {
    for (const QString& text :
         {QStringLiteral("W-Swap"), QStringLiteral("DW-Swap"), QStringLiteral("For&mats")}) {
      QTest::addRow("%s at %d px", qPrintable(text), pixelSize)
          << text << pixelSize << QSize() << 0;
    }
  }
  QTest::newRow("room to spare") << QStringLiteral("Swap") << 12 << QSize(90, 40) << 3;
  QTest::newRow("no text") << QString() << 12 << QSize(30, 12) << 3;
}

void OwnerButtonTest::focusOutlineClearsTheText() {
  QFETCH(QString, text);
  QFETCH(int, pixelSize);
  QFETCH(QSize, buttonSize);
  QFETCH(int, inset);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixelSize);
  font.setStyleStrategy(QFont::NoAntialias);
  if (buttonSize.isEmpty()) buttonSize = DialogUnits::Of(font).ToPixels(0, 0, 40, 10).size();
  const QRect button(QPoint(0, 0), buttonSize);

  ButtonLook look = PlainLook(text);
  const QImage plain = Render(look, buttonSize, button, font);
  look.focus = true;
  const QImage focused = Render(look, buttonSize, button, font);
  QRect dots;  // the pixels that the focus adds
  for (int y = 0; y < buttonSize.height(); ++y) {
    for (int x = 0; x < buttonSize.width(); ++x) {
      if (focused.pixel(x, y) != plain.pixel(x, y)) dots |= QRect(x, y, 1, 1);
    }
  }
  QVERIFY2(!dots.isNull(), "no focus outline");
  QVERIFY2(button.adjusted(1, 1, -1, -1).contains(dots), qPrintable(Describe(dots)));
  if (inset != 0) QCOMPARE(dots, button.adjusted(inset, inset, -inset, -inset));
  const QRect ink = BoundsOf(plain, Rgb(kText));
  if (text.isEmpty()) return;
  QVERIFY2(dots.top() < ink.top() && dots.bottom() > ink.bottom() && dots.left() < ink.left() &&
               dots.right() > ink.right(),
           qPrintable(Describe(dots) + QStringLiteral(" crosses the text at ") + Describe(ink)));
}

// The widget fills the record from itself: setDown, setEnabled, setDefault and hover.
void OwnerButtonTest::widgetStates_data() {
  QTest::addColumn<bool>("down");
  QTest::addColumn<bool>("enabled");
  QTest::addColumn<bool>("isDefault");
  QTest::addColumn<bool>("hover");
  QTest::addColumn<uint>("face");
  QTest::addColumn<uint>("frame");
  QTest::newRow("normal") << false << true << false << false << 0x333333u << 0xCCCCCCu;
  QTest::newRow("pressed") << true << true << false << false << 0x222244u << 0xCCCCCCu;
  QTest::newRow("disabled") << false << false << false << false << 0x333333u << 0x808080u;
  QTest::newRow("default") << false << true << true << false << 0x333333u
                           << uint(Tint(0xCCCCCC, 2, 17));
  QTest::newRow("hovered default") << false << true << true << true << 0x442222u << 0xCCCCCCu;
}

void OwnerButtonTest::widgetStates() {
  QFETCH(bool, down);
  QFETCH(bool, enabled);
  QFETCH(bool, isDefault);
  QFETCH(bool, hover);
  QFETCH(uint, face);
  QFETCH(uint, frame);
  OwnerButton button(QStringLiteral("Swap"));
  button.resize(80, 24);
  button.SetFaceColor(0x333333);
  button.SetTextColor(0xCCCCCC);
  button.SetFrameColor(0xCCCCCC);
  button.setDown(down);
  button.setEnabled(enabled);
  button.setDefault(isDefault);
  if (hover) {
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&button, &enter);
    QVERIFY(button.IsHovering());
  }
  const QImage image = button.grab().toImage();
  QCOMPARE(image.size(), QSize(80, 24));
  QCOMPARE(Hex(image.pixel(0, 0)), Hex(Rgb(frame)));
  QCOMPARE(Hex(image.pixel(79, 23)), Hex(Rgb(frame)));
  QCOMPARE(Hex(image.pixel(1, 1)), Hex(Rgb(face)));
  QCOMPARE(Hex(image.pixel(78, 22)), Hex(Rgb(face)));
  QCOMPARE(Hex(image.pixel(3, 3)), Hex(Rgb(face)));  // no focus, no dot
}

// Default colours come from the palette's active group, the frame from the text colour;
// a disabled button greys that colour, not the palette's disabled one.
void OwnerButtonTest::widgetDefaultColours() {
  OwnerButton button(QStringLiteral("Swap"));
  button.resize(60, 24);
  QPalette palette = button.palette();
  palette.setColor(QPalette::Active, QPalette::Button, QColor(10, 20, 30));
  palette.setColor(QPalette::Inactive, QPalette::Button, QColor(10, 20, 30));
  palette.setColor(QPalette::Active, QPalette::ButtonText, QColor(250, 250, 250));
  palette.setColor(QPalette::Inactive, QPalette::ButtonText, QColor(250, 250, 250));
  palette.setColor(QPalette::Disabled, QPalette::Button, QColor(1, 2, 3));
  palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0, 0, 0));
  button.setPalette(palette);
  QCOMPARE(button.FaceColor(), kDefaultColor);

  QImage image = button.grab().toImage();
  QCOMPARE(Hex(image.pixel(1, 1)), Hex(qRgb(10, 20, 30)));
  QCOMPARE(Hex(image.pixel(0, 0)), Hex(qRgb(250, 250, 250)));

  button.setEnabled(false);
  image = button.grab().toImage();
  QCOMPARE(Hex(image.pixel(1, 1)), Hex(qRgb(10, 20, 30)));
  QCOMPARE(Hex(image.pixel(0, 0)), Hex(Rgb(Grey(0xFAFAFA, 102))));

  // A frame colour of its own overrides the text colour.
  button.setEnabled(true);
  button.SetFrameColor(0x0000FF);
  image = button.grab().toImage();
  QCOMPARE(Hex(image.pixel(0, 0)), Hex(qRgb(255, 0, 0)));
}

void OwnerButtonTest::widgetFocus() {
  QWidget window;
  window.resize(100, 40);
  auto* button = new OwnerButton(QString(), &window);
  button->setGeometry(0, 0, 40, 20);
  button->SetFaceColor(kFace);
  button->SetFrameColor(kFrame);
  window.show();
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  button->setFocus();
  QTRY_VERIFY(button->hasFocus());
  QEvent leave(QEvent::Leave);  // the pointer may rest on the window that just showed
  QCoreApplication::sendEvent(button, &leave);
  const QImage image = button->grab().toImage();
  QCOMPARE(Hex(image.pixel(3, 3)), Hex(Rgb(kFrame)));
  QCOMPARE(Hex(image.pixel(4, 3)), Hex(Rgb(kFace)));
  QCOMPARE(Hex(image.pixel(2, 2)), Hex(Rgb(kFace)));
}

void OwnerButtonTest::widgetHover() {
  OwnerButton button(QStringLiteral("Swap"));
  button.resize(60, 24);
  QVERIFY(!button.IsHovering());
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QCoreApplication::sendEvent(&button, &enter);
  QVERIFY(button.IsHovering());
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&button, &leave);
  QVERIFY(!button.IsHovering());

  // A move outside the button (a press holding the mouse) is no hover; one inside is.
  QMouseEvent outside(QEvent::MouseMove, QPointF(-5, 5), QPointF(-5, 5), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&button, &outside);
  QVERIFY(!button.IsHovering());
  QMouseEvent inside(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
  QCoreApplication::sendEvent(&button, &inside);
  QVERIFY(button.IsHovering());
}

void OwnerButtonTest::widgetFallbackIcon() {
  OwnerButton button;
  button.resize(40, 24);
  button.SetFaceColor(kFace);
  button.SetFallbackIcon(SolidIcon(kIconColor, QSize(16, 16)));
  QImage image = button.grab().toImage();
  QCOMPARE(BoundsOf(image, Rgb(kIconColor)), QRect(12, 4, 16, 16));

  // An icon of its own wins over the fallback.
  constexpr ColorRef kOwnColor = 0xFF0000;
  button.setIcon(SolidIcon(kOwnColor, QSize(16, 16)));
  image = button.grab().toImage();
  QCOMPARE(CountOf(image, Rgb(kIconColor)), 0);
  QCOMPARE(BoundsOf(image, Rgb(kOwnColor)), QRect(12, 4, 16, 16));
}

// Enter and Return press a focused button, as Space does; with a modifier they do not.
void OwnerButtonTest::widgetEnterPresses() {
  OwnerButton button(QStringLiteral("Swap"));
  int clicks = 0;
  QObject::connect(&button, &QPushButton::clicked, [&clicks] { ++clicks; });
  QTest::keyClick(&button, Qt::Key_Return);
  QCOMPARE(clicks, 1);
  QTest::keyClick(&button, Qt::Key_Enter, Qt::KeypadModifier);
  QCOMPARE(clicks, 2);
  QTest::keyClick(&button, Qt::Key_Return, Qt::ControlModifier);
  QCOMPARE(clicks, 2);
  QTest::keyClick(&button, Qt::Key_Space);
  QCOMPARE(clicks, 3);
}

BITVANE_UI_TEST(OwnerButtonTest)

}  // namespace bitvane

#include "owner_button_test.moc"
