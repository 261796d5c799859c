// Bitvane: one 64-bit value in fourteen live views.

#include <QApplication>

#include "app/bitvane_app.h"
#include "ui/system_theme.h"

int main(int argc, char** argv) {
  bitvane::BitvaneApp bitvane;  // its first steps overlap the toolkit's start
  bitvane::DisableBusAutolaunch();
  QApplication app(argc, argv);
  // The desktop matches the window to its menu entry, and so to its icon, by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral(BITVANE_APP_ID));
  return bitvane.Run();
}
