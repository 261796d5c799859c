#pragma once
// The per-control colour table of a dialog: text and background colour by control id
// (-1 for the dialog itself). A colour with a non-zero top byte means "the control's
// default"; the table stores every such value as kDefaultColor.

#include <QBrush>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "core/status_colors.h"
#include "foundation/hash_tab_of.h"

namespace bitvane {

class ControlColors {
 public:
  struct Entry {
    int id = 0;
    ColorRef text = kDefaultColor;
    ColorRef background = kDefaultColor;
    std::optional<QBrush> brush;  // a solid brush of the background; none for a default one
  };

  // Brings control `id` of the owner window up to date with its entry (or its lack
  // of one); called after every change while the owner window exists.
  using RepaintHandler = std::function<void(int id)>;

  ControlColors() = default;
  virtual ~ControlColors() = default;

  // The window whose controls the ids name; null detaches the table from any window.
  void SetOwner(QWidget* owner) { m_owner = owner; }
  [[nodiscard]] QWidget* Owner() const { return m_owner.data(); }

  // Replaces the plain update() of a repaint; an empty handler restores it.
  void SetRepaintHandler(RepaintHandler handler) { m_repaintHandler = std::move(handler); }

  // Sets, changes or removes the entry of control `id` and repaints the control.
  // Two default colours remove the entry. False, repainting nothing, for id 0, for
  // two default colours where there is no entry, and for the colours already stored.
  [[nodiscard]] bool SetColors(int id, ColorRef text, ColorRef background);

  // The entry of control `id`, or null.
  [[nodiscard]] const Entry* Lookup(int id) const;

  // Removes every entry; with `repaint`, then repaints each former entry's control
  // while the owner window exists. True when there was any entry.
  [[nodiscard]] bool ClearAll(bool repaint);

  [[nodiscard]] std::uint32_t Count() const { return m_entries.Count(); }

  // The ids of the entries, in the order of insertion.
  [[nodiscard]] std::vector<int> Ids() const;

 protected:
  // Repaints control `id` (the owner window for -1); only called while the owner
  // window exists. Calls the repaint handler, or else update() on the control.
  virtual void Repaint(int id);

 private:
  void RepaintIfOwned(int id);

  TNHashTabOfADPtrTo<Entry> m_entries;
  QPointer<QWidget> m_owner;
  RepaintHandler m_repaintHandler;
};

}  // namespace bitvane
