#include "ui/window_icon.h"

#include <QIcon>
#include <QPixmap>
#include <QStyle>
#include <QWidget>

#include "ui/icon_pool.h"

namespace bitvane {

void SetWindowIcons(QWidget* window) {
  QIcon icon;
  for (const QStyle::PixelMetric metric : {QStyle::PM_SmallIconSize, QStyle::PM_LargeIconSize}) {
    const int size = window->style()->pixelMetric(metric, nullptr, window);
    const QImage image = NIconPool::GetIcon(kApplicationIcon, size, size);
    if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
  }
  window->setWindowIcon(icon);
}

}  // namespace bitvane
