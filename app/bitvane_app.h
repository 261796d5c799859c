#pragma once
// BitvaneApp: the program's whole life. It reads its own version information, refuses
// to run when its file was altered, loads the settings, runs the main window until it
// closes, and saves the settings, however the window was closed.

#include <functional>
#include <future>
#include <string>
#include <string_view>

#include "app/integrity.h"

namespace bitvane {

class BitvaneDlg;
class NPSStore;

class BitvaneApp {
 public:
  // Exit statuses: 0 after a normal run, kAlteredStatus when the file failed its check,
  // 128 + n when signal n ended the run (after saving).
  static constexpr int kAlteredStatus = 1;

  // Starts the first steps, reading the program's own version information and checking
  // its file, on a worker thread, so that they overlap the toolkit's start: construct
  // the BitvaneApp before the QApplication.
  BitvaneApp();

  // Waits for the first steps; the check's result.
  [[nodiscard]] IntegrityResult AwaitChecks();

  // Runs the program: the main window built while the checks finish, then, unless the
  // file failed its check (a warning and kAlteredStatus), run. A QApplication must exist.
  [[nodiscard]] int Run();

  // The steps from the main window on, for application `appName`: the window built, then,
  // when `mayRun` (if given) agrees, given the stored settings, run until it closes, and
  // the settings saved; kAlteredStatus when `mayRun` refuses.
  [[nodiscard]] static int RunMainWindow(std::u16string_view appName,
                                         const std::function<bool()>& mayRun = {});

  // Steps of the start that the benchmarks time alone: the window's settings bound to
  // `store` under application `appName` and loaded (the store must not outlive the
  // dialog), and the window made an application window of its own.
  static void BindAndLoadSettings(NPSStore& store, BitvaneDlg& dialog, std::u16string_view appName);
  static void MakeApplicationWindow(BitvaneDlg& dialog);

  // The application's name: its executable's file name without the extension.
  [[nodiscard]] static std::u16string AppName();

 private:
  std::future<IntegrityResult> m_checks;
};

}  // namespace bitvane
