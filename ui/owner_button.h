#pragma once
// A push button that paints itself, so that face, text and frame follow the theme, with
// colours of its own for hover, press, focus, default and disabled.

#include <QIcon>
#include <QPushButton>
#include <QString>
#include <cstdint>

#include "core/status_colors.h"
#include "ui/button_look.h"

class QEnterEvent;
class QEvent;
class QKeyEvent;
class QMouseEvent;
class QPaintEvent;

namespace bitvane {

class OwnerButton : public QPushButton {
  Q_OBJECT

 public:
  explicit OwnerButton(QWidget* parent = nullptr);
  explicit OwnerButton(const QString& text, QWidget* parent = nullptr);

  // Colours as 0x00BBGGRR; a default value takes the palette's Button (face) and
  // ButtonText (text), and the frame follows the text colour. Setting a colour does not
  // repaint: the owner calls update() once it has set what it wants.
  void SetFaceColor(ColorRef color) noexcept { m_faceColor = color; }
  [[nodiscard]] ColorRef FaceColor() const noexcept { return m_faceColor; }
  void SetTextColor(ColorRef color) noexcept { m_textColor = color; }
  [[nodiscard]] ColorRef TextColor() const noexcept { return m_textColor; }
  void SetFrameColor(ColorRef color) noexcept { m_frameColor = color; }
  [[nodiscard]] ColorRef FrameColor() const noexcept { return m_frameColor; }

  // The icon shown while the button has none of its own (icon() is null).
  void SetFallbackIcon(const QIcon& icon);
  [[nodiscard]] const QIcon& FallbackIcon() const noexcept { return m_fallbackIcon; }

  // True from the mouse's entering the button until it leaves.
  [[nodiscard]] bool IsHovering() const noexcept { return m_hovering; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  // Enter and Return press the focused button, as Space does. The button is never an
  // auto-default one, so Enter in an input line still presses nothing.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The record that paintEvent draws: text, icon, resolved colours and the state.
  [[nodiscard]] ButtonLook Look() const;
  void SetHovering(bool hovering);

  ColorRef m_faceColor = kDefaultColor;
  ColorRef m_textColor = kDefaultColor;
  ColorRef m_frameColor = kDefaultColor;
  std::uint8_t m_gap = 4;  // pixels between icon and text
  std::uint8_t m_tintAmount = 17;
  std::uint8_t m_greyAmount = 102;
  std::uint8_t m_hoverTintChannel = 2;    // blue
  std::uint8_t m_pressedTintChannel = 0;  // red
  bool m_hovering = false;
  QIcon m_fallbackIcon;
};

}  // namespace bitvane
