// Saves a picture of the main window, or of its About box, for the README:
// `ui_screenshot [--dark] [--value HEX] [--point-size N] [--about [--two-column]] FILE`,
// with the fonts and layout as the program shows them; --point-size stands in for the
// desktop's font size.

#include <QApplication>
#include <QTimer>
#include <memory>

#include "about/own_version_info.h"
#include "ui/about_box.h"
#include "ui/bitvane_dlg.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 2) return 2;
  const qsizetype value = args.indexOf(QStringLiteral("--value"));
  bool ok = true;
  const quint64 bits =
      value >= 0 && value + 1 < args.size() ? args[value + 1].toULongLong(&ok, 16) : 0;
  if (!ok) return 2;
  const qsizetype pointSize = args.indexOf(QStringLiteral("--point-size"));
  if (pointSize >= 0 && pointSize + 1 < args.size()) {
    QFont font = QApplication::font();
    font.setPointSizeF(args[pointSize + 1].toDouble(&ok));
    if (!ok) return 2;
    QApplication::setFont(font);
  }
  const bool dark = args.contains(QStringLiteral("--dark"));

  std::unique_ptr<QWidget> window;
  if (args.contains(QStringLiteral("--about"))) {
    (void)bitvane::OwnVersionInfo().LoadSelf();
    bitvane::AboutBoxOptions options = bitvane::MainWindowAboutOptions(dark);
    if (args.contains(QStringLiteral("--two-column"))) options.Flags &= ~bitvane::kAboutCentred;
    window = std::make_unique<bitvane::AboutBox>(std::move(options));
  } else {
    auto dialog = std::make_unique<bitvane::BitvaneDlg>();
    dialog->DarkTheme() = dark;
    dialog->Value() = bitvane::RawValue::FromU64(bits);
    window = std::move(dialog);
  }
  window->show();
  const QString file = args.last();
  QTimer::singleShot(300, [&] {
    if (!window->grab().save(file)) app.exit(1);
    app.quit();
  });
  return app.exec();
}
