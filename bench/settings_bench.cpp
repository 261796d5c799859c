// What loading and saving the program's five settings costs: the start-up loads them
// once, the shutdown saves them once. The hive lives in a temporary folder on the same
// kind of disk as the user's configuration; each save is a durable transaction.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/registry.h"
#include "settings/bitvane_settings.h"
#include "settings/reg_key.h"

namespace bitvane {
namespace {

// The five variables and their store, as the start-up binds them.
struct Settings {
  unsigned int low = 0x89ABCDEF, high = 0x01234567;
  NSTRList floats, doubles;
  bool dark = true;
  NPSStore store{u"Set"};

  Settings() {
    floats.Add(u"%.7g");
    floats.Add(u"");
    doubles.Add(u"%.17g");
    doubles.Add(u"%a");
    (void)store.InitFromApp(kSettingsRegistryKey, kShippedAppName);
    (void)AddBitvaneSettings(store, {&low, &high, &floats, &doubles, &dark});
  }
};

// A temporary hive for one benchmark, removed afterwards.
class TempHive {
 public:
  TempHive() {
    std::string name = std::filesystem::temp_directory_path().string() + "/bitvane-bench-XXXXXX";
    if (::mkdtemp(name.data())) m_folder = name;
    SetRegistryHivePath(m_folder + "/bitvane/registry.sqlite3");
  }
  ~TempHive() {
    SetRegistryHivePath(std::string());
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }

 private:
  std::string m_folder;
};

void BM_LoadAllFiveSettings(benchmark::State& state) {
  TempHive hive;
  {
    Settings saved;
    saved.store.SetForceSave(true);
    if (!saved.store.SaveAll()) state.SkipWithError("cannot save");
  }
  for (auto _ : state) {
    Settings settings;
    benchmark::DoNotOptimize(settings.store.LoadAll());
  }
}
BENCHMARK(BM_LoadAllFiveSettings)->Unit(benchmark::kMicrosecond);

void BM_SaveAllFiveSettings(benchmark::State& state) {
  TempHive hive;
  Settings settings;
  for (auto _ : state) {
    ++settings.low;
    settings.store.SetForceSave(true);  // every value written, as after a first run
    if (!settings.store.SaveAll()) state.SkipWithError("cannot save");
  }
}
BENCHMARK(BM_SaveAllFiveSettings)->Unit(benchmark::kMicrosecond);

// A save with nothing changed touches nothing.
void BM_SaveAllUnchanged(benchmark::State& state) {
  TempHive hive;
  Settings settings;
  for (auto _ : state) benchmark::DoNotOptimize(settings.store.SaveAll());
}
BENCHMARK(BM_SaveAllUnchanged);

// Opens a key holding state.range(0) DWORD values, stored in one batch; false (the
// benchmark skipped) when it cannot be made.
bool FillKey(benchmark::State& state, NRegKey& key) {
  const auto count = static_cast<std::uint32_t>(state.range(0));
  if (!key.Open(u"HKCU\\Software\\Bench\\Many", KEY_ALL_ACCESS) || RegBeginBatch() != 0) {
    state.SkipWithError("cannot create the key");
    return false;
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    std::u16string name = u"Value";
    for (const char digit : std::to_string(i)) name += static_cast<char16_t>(digit);
    (void)RegSetValue(key.Handle(), name.c_str(), REG_DWORD,
                      reinterpret_cast<const std::uint8_t*>(&i), sizeof i);
  }
  if (RegEndBatch(true) == 0) return true;
  state.SkipWithError("cannot store the values");
  return false;
}

// Listing every value name of a key: linear in the number of values, whatever a store
// holds.
void BM_ListValueNames(benchmark::State& state) {
  TempHive hive;
  NRegKey key;
  if (!FillKey(state, key)) return;
  const auto count = static_cast<std::uint32_t>(state.range(0));
  NSTRList names;
  for (auto _ : state) {
    if (!key.ListValueNames(names) || names.Count() != count) state.SkipWithError("listing failed");
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ListValueNames)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Listing every value with its type and bytes, as `bitvane-cli settings` does.
void BM_ListValues(benchmark::State& state) {
  TempHive hive;
  NRegKey key;
  if (!FillKey(state, key)) return;
  const auto count = static_cast<std::uint32_t>(state.range(0));
  for (auto _ : state) {
    std::uint32_t seen = 0;
    const bool listed = key.ListValues([&](const std::u16string&, const NRegKey::Value& value) {
      seen += value.Size() == 4 ? 1 : 0;
    });
    if (!listed || seen != count) state.SkipWithError("listing failed");
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ListValues)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace bitvane
