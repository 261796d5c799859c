#pragma once
// Controls that live in memory: texts, enabled states and colours, with the change
// report of an edit control. The command-line companion and the tests run the value
// views on them exactly as the dialog runs them on widgets.

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "core/status_colors.h"
#include "core/view_controls.h"

namespace bitvane {

class MemoryControls : public ViewControls {
 public:
  using ChangeHandler = std::function<void(ControlRef)>;

  // Called after every change of a control's text, as an edit control reports it.
  void SetChangeHandler(ChangeHandler handler) { m_onChange = std::move(handler); }

  // Sets the text and reports the change; typing a text is the same.
  void SetText(ControlRef control, std::u16string_view text) override;
  [[nodiscard]] std::u16string Text(ControlRef control) const override { return At(control).text; }
  // Controls start enabled.
  void SetEnabled(ControlRef control, bool enabled) override { At(control).enabled = enabled; }
  [[nodiscard]] bool IsEnabled(ControlRef control) const override { return At(control).enabled; }
  void SetColors(ControlRef control, ColorPair colors) override { At(control).colors = colors; }

  // The colours last set on a control; default colours when none were.
  [[nodiscard]] ColorPair Colors(ControlRef control) const { return At(control).colors; }
  // How many times the control's text was set.
  [[nodiscard]] int WriteCount(ControlRef control) const { return At(control).writes; }

 private:
  struct Control {
    std::u16string text;
    bool enabled = true;
    ColorPair colors{kDefaultColor, kDefaultColor};
    int writes = 0;
  };

  // An input line and an information box per view, then the status line.
  [[nodiscard]] static std::size_t IndexOf(ControlRef control) noexcept;
  [[nodiscard]] Control& At(ControlRef control) noexcept { return m_controls[IndexOf(control)]; }
  [[nodiscard]] const Control& At(ControlRef control) const noexcept {
    return m_controls[IndexOf(control)];
  }

  std::array<Control, 2 * kViewCount + 1> m_controls;
  ChangeHandler m_onChange;
};

}  // namespace bitvane
