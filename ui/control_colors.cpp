#include "ui/control_colors.h"

#include <cstdint>
#include <memory>

#include "foundation/ht_key.h"
#include "ui/control_ids.h"
#include "ui/qt_colors.h"

namespace bitvane {

namespace {

NHTKey KeyOf(int id) {
  return NHTKey::FromUInt32(static_cast<std::uint32_t>(id));
}

ColorRef Normalized(ColorRef color) {
  return IsDefaultColor(color) ? kDefaultColor : color;
}

std::optional<QBrush> BrushOf(ColorRef background) {
  if (IsDefaultColor(background)) return std::nullopt;
  return QBrush(ToQColor(background), Qt::SolidPattern);
}

}  // namespace

bool ControlColors::SetColors(int id, ColorRef text, ColorRef background) {
  if (id == 0) return false;
  const bool doubleDefault = IsDefaultColor(text) && IsDefaultColor(background);
  const NHTKey key = KeyOf(id);

  if (Entry* const* found = m_entries.Find(key)) {
    Entry& entry = **found;
    if (doubleDefault) {
      (void)m_entries.Remove(key);  // the brush goes with the entry
    } else {
      const ColorRef newText = Normalized(text);
      const ColorRef newBackground = Normalized(background);
      if (newBackground != entry.background) {
        entry.background = newBackground;
        entry.brush = BrushOf(newBackground);
      } else if (newText == entry.text) {
        return false;
      }
      entry.text = newText;  // a text-only change keeps the brush
    }
  } else {
    if (doubleDefault) return false;
    auto entry = std::make_unique<Entry>(
        Entry{id, Normalized(text), Normalized(background), BrushOf(background)});
    if (!m_entries.Insert(key, entry.get())) return false;
    (void)entry.release();  // the table owns it now
  }
  RepaintIfOwned(id);
  return true;
}

const ControlColors::Entry* ControlColors::Lookup(int id) const {
  Entry* const* found = m_entries.Find(KeyOf(id));
  return found != nullptr ? *found : nullptr;
}

std::vector<int> ControlColors::Ids() const {
  std::vector<int> ids;
  ids.reserve(m_entries.Count());
  for (const auto& item : m_entries.Entries()) ids.push_back(item.value->id);
  return ids;
}

bool ControlColors::ClearAll(bool repaint) {
  if (m_entries.Count() == 0) return false;
  const std::vector<int> former = repaint ? Ids() : std::vector<int>();
  (void)m_entries.RemoveAll();
  for (const int id : former) RepaintIfOwned(id);
  return true;
}

void ControlColors::Repaint(int id) {
  if (m_repaintHandler) {
    m_repaintHandler(id);
  } else if (QWidget* control = FindControl(m_owner.data(), id)) {
    control->update();
  }
}

void ControlColors::RepaintIfOwned(int id) {
  if (!m_owner.isNull()) Repaint(id);
}

}  // namespace bitvane
