#include "ui/window_menu.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <QWidget>
#include <utility>

namespace bitvane {

namespace {

bool IsTextControl(const QWidget* widget) {
  return qobject_cast<const QLineEdit*>(widget) != nullptr ||
         qobject_cast<const QTextEdit*>(widget) != nullptr ||
         qobject_cast<const QPlainTextEdit*>(widget) != nullptr;
}

std::unique_ptr<QMenu> StandardMenuOf(QWidget* control) {
  if (auto* line = qobject_cast<QLineEdit*>(control))
    return std::unique_ptr<QMenu>(line->createStandardContextMenu());
  if (auto* text = qobject_cast<QTextEdit*>(control))
    return std::unique_ptr<QMenu>(text->createStandardContextMenu());
  if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
    return std::unique_ptr<QMenu>(plain->createStandardContextMenu());
  return std::make_unique<QMenu>(control);
}

bool IsMenuKey(const QKeyEvent* key) {
  const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
  return (key->key() == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
         (key->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
}

// Only our own items carry a command; the standard ones carry nothing.
int CommandOf(const QAction* action) {
  if (action == nullptr) return 0;
  const int command = action->data().toInt();
  return command == kDarkThemeCommand || command == kAboutCommand ? command : 0;
}

}  // namespace

void AppendWindowMenuItems(QMenu* menu, bool dark, const QString& aboutText) {
  if (!menu->isEmpty()) menu->addSeparator();
  QAction* theme = menu->addAction(QStringLiteral("&Dark theme"));
  theme->setCheckable(true);
  theme->setChecked(dark);
  theme->setData(kDarkThemeCommand);
  if (aboutText.isEmpty()) return;
  menu->addSeparator();
  menu->addAction(aboutText)->setData(kAboutCommand);
}

WindowMenu::WindowMenu(QWidget* window, std::function<bool()> dark, QString aboutText)
    : QObject(window),
      m_window(window),
      m_dark(std::move(dark)),
      m_aboutText(std::move(aboutText)) {
  window->installEventFilter(this);
  for (QWidget* child : window->findChildren<QWidget*>()) {
    if (child->window() == window) child->installEventFilter(this);
  }
}

// The text control the receiver is part of (a text box's viewport belongs to the box),
// else the window: labels and buttons have no menu of their own.
QWidget* WindowMenu::MenuOwner(QWidget* receiver) const {
  for (QWidget* widget = receiver; widget != nullptr && widget != m_window;
       widget = widget->parentWidget()) {
    if (IsTextControl(widget)) return widget;
  }
  return m_window;
}

std::unique_ptr<QMenu> WindowMenu::MenuFor(QWidget* receiver) const {
  QWidget* owner = MenuOwner(receiver);
  std::unique_ptr<QMenu> menu = StandardMenuOf(owner);
  if (m_extender) m_extender(menu.get(), owner);
  AppendWindowMenuItems(menu.get(), m_dark(), m_aboutText);
  return menu;
}

// The command is carried out once the menu is closed and gone. The window, and the menu
// with it, may be destroyed while the menu is open.
void WindowMenu::Open(QWidget* receiver, const QPoint& globalPos) {
  const QPointer<WindowMenu> alive(this);
  const QPointer<QMenu> menu(MenuFor(receiver).release());
  const int command = CommandOf(menu->exec(globalPos));
  delete menu.data();
  if (command != 0 && alive) emit commandChosen(command);
}

// At the text cursor of a text control, else in the middle of the focused control.
void WindowMenu::OpenFromKeyboard(QWidget* receiver) {
  QWidget* owner = MenuOwner(receiver);
  QWidget* anchor = owner == m_window ? receiver : owner;
  QPoint pos = anchor->rect().center();
  if (IsTextControl(anchor)) {
    const QRect cursor = anchor->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    if (cursor.isValid() && anchor->rect().contains(cursor.center())) pos = cursor.center();
  }
  Open(receiver, anchor->mapToGlobal(pos));
}

// The Menu key and Shift+F10 are taken here, so that a context request the platform
// may derive from the Menu key finds the menu open and goes to it instead.
bool WindowMenu::eventFilter(QObject* watched, QEvent* event) {
  // Every event of every control passes here (paints too): the type first, it is cheap.
  const QEvent::Type type = event->type();
  if (type != QEvent::ContextMenu && type != QEvent::KeyPress) return false;
  auto* receiver = qobject_cast<QWidget*>(watched);
  if (receiver == nullptr) return false;
  if (event->type() == QEvent::ContextMenu) {
    const auto* request = static_cast<QContextMenuEvent*>(event);
    if (request->reason() == QContextMenuEvent::Mouse)
      Open(receiver, request->globalPos());
    else
      OpenFromKeyboard(receiver);
    return true;
  }
  if (event->type() == QEvent::KeyPress && IsMenuKey(static_cast<QKeyEvent*>(event))) {
    OpenFromKeyboard(receiver);
    return true;
  }
  return false;
}

}  // namespace bitvane
