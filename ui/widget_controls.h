#pragma once
// The value views' controls, as widgets of a dialog found by their control ids
// (view_control_ids.h).
//
// Disabling a control here only marks it: the change handler of a marked input line
// ignores its change report, which is all the refresh bracket needs, and the focus
// stays where it is (a really disabled Qt widget hands its focus on).

#include <QHash>
#include <QSet>
#include <QWidget>

#include "core/view_controls.h"

namespace bitvane {

class ControlColors;

class WidgetControls : public ViewControls {
 public:
  // `dialog` holds the controls (built already); colours go through `colors`.
  WidgetControls(QWidget* dialog, ControlColors& colors);

  void SetText(ControlRef control, std::u16string_view text) override;
  [[nodiscard]] std::u16string Text(ControlRef control) const override;
  void SetEnabled(ControlRef control, bool enabled) override;
  [[nodiscard]] bool IsEnabled(ControlRef control) const override;
  void SetColors(ControlRef control, ColorPair colors) override;

  // The widget of a control id, or null.
  [[nodiscard]] QWidget* Control(int id) const { return m_controls.value(id); }

 private:
  QHash<int, QWidget*> m_controls;
  QSet<int> m_marked;
  QHash<int, QString> m_boxTexts;  // what each text box was last given
  ControlColors& m_colors;
};

}  // namespace bitvane
