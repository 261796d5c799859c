#include "ui/owner_button.h"

#include <QEnterEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QStyle>

#include "ui/qt_colors.h"

namespace bitvane {

// Tracking lets moves without a pressed button arrive, so that a move can start a hover.
OwnerButton::OwnerButton(QWidget* parent) : QPushButton(parent) {
  setMouseTracking(true);
}

OwnerButton::OwnerButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
  setMouseTracking(true);
}

void OwnerButton::SetFallbackIcon(const QIcon& icon) {
  m_fallbackIcon = icon;
}

ButtonLook OwnerButton::Look() const {
  ButtonLook look;
  look.text = text();
  look.icon = icon().isNull() ? m_fallbackIcon : icon();
  if (!look.icon.isNull()) look.iconSize = look.icon.actualSize(iconSize());

  // Defaults come from the active group: a disabled button is greyed from the same
  // colours as an enabled one, not from the palette's already disabled ones.
  const QPalette& colors = palette();
  look.faceColor = IsDefaultColor(m_faceColor)
                       ? FromQColor(colors.color(QPalette::Active, QPalette::Button))
                       : m_faceColor;
  look.textColor = IsDefaultColor(m_textColor)
                       ? FromQColor(colors.color(QPalette::Active, QPalette::ButtonText))
                       : m_textColor;
  look.frameColor = IsDefaultColor(m_frameColor) ? look.textColor : m_frameColor;

  look.gap = m_gap;
  look.tintAmount = m_tintAmount;
  look.greyAmount = m_greyAmount;
  look.hoverTintChannel = m_hoverTintChannel;
  look.pressedTintChannel = m_pressedTintChannel;

  look.pressed = isDown();
  look.disabled = !isEnabled();
  look.hovering = m_hovering;
  look.isDefault = isDefault();
  look.focus = hasFocus();
  look.underlineMnemonic = style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this) != 0;
  return look;
}

void OwnerButton::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  PaintOwnerButton(painter, rect(), Look());
}

void OwnerButton::SetHovering(bool hovering) {
  if (m_hovering == hovering) return;
  m_hovering = hovering;
  update();
}

void OwnerButton::enterEvent(QEnterEvent* event) {
  SetHovering(true);
  QPushButton::enterEvent(event);
}

void OwnerButton::leaveEvent(QEvent* event) {
  SetHovering(false);
  QPushButton::leaveEvent(event);
}

// A move also counts, in case the button appeared under a mouse that never entered it.
// While a press holds the mouse, moves arrive from outside too; those are no hover.
void OwnerButton::mouseMoveEvent(QMouseEvent* event) {
  if (rect().contains(event->position().toPoint())) SetHovering(true);
  QPushButton::mouseMoveEvent(event);
}

void OwnerButton::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if (enter && modifiers == Qt::NoModifier && !event->isAutoRepeat()) {
    click();
    event->accept();
    return;
  }
  QPushButton::keyPressEvent(event);
}

}  // namespace bitvane
