#include "ui/dlg_ctrl_resizer.h"

#include <algorithm>

#include "platform/last_error.h"
#include "ui/control_ids.h"

namespace bitvane {

namespace {

enum Edge { kLeft, kRight, kTop, kBottom };
constexpr int kShareShift[4] = {kLeftShareShift, kRightShareShift, kTopShareShift,
                                kBottomShareShift};

double Factor(std::uint32_t layout, Edge edge) {
  const std::uint32_t share = (layout >> kShareShift[edge]) & 0x7F;
  return share == 0 ? 1.0 : share / 128.0;
}

bool Follows(std::uint32_t layout, Edge edge) {
  return (layout & (1u << edge)) != 0;
}

// The edge at client size `size`, truncated towards zero; the registered one if fixed.
int Place(const DlgCtrlResizer::SRszCtrl& control, Edge edge, int registered, int size) {
  if (!Follows(control.layout, edge)) return registered;
  return static_cast<int>(size * Factor(control.layout, edge) - control.offsets[edge]);
}

}  // namespace

DlgCtrlResizer::DlgCtrlResizer(QWidget* dialog, QObject* parent)
    : NWndSubclass(parent), m_dialog(dialog) {}

DlgCtrlResizer::~DlgCtrlResizer() {
  Detach();
}

const NClassRecord& DlgCtrlResizer::StaticRecord() noexcept {
  static const NClassRecord record{sizeof(DlgCtrlResizer), "DlgCtrlResizer",
                                   &NWndSubclass::StaticRecord()};
  return record;
}

const NClassRecord& DlgCtrlResizer::ClassRecord() const noexcept {
  return StaticRecord();
}

bool DlgCtrlResizer::AddControls(const ControlAnchor* table) {
  for (; table != nullptr && table->id != 0; ++table) {
    QWidget* control = FindControl(m_dialog, table->id);
    if (control == nullptr || control == m_dialog) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    const QRect rect(control->mapTo(m_dialog, QPoint(0, 0)), control->size());
    if (!AddControl(table->id, rect, table->layout)) return false;
  }
  return true;
}

bool DlgCtrlResizer::AddControl(int id, const QRect& rect, std::uint32_t layout) {
  const auto registered = [id](const SRszCtrl& control) { return control.id == id; };
  if (m_dialog == nullptr || std::any_of(m_controls.begin(), m_controls.end(), registered)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (m_reference.isEmpty()) m_reference = m_dialog->size();
  // Right and bottom are exclusive, as the controls are moved by width and height.
  SRszCtrl control{
      rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height(), id,
      layout,      {}};
  const int coordinates[4] = {control.left, control.right, control.top, control.bottom};
  for (const Edge edge : {kLeft, kRight, kTop, kBottom}) {
    const int size = edge == kLeft || edge == kRight ? m_reference.width() : m_reference.height();
    control.offsets[edge] = size * Factor(layout, edge) - coordinates[edge];
  }
  return m_controls.Add(control) != nullptr;
}

bool DlgCtrlResizer::CaptureMinimumSize() {
  if (m_dialog == nullptr) return false;
  // Qt holds a window to its minimum size itself, whichever way it is resized.
  m_minimum = m_dialog->size();
  m_dialog->setMinimumSize(m_minimum);
  return true;
}

void DlgCtrlResizer::SetMaximumSize(int width, int height) {
  m_maximum = QSize(width, height);
  if (m_dialog == nullptr) return;
  m_dialog->setMaximumSize(width > 0 ? width : QWIDGETSIZE_MAX,
                           height > 0 ? height : QWIDGETSIZE_MAX);
}

void DlgCtrlResizer::ClearControls() {
  m_controls.RemoveAll();
  m_reference = QSize();
  if (m_dialog != nullptr && !m_minimum.isEmpty() && m_dialog->minimumSize() == m_minimum) {
    m_dialog->setMinimumSize(0, 0);
  }
  m_minimum = QSize();
}

void DlgCtrlResizer::OnAttach() {
  m_dialog = Window();
}

void DlgCtrlResizer::After(SubclassMessage message, QEvent* event) {
  // A restore is a state change without a resize when the size stayed the same.
  if (message == SubclassMessage::Resize || message == SubclassMessage::StateChange) {
    Relayout();
  }
  NWndSubclass::After(message, event);
}

void DlgCtrlResizer::Relayout() {
  if (m_dialog == nullptr || m_dialog->isMinimized()) return;
  const int width = m_dialog->width(), height = m_dialog->height();
  for (const SRszCtrl& control : m_controls) {
    QWidget* widget = FindControl(m_dialog, control.id);
    if (widget == nullptr || widget == m_dialog) continue;
    const int left = Place(control, kLeft, control.left, width);
    const int right = Place(control, kRight, control.right, width);
    const int top = Place(control, kTop, control.top, height);
    const int bottom = Place(control, kBottom, control.bottom, height);
    const QPoint origin = widget->parentWidget()->mapFrom(m_dialog, QPoint(left, top));
    widget->setGeometry(QRect(origin, QSize(right - left, bottom - top)));
    widget->update();
  }
}

void DlgCtrlResizer::OnWindowDestroyed() {
  // The placement is taken only when the dialog is not minimised, and kept from before
  // otherwise. QWidget's destructor signals destroyed() while still a widget, so the
  // window can be read here, though m_dialog (a QPointer) has been cleared already.
  const QWidget* dialog = Window();
  if (dialog != nullptr && !dialog->isMinimized()) {
    const QRect normal = dialog->normalGeometry();
    m_placement = WindowPlacement{};
    m_placement.left = normal.x();
    m_placement.top = normal.y();
    m_placement.right = normal.x() + normal.width();
    m_placement.bottom = normal.y() + normal.height();
  }
  if (m_placementText != nullptr) {
    const WindowPlacement& p = m_placement;
    const QString text = QString::asprintf("%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showCommand,
                                           p.minPosition.x(), p.minPosition.y(), p.maxPosition.x(),
                                           p.maxPosition.y(), p.left, p.top, p.right, p.bottom);
    if (*m_placementText != text) *m_placementText = text;
  }
  ClearControls();
}

}  // namespace bitvane
