#pragma once
// BitvaneApp: the program's whole life. It reads its own version information, refuses
// to run when its file was altered, loads the settings, runs the main window until it
// closes, and saves the settings, however the window was closed.

#include <string>
#include <string_view>

namespace bitvane {

class BitvaneDlg;
class NPSStore;

class BitvaneApp {
 public:
  // Exit statuses: 0 after a normal run, kAlteredStatus when the file failed its check,
  // 128 + n when signal n ended the run (after saving).
  static constexpr int kAlteredStatus = 1;

  // Runs the program. A QApplication must exist.
  [[nodiscard]] int Run();

  // The steps from the settings on, for application `appName`: the main window with the
  // stored settings, run until it closes, then the settings saved.
  [[nodiscard]] static int RunMainWindow(std::u16string_view appName);

  // Steps of the start that the benchmarks time alone: the window's settings bound to
  // `store` under application `appName` and loaded (the store must not outlive the
  // dialog), and the window made an application window of its own.
  static void BindAndLoadSettings(NPSStore& store, BitvaneDlg& dialog, std::u16string_view appName);
  static void MakeApplicationWindow(BitvaneDlg& dialog);

  // The application's name: its executable's file name without the extension.
  [[nodiscard]] static std::u16string AppName();
};

}  // namespace bitvane
