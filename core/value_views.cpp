#include "core/value_views.h"

#include "core/field_parser.h"
#include "core/status_colors.h"
#include "core/view_texts.h"

namespace bitvane {

namespace {
constexpr std::u16string_view kAllClear = u"(no problem)";
}

void ValueViews::SetTextQuietly(ControlRef control, std::u16string_view text) {
  m_controls.SetEnabled(control, false);
  m_controls.SetText(control, text);
  m_controls.SetEnabled(control, true);
}

void ValueViews::RefreshViews(std::optional<ViewId> skip) {
  // All texts come from the value as it is now: a change report cannot alter it,
  // since every line written here is disabled while it is written.
  const RawValue now = value;
  for (const ValueView& view : ViewTable()) {
    if (view.id != skip) SetTextQuietly(InputOf(view.id), ViewInputText(view, now));
    SetTextQuietly(InfoOf(view.id), ViewInfoText(view, now));
  }
}

void ValueViews::ShowStatus(std::optional<ViewId> input, std::u16string_view message) {
  const StatusColors colors = StatusColorsFor(darkTheme);
  const bool hasMessage = !message.empty();
  m_statusMessage = message;
  m_controls.SetText(kStatusLine, hasMessage ? message : kAllClear);
  if (!input) {
    for (const ValueView& view : ViewTable())
      m_controls.SetColors(InputOf(view.id), colors.inputNormal);
  }
  m_controls.SetColors(kStatusLine, hasMessage ? colors.message : colors.allClear);
  if (input)
    m_controls.SetColors(InputOf(*input), hasMessage ? colors.message : colors.inputNormal);
}

bool ValueViews::ParseFieldText(const ValueView& view) {
  std::u16string message;
  if (!ReadFieldText(m_controls.Text(InputOf(view.id)), view, value, message)) {
    ShowStatus(view.id, message);
    return false;
  }
  ShowStatus();
  return true;
}

void ValueViews::OnViewChanged(const ValueView& view) {
  if (!m_controls.IsEnabled(InputOf(view.id))) return;  // the program's own write
  if (!ParseFieldText(view)) return;
  RefreshViews(view.id);
  ShowStatus();
}

void ValueViews::OnByteChanged(unsigned byte) {
  if (byte < 8) OnViewChanged(ViewTable()[byte]);
}

void ValueViews::OnInputChanged(ControlRef control) {
  if (control.role == ControlRole::Input) OnViewChanged(ViewOf(control.view));
}

void ValueViews::OnSwap(SwapId id) {
  value = ApplySwap(id, value);
  RefreshViews();
}

void ValueViews::OnFlipBit(unsigned bit) {
  if (bit > 63) return;
  value = RawValue::FromU64(value.ToU64() ^ std::uint64_t{1} << bit);
  RefreshViews();
  ShowStatus();
}

}  // namespace bitvane
