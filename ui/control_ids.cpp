#include "ui/control_ids.h"

#include <QVariant>

namespace bitvane {

namespace {
constexpr const char* kProperty = "bitvaneControlId";
}

void SetControlId(QWidget* widget, int id) {
  if (widget != nullptr) widget->setProperty(kProperty, id);
}

int ControlIdOf(const QWidget* widget) {
  return widget != nullptr ? widget->property(kProperty).toInt() : 0;
}

QWidget* FindControl(QWidget* dialog, int id) {
  if (dialog == nullptr || id == 0) return nullptr;
  if (id == kOwnerWindowId) return dialog;
  for (QWidget* child : dialog->findChildren<QWidget*>()) {
    if (ControlIdOf(child) == id) return child;
  }
  return nullptr;
}

}  // namespace bitvane
