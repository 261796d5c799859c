#pragma once
// Keeps a resizable dialog's controls in place as the dialog is resized. Each control
// is registered with its rectangle and a layout word saying which of its edges follow
// the dialog's client size and by what share; every resize lays all of them out again
// from their registered rectangles, so rounding never builds up.
//
// Layout word: bits 0..3 tie the left, right, top and bottom edge to the client size;
// bits 4-10, 11-17, 18-24 and 25-31 hold each edge's share n, the factor n/128 (0 for
// the full size). An edge whose bit is clear never moves. So 3 moves a control with
// the right border, 10 makes it grow, 0x20403 keeps it centred horizontally.

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>

#include "foundation/list_of.h"
#include "ui/wnd_subclass.h"

namespace bitvane {

inline constexpr std::uint32_t kAnchorLeft = 1, kAnchorRight = 2, kAnchorTop = 4, kAnchorBottom = 8;
inline constexpr int kLeftShareShift = 4, kRightShareShift = 11, kTopShareShift = 18,
                     kBottomShareShift = 25;

// One row of a registration table; the table ends with a row whose id is 0.
struct ControlAnchor {
  int id;
  std::uint32_t layout;
};

// The window placement, as the text of a stored placement holds it. Qt keeps no
// minimised or maximised positions, so those stay -1; `normal` is the dialog's
// normalGeometry (the restored client area in screen coordinates, right and bottom
// exclusive), which setGeometry takes back unchanged.
struct WindowPlacement {
  unsigned flags = 0;
  unsigned showCommand = 1;  // shown normally
  QPoint minPosition{-1, -1}, maxPosition{-1, -1};
  int left = 0, top = 0, right = 0, bottom = 0;
};

class DlgCtrlResizer : public NWndSubclass {
  Q_OBJECT

 public:
  // A control's rectangle at registration, in the dialog's client coordinates, and
  // each edge's offset: reference size x factor - coordinate.
  struct SRszCtrl {
    int left, top, right, bottom;
    int id;
    std::uint32_t layout;
    double offsets[4];  // left, right, top, bottom
  };

  // `dialog` serves registration before attaching; attaching sets it too.
  explicit DlgCtrlResizer(QWidget* dialog = nullptr, QObject* parent = nullptr);
  ~DlgCtrlResizer() override;

  [[nodiscard]] const NClassRecord& ClassRecord() const noexcept override;
  [[nodiscard]] static const NClassRecord& StaticRecord() noexcept;

  // Registers the rows up to the id 0. The first failure (no dialog, control missing,
  // id already registered) stops the table and gives false.
  [[nodiscard]] bool AddControls(const ControlAnchor* table);
  // False (last error 87) for an id already registered or without a dialog.
  [[nodiscard]] bool AddControl(int id, const QRect& rect, std::uint32_t layout);
  // Makes the dialog's current size its minimum; false without a dialog.
  [[nodiscard]] bool CaptureMinimumSize();
  // A maximum size; 0 or less in a dimension for none.
  void SetMaximumSize(int width, int height);
  // Forgets every control and drops the minimum size captured here.
  void ClearControls();

  // Where the placement text is left on the dialog's destruction; owned by the caller,
  // null for none.
  void SetPlacementText(QString* text) noexcept { m_placementText = text; }
  [[nodiscard]] const WindowPlacement& LastPlacement() const noexcept { return m_placement; }
  [[nodiscard]] std::uint32_t ControlCount() const noexcept { return m_controls.Count(); }

 protected:
  void After(SubclassMessage message, QEvent* event) override;
  void OnAttach() override;
  void OnWindowDestroyed() override;

 private:
  void Relayout();

  QPointer<QWidget> m_dialog;
  QSize m_reference;  // the client size the offsets were taken at; empty until then
  QSize m_minimum, m_maximum;
  TNListOf<SRszCtrl> m_controls;
  WindowPlacement m_placement;
  QString* m_placementText = nullptr;
};

}  // namespace bitvane
