// Arbitrary bytes as the settings hive file, as a damaged disk or another program may
// leave it: reading the settings' key never crashes and never changes the file, and a
// write moves a damaged file aside with its bytes intact instead of overwriting it.
// Seed it with real hives (fuzz/corpus/registry_hive_fuzz/).

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/registry.h"
#include "platform/registry_hive.h"

namespace {

namespace fs = std::filesystem;
using namespace bitvane;

std::string Bytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// A folder of this process's own, in memory when the system has one, removed at exit.
std::string g_folder;

const std::string& Folder() {
  if (g_folder.empty()) {
    const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    g_folder = (base / ("bitvane-hive-fuzz-" + std::to_string(::getpid()))).string();
    fs::create_directories(g_folder);
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(g_folder, ignored);
    });
  }
  return g_folder;
}

void ReadSettings() {
  RegHandle key = 0;
  if (RegOpenKey(HKEY_CURRENT_USER, u"Software\\Kelmo\\bitvane\\Settings", KEY_READ, &key) != 0)
    return;
  RegKeyInfo info;
  (void)RegQueryInfoKey(key, &info);
  for (std::uint32_t i = 0; i < 64; ++i) {
    char16_t name[256];
    std::uint32_t length = 256, type = 0;
    if (RegEnumValue(key, i, name, &length, &type) != 0) break;
    std::uint8_t data[512];
    std::uint32_t size = sizeof data;
    (void)RegQueryValue(key, name, &type, data, &size);
  }
  (void)RegCloseKey(key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path folder = Folder();
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) fs::remove(entry);
  const fs::path hive = folder / "registry.sqlite3";
  const std::string original(reinterpret_cast<const char*>(data), size);
  std::ofstream(hive, std::ios::binary).write(original.data(), static_cast<std::streamsize>(size));
  SetRegistryHivePath(hive.string());  // closes what the last input left open

  ReadSettings();
  if (Bytes(hive) != original) std::abort();  // reading changed the file

  const bool damaged = InspectHive(hive.string()) == HiveState::Damaged;
  RegHandle key = 0;
  if (RegCreateKey(HKEY_CURRENT_USER, u"Software\\Kelmo\\bitvane\\Settings", KEY_ALL_ACCESS, &key,
                   nullptr) == 0) {
    const std::uint8_t one[4] = {1, 0, 0, 0};
    (void)RegSetValue(key, u"DarkTheme", REG_DWORD, one, sizeof one);
    (void)RegCloseKey(key);
  }
  if (damaged) {  // the original bytes must still be somewhere in the folder
    bool kept = false;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
      kept = kept || (entry.path().filename().string().starts_with("registry.sqlite3.damaged-") &&
                      Bytes(entry.path()) == original);
    if (!kept && Bytes(hive) != original) std::abort();
  }
  SetRegistryHivePath(std::string());
  return 0;
}
