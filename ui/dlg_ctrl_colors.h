#pragma once
// Gives a dialog's controls the colours of a ControlColors table. Each entry reaches
// its widget through the widget's palette as soon as it is set, changed or removed;
// a removed entry leaves the widget with its default palette again. The hook follows
// the dialog's life: when the dialog is destroyed it clears the table and detaches.

#include <QHash>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include "ui/control_colors.h"

namespace bitvane {

class DlgCtrlColors : public QObject {
  Q_OBJECT

 public:
  explicit DlgCtrlColors(QObject* parent = nullptr);
  ~DlgCtrlColors() override;

  DlgCtrlColors(const DlgCtrlColors&) = delete;
  DlgCtrlColors& operator=(const DlgCtrlColors&) = delete;

  // Clears the table (restoring the controls of any earlier dialog), takes a new
  // subclass id and makes `dialog` the owner window. For a null dialog the id
  // stays 0 and nothing is hooked.
  void Attach(QWidget* dialog);

  // Stops colouring: the id becomes 0 and the owner window's controls return to
  // their default palettes. The entries stay in the table.
  void Detach();

  // The id of the current attachment; 0 when not attached.
  [[nodiscard]] unsigned SubclassId() const { return m_subclassId; }

  [[nodiscard]] ControlColors& Colors() { return m_colors; }
  [[nodiscard]] const ControlColors& Colors() const { return m_colors; }

 private:
  void OnOwnerDestroyed(unsigned subclassId);
  // Puts control `id` in the colours of its entry, or in its default ones while
  // detached or without an entry.
  void ShowColors(int id);
  // The owner's control `id`, remembered from the last search while it is still there
  // with that id: a search walks every widget of the dialog.
  QWidget* Control(int id);

  ControlColors m_colors;
  unsigned m_subclassId = 0;
  QMetaObject::Connection m_ownerDestroyed;
  QHash<int, QPointer<QWidget>> m_found;
};

}  // namespace bitvane
