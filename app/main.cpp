// Bitvane: one 64-bit value in fourteen live views.

#include <QApplication>

#include "ui/bitvane_dlg.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  bitvane::BitvaneDlg dialog;
  dialog.exec();
  return 0;
}
