// The reference for a whole process's start: a Qt program that shows an empty dialog.

#include <QApplication>
#include <QDialog>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QDialog dialog;
  dialog.show();
  return QApplication::exec();
}
