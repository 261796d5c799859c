#include "ui/dlg_ctrl_colors.h"

#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVariant>

#include "ui/control_ids.h"
#include "ui/qt_colors.h"

namespace bitvane {

namespace {

// Each attachment takes the next number; 0 means "not attached".
unsigned g_lastSubclassId = 0;

// Set on a widget while it shows table colours, holding the widget's own
// autoFillBackground, so that removing the colours restores exactly that.
constexpr const char* kAutoFillBefore = "bitvaneAutoFillBefore";

bool IsTextBox(const QWidget* control) {
  return qobject_cast<const QLineEdit*>(control) != nullptr ||
         qobject_cast<const QPlainTextEdit*>(control) != nullptr ||
         qobject_cast<const QTextEdit*>(control) != nullptr;
}

// Returns a widget coloured here to its default palette, as if never coloured.
void RestoreDefaultColors(QWidget* control) {
  const QVariant autoFillBefore = control->property(kAutoFillBefore);
  if (!autoFillBefore.isValid()) return;
  control->setPalette(QPalette());
  control->setAttribute(Qt::WA_SetPalette, false);
  control->setAutoFillBackground(autoFillBefore.toBool());
  control->setProperty(kAutoFillBefore, QVariant());
}

// Sets the palette roles through which `control` shows the entry's colours. Roles
// whose colour is the default are left unset, so they stay the widget's own.
void ApplyColors(QWidget* control, const ControlColors::Entry& entry) {
  QVariant autoFillBefore = control->property(kAutoFillBefore);
  if (!autoFillBefore.isValid()) {
    autoFillBefore = control->autoFillBackground();
    control->setProperty(kAutoFillBefore, autoFillBefore);
  }
  const bool hasText = !IsDefaultColor(entry.text);
  const bool hasBackground = entry.brush.has_value();
  const QColor text = ToQColor(entry.text);
  bool autoFill = autoFillBefore.toBool();

  QPalette palette;  // no role set yet
  if (entry.id == kOwnerWindowId) {
    if (hasBackground) palette.setBrush(QPalette::Window, *entry.brush);
    if (hasText) palette.setColor(QPalette::WindowText, text);
  } else if (IsTextBox(control)) {
    // Editable inputs and read-only boxes both fill their Base role under the
    // text, which makes the text background opaque in either case.
    if (hasBackground) palette.setBrush(QPalette::Base, *entry.brush);
    if (hasText) palette.setColor(QPalette::Text, text);
  } else {
    if (hasText) {
      palette.setColor(QPalette::WindowText, text);
      palette.setColor(QPalette::ButtonText, text);
    }
    if (hasBackground) {
      palette.setBrush(QPalette::Window, *entry.brush);
      autoFill = true;  // labels and most widgets do not paint their Window role
    }
  }
  control->setPalette(palette);
  control->setAutoFillBackground(autoFill);
}

}  // namespace

DlgCtrlColors::DlgCtrlColors(QObject* parent) : QObject(parent) {
  m_colors.SetRepaintHandler([this](int id) { ShowColors(id); });
}

DlgCtrlColors::~DlgCtrlColors() {
  QObject::disconnect(m_ownerDestroyed);
}

void DlgCtrlColors::Attach(QWidget* dialog) {
  (void)m_colors.ClearAll(true);
  QObject::disconnect(m_ownerDestroyed);  // an earlier dialog is no longer watched
  m_subclassId = ++g_lastSubclassId;
  m_colors.SetOwner(dialog);
  if (dialog == nullptr) {
    m_subclassId = 0;
    return;
  }
  const unsigned subclassId = m_subclassId;
  m_ownerDestroyed = connect(dialog, &QObject::destroyed, this,
                             [this, subclassId] { OnOwnerDestroyed(subclassId); });
  if (!m_ownerDestroyed) m_subclassId = 0;
}

void DlgCtrlColors::Detach() {
  if (m_subclassId == 0) return;
  m_subclassId = 0;
  QObject::disconnect(m_ownerDestroyed);
  if (m_colors.Owner() == nullptr) return;
  for (const int id : m_colors.Ids()) ShowColors(id);
}

void DlgCtrlColors::OnOwnerDestroyed(unsigned subclassId) {
  if (subclassId != m_subclassId) return;  // a signal of an earlier attachment
  (void)m_colors.ClearAll(false);
  Detach();
}

QWidget* DlgCtrlColors::Control(int id) {
  QWidget* owner = m_colors.Owner();
  if (owner == nullptr || id == kOwnerWindowId) return FindControl(owner, id);
  if (const auto known = m_found.constFind(id); known != m_found.cend()) {
    QWidget* control = known->data();
    if (control != nullptr && ControlIdOf(control) == id && owner->isAncestorOf(control))
      return control;
  }
  QWidget* found = FindControl(owner, id);
  m_found.insert(id, found);
  return found;
}

void DlgCtrlColors::ShowColors(int id) {
  QWidget* control = Control(id);
  if (control == nullptr) return;
  const ControlColors::Entry* entry = m_subclassId != 0 ? m_colors.Lookup(id) : nullptr;
  if (entry != nullptr) {
    ApplyColors(control, *entry);
  } else {
    RestoreDefaultColors(control);
  }
  control->update();
}

}  // namespace bitvane
