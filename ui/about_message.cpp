#include "ui/about_message.h"

#include "about/about_text.h"
#include "about/own_version_info.h"
#include "res/revision_banner.h"
#include "ui/icon_pool.h"
#include "ui/window_icon.h"

namespace bitvane {

std::unique_ptr<QMessageBox> MakeAboutMessage(QWidget* parent) {
  AboutOptions options = AboutOptions::Default();
  options.Flags |= kAboutMainWindowFlags;
  FillFromVersion(options, &OwnVersionInfo(), {}, RevisionBanner());
  auto box = std::make_unique<QMessageBox>(parent);
  box->setWindowTitle(QString::fromStdU16String(options.Title));
  box->setText(QString::fromStdU16String(options.Text)
                   .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  box->setIconPixmap(QPixmap::fromImage(NIconPool::GetIcon(kApplicationIcon, 64, 64)));
  box->setStandardButtons(QMessageBox::Ok);
  return box;
}

}  // namespace bitvane
