#pragma once
// The main window: template 102 with its fourteen live input lines, information boxes,
// swap buttons and status line, in the light or the dark theme.

#include <QDialog>
#include <memory>

#include "core/value_views.h"
#include "foundation/str_list.h"
#include "ui/dlg_ctrl_colors.h"
#include "ui/widget_controls.h"

namespace bitvane {

class BitvaneDlg : public QDialog {
  Q_OBJECT

 public:
  // The value 0, empty format lists, and the desktop's theme preference. Stored
  // settings may replace them before the dialog is first shown.
  explicit BitvaneDlg(QWidget* parent = nullptr);

  [[nodiscard]] RawValue& Value() noexcept { return m_views.value; }
  [[nodiscard]] bool& DarkTheme() noexcept { return m_views.darkTheme; }
  [[nodiscard]] NSTRList& DoubleFormats() noexcept { return m_doubleFormats; }
  [[nodiscard]] NSTRList& SingleFormats() noexcept { return m_singleFormats; }
  [[nodiscard]] ValueViews& Views() noexcept { return m_views; }
  [[nodiscard]] WidgetControls& Controls() noexcept { return m_controls; }
  [[nodiscard]] DlgCtrlColors& ColorHook() noexcept { return m_colorHook; }

  // Applies the light or the dark theme to every control.
  void ApplyTheme(bool dark);

 signals:
  // The window menu's About item was chosen.
  void aboutRequested();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // The dialog's initialisation, on the first show: window icons, input font, colours
  // and theme, every view rewritten, the status line cleared.
  void InitDialog();
  void ApplyInputFont();
  void BindControls();
  // Command 1028: the formats dialog over the two lists; whatever it ends with, every
  // view is rewritten and the status line cleared.
  void OnFormats();
  // A window menu command: 0x0020 switches the theme, 0x0010 asks for the About box.
  void OnWindowCommand(int command);

  DlgCtrlColors m_colorHook;
  WidgetControls m_controls;
  ValueViews m_views;
  NSTRList m_doubleFormats;
  NSTRList m_singleFormats;
  bool m_initialised = false;
};

}  // namespace bitvane
