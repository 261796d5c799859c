#pragma once
// The main window's two extra commands, "&Dark theme" and About. The desktop's window
// manager owns the title bar's menu, so they close every context menu the window shows
// instead: a right-click on the background, a label or a button opens just them, the
// input lines' and information boxes' own menus end with them, and the Menu key or
// Shift+F10 opens the same menus at the focused control.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QEvent;
class QMenu;
class QPoint;
class QWidget;

namespace bitvane {

// The commands, kept as their actions' data.
inline constexpr int kDarkThemeCommand = 0x0020;
inline constexpr int kAboutCommand = 0x0010;

// Appends a separator (none when `menu` is empty) and the check item "&Dark theme",
// checked when `dark`; then, unless `aboutText` is empty, a separator and the About item.
void AppendWindowMenuItems(QMenu* menu, bool dark, const QString& aboutText);

class WindowMenu : public QObject {
  Q_OBJECT

 public:
  // Serves the context menus of `window` and of every control it holds now. `dark`
  // tells the dark-theme flag when a menu opens; `aboutText` empty leaves out About.
  WindowMenu(QWidget* window, std::function<bool()> dark, QString aboutText);

  // The menu a context request on `receiver` opens: the standard menu of the input
  // line or text box it belongs to, what the extender adds for that control, then the
  // items; or the items alone.
  [[nodiscard]] std::unique_ptr<QMenu> MenuFor(QWidget* receiver) const;

  // Called with each menu and the control it is for (the window for the background)
  // before the window's items are appended.
  void SetExtender(std::function<void(QMenu*, QWidget*)> extender) {
    m_extender = std::move(extender);
  }

 signals:
  // One of the two commands was chosen from a menu.
  void commandChosen(int command);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  [[nodiscard]] QWidget* MenuOwner(QWidget* receiver) const;
  void Open(QWidget* receiver, const QPoint& globalPos);
  void OpenFromKeyboard(QWidget* receiver);

  QWidget* m_window;
  std::function<bool()> m_dark;
  QString m_aboutText;
  std::function<void(QMenu*, QWidget*)> m_extender;
};

}  // namespace bitvane
