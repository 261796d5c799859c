#include "app/bitvane_app.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

#include "about/own_version_info.h"
#include "app/own_integrity.h"
#include "app/termination_signals.h"
#include "foundation/ansi_to_wide.h"
#include "platform/file_system.h"
#include "settings/bitvane_settings.h"
#include "settings/ps_store.h"
#include "ui/about_box.h"
#include "ui/bitvane_dlg.h"
#include "ui/icon_pool.h"

namespace bitvane {
namespace {

// For tests of the whole program: BITVANE_AUTOCLOSE_MS=n closes the window in front
// every n milliseconds, as a user's Escape would.
void ArmAutoClose() {
  bool ok = false;
  const int interval = qEnvironmentVariableIntValue("BITVANE_AUTOCLOSE_MS", &ok);
  if (!ok || interval <= 0) return;
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [] {
    if (QWidget* front = QApplication::activeModalWidget()) {
      front->close();
    } else {
      for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) window->close();
      }
    }
  });
  timer->start(interval);
}

bool WarnWhenAltered(IntegrityResult result) {
  if (result == IntegrityResult::Intact) return true;
  const QString text =
      result == IntegrityResult::Altered
          ? QStringLiteral(
                "This copy of Bitvane has been altered since it was built, so it "
                "will not run.")
          : QStringLiteral(
                "This copy of Bitvane cannot show that it is unaltered (it carries "
                "no sound integrity stamp, or its file cannot be read), so it will "
                "not run.");
  const QString advice =
      QStringLiteral("Install Bitvane again from its package, or build it again.");
  std::fprintf(stderr, "bitvane: %s %s\n", qPrintable(text), qPrintable(advice));
  QMessageBox::warning(nullptr, QStringLiteral("Bitvane"), text + QStringLiteral("\n\n") + advice);
  return false;
}

}  // namespace

BitvaneApp::BitvaneApp()
    : m_checks(std::async(std::launch::async, [] {
        (void)OwnVersionInfo().LoadSelf();  // the About box shows what it found
        return CheckOwnExecutable();
      })) {}

IntegrityResult BitvaneApp::AwaitChecks() {
  return m_checks.valid() ? m_checks.get() : IntegrityResult::Unreadable;
}

int BitvaneApp::Run() {
  ArmAutoClose();
  return RunMainWindow(AppName(), [this] { return WarnWhenAltered(AwaitChecks()); });
}

int BitvaneApp::RunMainWindow(std::u16string_view appName, const std::function<bool()>& mayRun) {
  BitvaneDlg dialog;  // built while the first steps may still be running, never shown before
  MakeApplicationWindow(dialog);
  if (mayRun && !mayRun()) return kAlteredStatus;
  TerminationSignals terminations;
  {
    NPSStore store{std::u16string(kSettingsStoreName)};
    BindAndLoadSettings(store, dialog, appName);
    NIconPool::Rebind(ProgramResourceModule());

    QObject::connect(&terminations, &TerminationSignals::terminationRequested, &dialog,
                     &QDialog::reject);
    OpenAboutOnRequest(dialog);
    QObject::connect(&dialog, &QDialog::finished, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    dialog.show();
    (void)QApplication::exec();
    (void)store.SaveAll();  // a failed save is not reported
  }
  return terminations.Received() != 0 ? 128 + terminations.Received() : 0;
}

void BitvaneApp::BindAndLoadSettings(NPSStore& store, BitvaneDlg& dialog,
                                     std::u16string_view appName) {
  (void)store.InitFromApp(kSettingsRegistryKey, appName);
  RawValue& value = dialog.Value();
  (void)AddBitvaneSettings(store, {&value.ValueLow, &value.ValueHigh, &dialog.SingleFormats(),
                                   &dialog.DoubleFormats(), &dialog.DarkTheme()});
  (void)store.LoadAll();  // what is missing or damaged keeps its default
}

void BitvaneApp::MakeApplicationWindow(BitvaneDlg& dialog) {
  // Listed in the task bar and switched to like any program, never a transient dialog.
  dialog.setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

std::u16string BitvaneApp::AppName() {
  std::string path;
  if (!ExecutablePath(path)) return std::u16string(kShippedAppName);
  std::string name = path.substr(path.rfind('/') + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot != 0) name.resize(dot);
  return AnsiToWide(name.c_str(), static_cast<std::ptrdiff_t>(name.size()));
}

}  // namespace bitvane
