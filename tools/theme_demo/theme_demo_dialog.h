#pragma once
// A small dialog made of the main dialog's theme lists: labels, input lines,
// information boxes and owner-drawn buttons under their control ids. The theme
// tests and the demonstration program use it.

#include <QDialog>
#include <memory>

namespace bitvane::tools {

[[nodiscard]] std::unique_ptr<QDialog> MakeThemeDemoDialog();

}  // namespace bitvane::tools
