// The program's whole start against the main window alone and against the floor (the
// same widgets built directly in Qt code, bench/floor_dialog.h), each from constructing
// the application object to the window's first paint, offscreen: the whole start adds the
// version read and the integrity check of this (stamped) executable, begun before the
// application object as the program begins them, the settings load from a store holding
// every setting, and the icon pool's binding.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>
#include <optional>
#include <string>

#include "about/version_info.h"
#include "app/bitvane_app.h"
#include "app/own_integrity.h"
#include "bench/floor_dialog.h"
#include "bench/wait_exposed.h"
#include "platform/registry.h"
#include "settings/bitvane_settings.h"
#include "settings/ps_store.h"
#include "ui/bitvane_dlg.h"
#include "ui/icon_pool.h"

namespace bitvane {
namespace {

constexpr char16_t kAppName[] = u"app_start_bench";
int g_argc = 1;
char g_name[] = "app_start_bench";
char* g_argv[] = {g_name, nullptr};

using bench::WaitExposed;

template <bool kWholeStart>
void BM_Start(benchmark::State& state) {
  for (auto _ : state) {
    std::optional<BitvaneApp> bitvane;
    if (kWholeStart) bitvane.emplace();
    QApplication app(g_argc, g_argv);
    BitvaneDlg dialog;
    BitvaneApp::MakeApplicationWindow(dialog);
    if (kWholeStart && bitvane->AwaitChecks() != IntegrityResult::Intact) {
      state.SkipWithError("this executable is not stamped");
      break;
    }
    NPSStore store{std::u16string(kSettingsStoreName)};
    if (kWholeStart) {
      BitvaneApp::BindAndLoadSettings(store, dialog, kAppName);
      NIconPool::Rebind(ProgramResourceModule());
    }
    dialog.show();
    if (!WaitExposed(dialog)) {
      state.SkipWithError("the window was never exposed");
      break;
    }
  }
}
BENCHMARK(BM_Start<false>)->Name("BM_StartMainWindowAlone")->Unit(benchmark::kMillisecond);

bench::FloorSnapshot g_floor;

void BM_StartFloor(benchmark::State& state) {
  for (auto _ : state) {
    QApplication app(g_argc, g_argv);
    bench::FloorDialog floor(g_floor);
    floor.show();
    if (!WaitExposed(floor)) {
      state.SkipWithError("the floor was never exposed");
      break;
    }
  }
}
BENCHMARK(BM_StartFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Start<true>)->Name("BM_StartWhole")->Unit(benchmark::kMillisecond);

// The start-up steps one by one, to see where the difference goes.
void BM_StepVersionRead(benchmark::State& state) {
  for (auto _ : state) {
    NVersionInfo version;
    benchmark::DoNotOptimize(version.LoadSelf());
  }
}
BENCHMARK(BM_StepVersionRead)->Unit(benchmark::kMicrosecond);

void BM_StepIntegrityCheck(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(CheckOwnExecutable());
}
BENCHMARK(BM_StepIntegrityCheck)->Unit(benchmark::kMicrosecond);

void BM_StepSettingsLoad(benchmark::State& state) {
  QApplication app(g_argc, g_argv);
  BitvaneDlg dialog;
  for (auto _ : state) {
    NPSStore store{std::u16string(kSettingsStoreName)};
    BitvaneApp::BindAndLoadSettings(store, dialog, kAppName);
  }
}
BENCHMARK(BM_StepSettingsLoad)->Unit(benchmark::kMicrosecond);

// A store in the scratch folder `folder` holding all five settings at their defaults, so
// that both starts show the same window.
bool PrepareStore(const std::string& folder) {
  SetRegistryHivePath(folder + "/registry.sqlite3");
  QApplication app(g_argc, g_argv);
  BitvaneDlg dialog;
  NPSStore store{std::u16string(kSettingsStoreName)};
  store.SetForceSave(true);
  BitvaneApp::BindAndLoadSettings(store, dialog, kAppName);
  if (!store.SaveAll()) return false;
  dialog.show();  // the floor copies the window as it shows
  if (!WaitExposed(dialog)) return false;
  g_floor = bench::SnapshotOf(dialog);
  return true;
}

}  // namespace
}  // namespace bitvane

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  char folder[] = "/tmp/bitvane-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  const bool prepared = bitvane::PrepareStore(folder);
  if (prepared) benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(folder);
  return prepared ? 0 : 1;
}
