#pragma once
// The About text in a plain message box: what this copy is (product, processor, build
// type, version, copyright, build time, the file it runs from, the revision), with the
// application icon. The main window shows it for its "About Bitvane..." command.

#include <QMessageBox>
#include <memory>

namespace bitvane {

// The box, filled from the running program's own version information and revision
// banner, not yet shown; its text can be selected and copied.
[[nodiscard]] std::unique_ptr<QMessageBox> MakeAboutMessage(QWidget* parent);

}  // namespace bitvane
