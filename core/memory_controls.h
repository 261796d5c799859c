#pragma once
// Controls that live in memory: texts, enabled states and colours by id, with the
// change report of an edit control. The command-line companion and the tests run
// the value views on them exactly as the dialog runs them on widgets.

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "core/status_colors.h"
#include "core/view_controls.h"

namespace bitvane {

class MemoryControls : public ViewControls {
 public:
  using ChangeHandler = std::function<void(ControlId)>;

  // Called after every change of a control's text, as an edit control reports it.
  void SetChangeHandler(ChangeHandler handler) { m_onChange = std::move(handler); }

  // Sets the text and reports the change; typing a text is the same.
  void SetText(ControlId id, std::u16string_view text) override;
  [[nodiscard]] std::u16string Text(ControlId id) const override;
  // Controls start enabled.
  void SetEnabled(ControlId id, bool enabled) override { m_controls[id].enabled = enabled; }
  [[nodiscard]] bool IsEnabled(ControlId id) const override;
  void SetColors(ControlId id, ColorRef text, ColorRef background) override {
    m_controls[id].colors = {text, background};
  }

  // The colours last set on a control; default colours when none were.
  [[nodiscard]] ColorPair Colors(ControlId id) const;
  // How many times the control's text was set.
  [[nodiscard]] int WriteCount(ControlId id) const;

 private:
  struct Control {
    std::u16string text;
    bool enabled = true;
    ColorPair colors{kDefaultColor, kDefaultColor};
    int writes = 0;
  };

  std::map<ControlId, Control> m_controls;
  ChangeHandler m_onChange;
};

}  // namespace bitvane
