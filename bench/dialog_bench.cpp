// What the main dialog costs on screen: constructing and showing it against an
// empty dialog, and one keystroke in the double's input line. Runs on the offscreen
// platform unless QT_QPA_PLATFORM names another, so it needs no display.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QTest>
#include <bit>
#include <cstdint>
#include <memory>

#include "bench/wait_exposed.h"
#include "core/view_table.h"
#include "ui/bitvane_dlg.h"
#include "ui/view_control_ids.h"

namespace bitvane {
namespace {

using bench::kWaitLimitMs;
using bench::WaitExposed;

// Processes events until `widget` has the keyboard focus.
bool WaitFocused(QWidget& widget) {
  QElapsedTimer timer;
  timer.start();
  while (!widget.hasFocus()) {
    if (timer.elapsed() > kWaitLimitMs) return false;
    QCoreApplication::processEvents();
  }
  return true;
}

// Construction, show until exposed (the first paint included), destruction, and
// whatever the destroyed window left in the event queue.
template <typename Dialog>
void ShowAndDestroy(benchmark::State& state) {
  for (auto _ : state) {
    auto dialog = std::make_unique<Dialog>();
    dialog->show();
    if (!WaitExposed(*dialog)) {
      state.SkipWithError("the dialog was never exposed");
      break;
    }
    dialog.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }
}

void BM_EmptyDialogShown(benchmark::State& state) {
  ShowAndDestroy<QDialog>(state);
}
BENCHMARK(BM_EmptyDialogShown)->Unit(benchmark::kMillisecond);

void BM_MainDialogShown(benchmark::State& state) {
  ShowAndDestroy<BitvaneDlg>(state);
}
BENCHMARK(BM_MainDialogShown)->Unit(benchmark::kMillisecond);

// A shown, initialised main dialog with the focus in the double's input line,
// which holds "1.5" (cursor at the end, status line all clear).
class ShownDialog {
 public:
  ShownDialog() {
    m_dialog.show();
    if (!WaitExposed(m_dialog)) {
      m_error = "the dialog was never exposed";
      return;
    }
    m_input =
        qobject_cast<QLineEdit*>(m_dialog.Controls().Control(ControlIdsOf(ViewId::Double64).input));
    if (m_input == nullptr) {
      m_error = "no input line for the double";
      return;
    }
    m_dialog.activateWindow();
    m_input->setFocus(Qt::OtherFocusReason);
    if (!WaitFocused(*m_input)) {
      m_error = "the double's input line never got the focus";
      return;
    }
    m_input->setText(QStringLiteral("1.5"));
    QCoreApplication::processEvents();
    if (!Holds(1.5)) m_error = "\"1.5\" was not accepted";
  }

  [[nodiscard]] const char* Error() const { return m_error; }
  [[nodiscard]] QLineEdit& Input() { return *m_input; }

  // True when the value is `number` and the status line is clear.
  [[nodiscard]] bool Holds(double number) {
    return m_dialog.Value().ToU64() == std::bit_cast<std::uint64_t>(number) &&
           m_dialog.Views().StatusMessage().empty();
  }

 private:
  BitvaneDlg m_dialog;
  QLineEdit* m_input = nullptr;
  const char* m_error = nullptr;
};

// The text is changed as typing changes it (the same change signal), alternating
// between two accepted texts, so every iteration parses and rewrites the other 27
// texts and the status line. `paint` also lets the event loop repaint.
void SetTextKeystrokes(benchmark::State& state, bool paint) {
  ShownDialog shown;
  if (shown.Error() != nullptr) {
    state.SkipWithError(shown.Error());
    return;
  }
  const QString texts[2] = {QStringLiteral("1.25"), QStringLiteral("1.5")};
  QLineEdit& input = shown.Input();
  std::size_t i = 0;
  for (auto _ : state) {
    input.setText(texts[i++ & 1]);
    if (paint) QCoreApplication::processEvents();
  }
  if (!shown.Holds((i & 1) != 0 ? 1.25 : 1.5)) state.SkipWithError("the last text was not taken");
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

void BM_Keystroke(benchmark::State& state) {
  SetTextKeystrokes(state, false);
}
BENCHMARK(BM_Keystroke)->Unit(benchmark::kMicrosecond);

void BM_KeystrokePainted(benchmark::State& state) {
  SetTextKeystrokes(state, true);
}
BENCHMARK(BM_KeystrokePainted)->Unit(benchmark::kMicrosecond);

// Real key events to the focused line: "5" then Backspace, "1.5" -> "1.55" -> "1.5",
// two accepted keystrokes per iteration (items are keystrokes).
void BM_KeystrokeKeyEvents(benchmark::State& state) {
  ShownDialog shown;
  if (shown.Error() != nullptr) {
    state.SkipWithError(shown.Error());
    return;
  }
  QLineEdit& input = shown.Input();
  QTest::keyClick(&input, Qt::Key_5);
  const bool typed = shown.Holds(1.55);
  QTest::keyClick(&input, Qt::Key_Backspace);
  if (!typed || !shown.Holds(1.5)) {
    state.SkipWithError("the key events did not change the value");
    return;
  }
  for (auto _ : state) {
    QTest::keyClick(&input, Qt::Key_5);
    QTest::keyClick(&input, Qt::Key_Backspace);
  }
  if (!shown.Holds(1.5) || input.text() != QStringLiteral("1.5")) {
    state.SkipWithError("the keys left another text");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(2 * state.iterations()));
}
BENCHMARK(BM_KeystrokeKeyEvents)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace bitvane

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The benchmark's flags first, then Qt's; whatever is left is unknown.
  benchmark::Initialize(&argc, argv);
  QApplication app(argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
