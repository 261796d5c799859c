// The icons on one sheet, as the program loads them through the icon pool: icons 128
// and 129 at 16, 32 and 256 pixels (the small ones also enlarged four times, pixel for
// pixel) and the matching banner, on the light dialog face and on the dark theme's grey.
//
//   ui_icon_sheet FILE.png

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "ui/icon_pool.h"

namespace {

constexpr int kGap = 16;

// One row of the sheet on `face`; returns the row's height.
int DrawRow(QPainter& painter, int top, const QColor& face, int width, int banner) {
  constexpr int kHeight = 256 + 2 * kGap + 48 + kGap;
  painter.fillRect(0, top, width, kHeight, face);
  int x = kGap;
  for (const int number : {128, 129}) {
    for (const int size : {16, 32}) {
      const QImage icon = bitvane::NIconPool::GetIcon(number, size, size);
      painter.drawImage(x, top + kGap, icon);
      painter.drawImage(QRect(x, top + kGap + size + kGap, 4 * size, 4 * size), icon);
      x += 4 * size + kGap;
    }
    painter.drawImage(x, top + kGap, bitvane::NIconPool::GetIcon(number, 256, 256));
    x += 256 + kGap;
  }
  painter.drawImage(kGap, top + 256 + 2 * kGap, bitvane::NIconPool::GetIcon(banner, 240, 48));
  return kHeight;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fputs("usage: ui_icon_sheet FILE.png\n", stderr);
    return 2;
  }
  const int width = 2 * (4 * 16 + 4 * 32 + 256 + 4 * kGap) + kGap;
  QImage sheet(width, 2 * (256 + 3 * kGap + 48), QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&sheet);
  const int light = DrawRow(painter, 0, QColor(0xF0, 0xF0, 0xF0), width, 130);
  (void)DrawRow(painter, light, QColor(0x33, 0x33, 0x33), width, 131);
  painter.end();
  if (!sheet.save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "ui_icon_sheet: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
