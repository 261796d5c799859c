#include "core/memory_controls.h"

namespace bitvane {

std::size_t MemoryControls::IndexOf(ControlRef control) noexcept {
  const auto view = static_cast<std::size_t>(control.view);
  switch (control.role) {
    case ControlRole::Input:
      return view;
    case ControlRole::Info:
      return kViewCount + view;
    case ControlRole::Status:
      break;
  }
  return 2 * kViewCount;
}

void MemoryControls::SetText(ControlRef control, std::u16string_view text) {
  Control& target = At(control);
  target.text = text;
  ++target.writes;
  if (m_onChange) m_onChange(control);
}

}  // namespace bitvane
