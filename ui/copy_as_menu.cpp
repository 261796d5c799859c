#include "ui/copy_as_menu.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <utility>

namespace bitvane {

void AppendCopyAsMenu(QMenu* menu, std::function<std::string(CopyFormat)> text) {
  const struct {
    CopyFormat format;
    const char* caption;
  } items[] = {{CopyFormat::CLiteral, "&C/C++ literal"},
               {CopyFormat::HexFloat, "&Hexadecimal float"},
               {CopyFormat::BytesMemoryOrder, "Bytes in &memory order"},
               {CopyFormat::BytesBigEndian, "Bytes, &big-endian"},
               {CopyFormat::PythonPack, "&Python struct.pack"}};
  if (!menu->isEmpty()) menu->addSeparator();
  QMenu* copyAs = menu->addMenu(QStringLiteral("Copy &as"));
  auto shared = std::make_shared<std::function<std::string(CopyFormat)>>(std::move(text));
  for (const auto& item : items) {
    const CopyFormat format = item.format;
    QObject::connect(
        copyAs->addAction(QString::fromLatin1(item.caption)), &QAction::triggered, copyAs,
        [shared, format] {
          QApplication::clipboard()->setText(QString::fromStdString((*shared)(format)));
        });
  }
}

}  // namespace bitvane
