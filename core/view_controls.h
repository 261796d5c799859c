#pragma once
// What the value views need of the controls that show them: texts, the enabled
// state and colours of each view's input line and information box and of the
// status line. The dialog implements it with widgets; the command-line companion
// and the tests with MemoryControls. Like an edit control, an implementation reports
// every text change of an input line to the change handler, whether the user typed
// it or the program set it.

#include <string>
#include <string_view>

#include "core/status_colors.h"
#include "core/view_table.h"

namespace bitvane {

enum class ControlRole : unsigned char { Input, Info, Status };

// One control of the views: a view's input line or information box, or the status
// line (whose view is not used).
struct ControlRef {
  ControlRole role;
  ViewId view = ViewId::Byte0;
  friend constexpr bool operator==(const ControlRef&, const ControlRef&) = default;
};

[[nodiscard]] constexpr ControlRef InputOf(ViewId view) noexcept {
  return {ControlRole::Input, view};
}
[[nodiscard]] constexpr ControlRef InfoOf(ViewId view) noexcept {
  return {ControlRole::Info, view};
}
inline constexpr ControlRef kStatusLine{ControlRole::Status};

class ViewControls {
 public:
  virtual ~ViewControls() = default;

  virtual void SetText(ControlRef control, std::u16string_view text) = 0;
  [[nodiscard]] virtual std::u16string Text(ControlRef control) const = 0;
  virtual void SetEnabled(ControlRef control, bool enabled) = 0;
  [[nodiscard]] virtual bool IsEnabled(ControlRef control) const = 0;
  virtual void SetColors(ControlRef control, ColorPair colors) = 0;
};

}  // namespace bitvane
