#pragma once
// The window-free half of the main dialog: the value, the rewrite of every view,
// the status line, the change handlers of the fourteen input lines and the swaps,
// all working through a ViewControls implementation.
//
// The cycle of one keystroke: the input line reports its change; its handler
// returns at once when the line is disabled (the program is writing it); otherwise
// the text is parsed into the view's bytes, and on success every view but the typed
// line is rewritten and the status line cleared. A rejected text changes nothing
// but the status line and the marking of its input line.

#include <optional>
#include <string>
#include <string_view>

#include "core/raw_value.h"
#include "core/swaps.h"
#include "core/view_controls.h"
#include "core/view_table.h"

namespace bitvane {

class ValueViews {
 public:
  explicit ValueViews(ViewControls& controls) noexcept : m_controls(controls) {}

  RawValue value;          // the bits every view shows
  bool darkTheme = false;  // chooses the status colours

  // Rewrites every view from the value, in table order, sparing the text of the
  // input line of the view `skip` (its information box is rewritten all the same).
  // Each text is set between a disable and an enable, so that its change report is
  // ignored.
  void RefreshViews(std::optional<ViewId> skip = std::nullopt);

  // Shows `message` on the status line ("(no problem)" when empty) with the message
  // or all-clear colours. Without a view every input line gets its normal colours
  // back; with one, that view's input line gets the message colours (or the normal
  // ones).
  void ShowStatus(std::optional<ViewId> input = std::nullopt, std::u16string_view message = {});

  // Reads the view's input line into the view's bytes, reporting on the status line
  // either way. True when the bytes were written; false leaves the value alone.
  [[nodiscard]] bool ParseFieldText(const ValueView& view);

  // The change handlers. OnInputChanged dispatches by the view of an input line and
  // ignores any other control.
  void OnByteChanged(unsigned byte);
  void OnLowIntChanged() { OnViewChanged(ViewOf(ViewId::LowInt32)); }
  void OnHighIntChanged() { OnViewChanged(ViewOf(ViewId::HighInt32)); }
  void OnHugeIntChanged() { OnViewChanged(ViewOf(ViewId::HugeInt64)); }
  void OnLowSingleChanged() { OnViewChanged(ViewOf(ViewId::LowSingle)); }
  void OnHighSingleChanged() { OnViewChanged(ViewOf(ViewId::HighSingle)); }
  void OnDoubleChanged() { OnViewChanged(ViewOf(ViewId::Double64)); }
  void OnInputChanged(ControlRef control);

  // A swap button: reorders the bytes and rewrites every view; the status line keeps
  // its text and colours.
  void OnSwap(SwapId id);
  // Flips bit `bit` (0 to 63; others do nothing) of the value: every view is rewritten
  // and the status cleared, as after any accepted change.
  void OnFlipBit(unsigned bit);

  // The message the status line shows; empty for "(no problem)".
  [[nodiscard]] const std::u16string& StatusMessage() const noexcept { return m_statusMessage; }

 private:
  void OnViewChanged(const ValueView& view);
  void SetTextQuietly(ControlRef control, std::u16string_view text);

  ViewControls& m_controls;
  std::u16string m_statusMessage;
};

}  // namespace bitvane
