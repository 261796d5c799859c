// Bitvane: one 64-bit value in fourteen live views.

#include <QApplication>

#include "app/bitvane_app.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  return bitvane::BitvaneApp().Run();
}
