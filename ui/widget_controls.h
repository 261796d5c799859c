#pragma once
// The value views' controls, as widgets of a dialog found by their control ids.
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

  void SetText(ControlId id, std::u16string_view text) override;
  [[nodiscard]] std::u16string Text(ControlId id) const override;
  void SetEnabled(ControlId id, bool enabled) override;
  [[nodiscard]] bool IsEnabled(ControlId id) const override;
  void SetColors(ControlId id, ColorRef text, ColorRef background) override;

  [[nodiscard]] QWidget* Control(ControlId id) const { return m_controls.value(id); }

 private:
  QHash<ControlId, QWidget*> m_controls;
  QSet<ControlId> m_marked;
  QHash<ControlId, QString> m_boxTexts;  // what each text box was last given
  ControlColors& m_colors;
};

}  // namespace bitvane
