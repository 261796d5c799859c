#include "core/memory_controls.h"

namespace bitvane {

void MemoryControls::SetText(ControlId id, std::u16string_view text) {
  Control& control = m_controls[id];
  control.text = text;
  ++control.writes;
  if (m_onChange) m_onChange(id);
}

std::u16string MemoryControls::Text(ControlId id) const {
  const auto it = m_controls.find(id);
  return it != m_controls.end() ? it->second.text : std::u16string();
}

bool MemoryControls::IsEnabled(ControlId id) const {
  const auto it = m_controls.find(id);
  return it == m_controls.end() || it->second.enabled;
}

ColorPair MemoryControls::Colors(ControlId id) const {
  const auto it = m_controls.find(id);
  return it != m_controls.end() ? it->second.colors : ColorPair{kDefaultColor, kDefaultColor};
}

int MemoryControls::WriteCount(ControlId id) const {
  const auto it = m_controls.find(id);
  return it != m_controls.end() ? it->second.writes : 0;
}

}  // namespace bitvane
