#pragma once
// Controls are found by their control id, as the dialog templates number them. The id
// is kept on the widget as a property, so any widget tree can be searched by it.

#include <QWidget>

namespace bitvane {

// The id that stands for the dialog itself in colour tables.
inline constexpr int kOwnerWindowId = -1;

void SetControlId(QWidget* widget, int id);

// The widget's control id; 0 when it has none.
[[nodiscard]] int ControlIdOf(const QWidget* widget);

// The widget with control id `id` inside `dialog` (the dialog itself for -1), or null.
[[nodiscard]] QWidget* FindControl(QWidget* dialog, int id);

}  // namespace bitvane
