#pragma once
// What the value views need of the controls that show them: texts, the enabled
// state and colours, by control id. The dialog implements it with widgets; the
// command-line companion and the tests with MemoryControls. Like an edit control,
// an implementation reports every text change of an input line to the change
// handler, whether the user typed it or the program set it.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/view_table.h"

namespace bitvane {

// A colour as 0x00BBGGRR. A value with a non-zero top byte means "the control's
// default colour"; kDefaultColor is the one the program writes.
using ColorRef = std::uint32_t;
inline constexpr ColorRef kDefaultColor = 0xFF000000u;

class ViewControls {
 public:
  virtual ~ViewControls() = default;

  virtual void SetText(ControlId id, std::u16string_view text) = 0;
  [[nodiscard]] virtual std::u16string Text(ControlId id) const = 0;
  virtual void SetEnabled(ControlId id, bool enabled) = 0;
  [[nodiscard]] virtual bool IsEnabled(ControlId id) const = 0;
  virtual void SetColors(ControlId id, ColorRef text, ColorRef background) = 0;
};

}  // namespace bitvane
