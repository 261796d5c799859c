// What the main dialog costs on screen, each against its floor in the same run: built
// and shown against an empty dialog and against the same widgets built directly in Qt
// code (bench/floor_dialog.h); one keystroke in the double's input line against those
// widgets receiving the texts the keystroke produces; a bit flipped with Space against a
// keystroke; and the resident memory of a process showing it against one showing the
// floor. Runs on the offscreen platform unless QT_QPA_PLATFORM names another, so it
// needs no display.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryFile>
#include <QTest>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "bench/floor_dialog.h"
#include "bench/wait_exposed.h"
#include "core/view_table.h"
#include "ui/bitvane_dlg.h"
#include "ui/view_control_ids.h"

namespace bitvane {
namespace {

using bench::EditableTextsOf;
using bench::FloorDialog;
using bench::FloorSnapshot;
using bench::kWaitLimitMs;
using bench::SnapshotOf;
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

// The floor's picture of the main window holding 1.5 in the double, and the texts of the
// input lines and text boxes for 1.25 and for 1.5 (FloorDialog::SetTexts order).
struct Floor {
  FloorSnapshot snapshot;
  std::vector<QString> texts[2];
};
Floor g_floor;

// Construction, show until exposed (the first paint included), destruction, and
// whatever the destroyed window left in the event queue.
void ShowAndDestroy(benchmark::State& state, const std::function<QDialog*()>& make) {
  for (auto _ : state) {
    std::unique_ptr<QDialog> dialog(make());
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
  ShowAndDestroy(state, [] { return new QDialog; });
}
BENCHMARK(BM_EmptyDialogShown)->Unit(benchmark::kMillisecond);

void BM_FloorShown(benchmark::State& state) {
  ShowAndDestroy(state, [] { return new FloorDialog(g_floor.snapshot); });
}
BENCHMARK(BM_FloorShown)->Unit(benchmark::kMillisecond);

void BM_MainDialogShown(benchmark::State& state) {
  ShowAndDestroy(state, [] { return new BitvaneDlg; });
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
  [[nodiscard]] QWidget* DoubleInfoBox() {
    return m_dialog.Controls().Control(ControlIdsOf(ViewId::Double64).info);
  }

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

// The floor of a keystroke: every input line and text box given its text for the other
// value, alternating as SetTextKeystrokes does; with `changedOnly`, only those whose
// text changes.
void FloorKeystrokes(benchmark::State& state, bool paint, bool changedOnly = false) {
  FloorDialog probe(g_floor.snapshot);
  probe.show();
  if (!WaitExposed(probe)) {
    state.SkipWithError("the floor was never exposed");
    return;
  }
  // The focus in the double's line, as in the main window's keystrokes.
  for (std::size_t i = 0; i < g_floor.texts[0].size(); ++i) {
    if (g_floor.texts[0][i] == QStringLiteral("1.25") &&
        g_floor.texts[1][i] == QStringLiteral("1.5")) {
      probe.activateWindow();
      probe.Editable(i)->setFocus(Qt::OtherFocusReason);
      if (!WaitFocused(*probe.Editable(i)))
        state.SkipWithError("the floor's line never got the focus");
    }
  }
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t next = i++ & 1;
    probe.SetTexts(g_floor.texts[next], changedOnly ? &g_floor.texts[next ^ 1] : nullptr);
    if (paint) QCoreApplication::processEvents();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

void BM_FloorKeystroke(benchmark::State& state) {
  FloorKeystrokes(state, false);
}
BENCHMARK(BM_FloorKeystroke)->Unit(benchmark::kMicrosecond);

void BM_FloorKeystrokePainted(benchmark::State& state) {
  FloorKeystrokes(state, true);
}
BENCHMARK(BM_FloorKeystrokePainted)->Unit(benchmark::kMicrosecond);

void BM_FloorKeystrokeChangedOnly(benchmark::State& state) {
  FloorKeystrokes(state, false, true);
}
BENCHMARK(BM_FloorKeystrokeChangedOnly)->Unit(benchmark::kMicrosecond);

void BM_FloorKeystrokeChangedOnlyPainted(benchmark::State& state) {
  FloorKeystrokes(state, true, true);
}
BENCHMARK(BM_FloorKeystrokeChangedOnlyPainted)->Unit(benchmark::kMicrosecond);

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

// A bit flipped from the keyboard: Space in the double's focused information box, its
// highlight on the fraction's top bit, so that the value alternates 1.5 and 1.0 and
// every view is rewritten, as after a keystroke (and the double's own line too).
// Compare with BM_KeystrokeKeyEvents and, with `paint`, BM_KeystrokePainted.
void FlipKeystrokes(benchmark::State& state, bool paint) {
  ShownDialog shown;
  QWidget* box = shown.Error() == nullptr ? shown.DoubleInfoBox() : nullptr;
  if (box == nullptr) {
    state.SkipWithError(shown.Error() != nullptr ? shown.Error() : "no information box");
    return;
  }
  box->setFocus(Qt::TabFocusReason);
  // the sign, the exponent's last digit, the fraction's first
  for (const Qt::Key key : {Qt::Key_Right, Qt::Key_End, Qt::Key_Right}) QTest::keyClick(box, key);
  QTest::keyClick(box, Qt::Key_Space);
  if (!shown.Holds(1.0)) {
    state.SkipWithError("Space did not flip the fraction's top bit");
    return;
  }
  std::size_t i = 0;
  for (auto _ : state) {
    QTest::keyClick(box, Qt::Key_Space);
    ++i;
    if (paint) QCoreApplication::processEvents();
  }
  if (!shown.Holds((i & 1) != 0 ? 1.5 : 1.0)) state.SkipWithError("a flip was lost");
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

void BM_FlipBit(benchmark::State& state) {
  FlipKeystrokes(state, false);
}
BENCHMARK(BM_FlipBit)->Unit(benchmark::kMicrosecond);

void BM_FlipBitPainted(benchmark::State& state) {
  FlipKeystrokes(state, true);
}
BENCHMARK(BM_FlipBitPainted)->Unit(benchmark::kMicrosecond);

// Resident memory: each in a process of its own that shows one window and reports its
// VmRSS. The floor reads its snapshot from a file.
std::string g_self;
QString g_snapshotFile;

// VmRSS of this process in kB; 0 when unreadable.
long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

// The child's side: `--resident window` or `--resident floor FILE`.
int ReportResident(int argc, char** argv) {
  QApplication app(argc, argv);
  std::unique_ptr<QDialog> dialog;
  if (argc > 3) {
    QFile file(QString::fromLocal8Bit(argv[3]));
    if (!file.open(QIODevice::ReadOnly)) return 1;
    QDataStream in(&file);
    FloorSnapshot snapshot;
    in >> snapshot;
    dialog = std::make_unique<FloorDialog>(snapshot);
  } else {
    dialog = std::make_unique<BitvaneDlg>();
  }
  dialog->show();
  if (!WaitExposed(*dialog)) return 1;
  QCoreApplication::processEvents();
  std::printf("%ld\n", ResidentKb());
  return 0;
}

void Resident(benchmark::State& state, bool floor) {
  long kb = 0;
  for (auto _ : state) {
    QProcess child;
    QStringList args{QStringLiteral("--resident"),
                     floor ? QStringLiteral("floor") : QStringLiteral("window")};
    if (floor) args << g_snapshotFile;
    child.start(QString::fromStdString(g_self), args);
    if (!child.waitForFinished(30000) || child.exitCode() != 0) {
      state.SkipWithError("the measuring process failed");
      return;
    }
    const long measured = child.readAllStandardOutput().trimmed().toLong();
    kb = kb == 0 ? measured : std::min(kb, measured);
  }
  state.counters["RSS_MiB"] = static_cast<double>(kb) / 1024.0;
}

void BM_ResidentFloor(benchmark::State& state) {
  Resident(state, true);
}
BENCHMARK(BM_ResidentFloor)->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_ResidentMainWindow(benchmark::State& state) {
  Resident(state, false);
}
BENCHMARK(BM_ResidentMainWindow)->Iterations(5)->Unit(benchmark::kMillisecond);

// Fills g_floor from a shown main window.
bool PrepareFloor() {
  BitvaneDlg dialog;
  dialog.show();
  if (!WaitExposed(dialog)) return false;
  auto* input =
      qobject_cast<QLineEdit*>(dialog.Controls().Control(ControlIdsOf(ViewId::Double64).input));
  const QString values[2] = {QStringLiteral("1.25"), QStringLiteral("1.5")};
  for (int i = 0; i < 2; ++i) {
    input->setText(values[i]);
    QCoreApplication::processEvents();
    g_floor.texts[i] = EditableTextsOf(dialog);
  }
  g_floor.snapshot = SnapshotOf(dialog);
  return g_floor.texts[0] != g_floor.texts[1];
}

}  // namespace
}  // namespace bitvane

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc > 2 && std::string(argv[1]) == "--resident") return bitvane::ReportResident(argc, argv);
  bitvane::g_self = argv[0];
  // The benchmark's flags first, then Qt's; whatever is left is unknown.
  benchmark::Initialize(&argc, argv);
  QApplication app(argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!bitvane::PrepareFloor()) return 1;
  QTemporaryFile snapshot;
  if (!snapshot.open()) return 1;
  {
    QDataStream out(&snapshot);
    out << bitvane::g_floor.snapshot;
  }
  snapshot.flush();
  bitvane::g_snapshotFile = snapshot.fileName();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
