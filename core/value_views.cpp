#include "core/value_views.h"

#include "core/field_parser.h"
#include "core/status_colors.h"
#include "core/view_texts.h"

namespace bitvane {

namespace {
constexpr std::u16string_view kAllClear = u"(no problem)";
}

void ValueViews::SetTextQuietly(ControlId id, std::u16string_view text) {
  m_controls.SetEnabled(id, false);
  m_controls.SetText(id, text);
  m_controls.SetEnabled(id, true);
}

void ValueViews::RefreshViews(ControlId skip) {
  // All texts come from the value as it is now: a change report cannot alter it,
  // since every line written here is disabled while it is written.
  const RawValue now = value;
  for (const ValueView& view : ViewTable()) {
    if (view.input != skip) SetTextQuietly(view.input, ViewInputText(view, now));
    SetTextQuietly(view.info, ViewInfoText(view, now));
  }
}

void ValueViews::ShowStatus(ControlId control, std::u16string_view message) {
  const StatusColors colors = StatusColorsFor(darkTheme);
  const bool hasMessage = !message.empty();
  m_statusMessage = message;
  m_controls.SetText(kStatusLine, hasMessage ? message : kAllClear);
  if (control == kNoControl) {
    for (ControlId input : InputEditList()) {
      if (input == kNoControl) break;
      m_controls.SetColors(input, colors.inputNormal.text, colors.inputNormal.background);
    }
  }
  const ColorPair status = hasMessage ? colors.message : colors.allClear;
  m_controls.SetColors(kStatusLine, status.text, status.background);
  if (control != kNoControl) {
    const ColorPair line = hasMessage ? colors.message : colors.inputNormal;
    m_controls.SetColors(control, line.text, line.background);
  }
}

bool ValueViews::ParseFieldText(const ValueView& view) {
  std::u16string message;
  if (!ReadFieldText(m_controls.Text(view.input), view, value, message)) {
    ShowStatus(view.input, message);
    return false;
  }
  ShowStatus();
  return true;
}

void ValueViews::OnViewChanged(const ValueView& view) {
  if (!m_controls.IsEnabled(view.input)) return;  // the program's own write
  if (!ParseFieldText(view)) return;
  RefreshViews(view.input);
  ShowStatus();
}

void ValueViews::OnByteChanged(unsigned byte) {
  if (byte < 8) OnViewChanged(ViewTable()[byte]);
}

void ValueViews::OnInputChanged(ControlId input) {
  if (const ValueView* view = ViewOfInput(input)) OnViewChanged(*view);
}

void ValueViews::OnSwap(SwapId id) {
  value = ApplySwap(id, value);
  RefreshViews();
}

}  // namespace bitvane
