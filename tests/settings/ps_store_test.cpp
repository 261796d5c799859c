#include "settings/ps_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/crc32.h"
#include "platform/registry.h"
#include "settings/bitvane_settings.h"
#include "settings/ps_str_list_entry.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace bitvane {
namespace {

constexpr char16_t kKeyPath[] = u"Software\\Kelmo\\Bitvane\\Settings";

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (const int v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}

std::string Utf16Bytes(std::u16string_view text) {
  std::string bytes;
  for (const char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

std::string FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

// The program's five settings over a temporary hive, as the start-up binds them.
class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.Made());
    SetRegistryHivePath(Hive());
  }
  void TearDown() override { SetRegistryHivePath(std::string()); }

  std::string Hive() const { return m_dir.Join("config/bitvane/registry.sqlite3"); }

  struct Run {
    unsigned int low = 0, high = 0;
    NSTRList floats, doubles;
    bool dark = false;
    NPSStore store{u"Set"};

    explicit Run(bool darkDefault = false) : dark(darkDefault) {
      EXPECT_TRUE(store.InitFromApp(kSettingsRegistryKey, kShippedAppName));
      EXPECT_TRUE(AddBitvaneSettings(store, {&low, &high, &floats, &doubles, &dark}));
    }
    std::uint32_t LoadedCount() {
      std::uint32_t count = 0;
      for (auto name :
           {kValueLowName, kValueHighName, kFloatFormatsName, kDoubleFormatsName, kDarkThemeName}) {
        count += store.FindEntry(name)->Loaded() ? 1 : 0;
      }
      return count;
    }
  };

  // Stores a raw value under the settings key.
  static void Put(std::u16string_view name, std::uint32_t type, const std::string& bytes) {
    RegHandle key = 0;
    ASSERT_EQ(RegCreateKey(HKEY_CURRENT_USER, kKeyPath, KEY_READ | KEY_WRITE, &key, nullptr), 0u);
    ASSERT_EQ(RegSetValue(key, std::u16string(name).c_str(), type,
                          reinterpret_cast<const std::uint8_t*>(bytes.data()),
                          static_cast<std::uint32_t>(bytes.size())),
              0u);
    ASSERT_EQ(RegCloseKey(key), 0u);
  }

  // The stored type and bytes of a value; type REG_NONE with no bytes when missing.
  static std::pair<std::uint32_t, std::string> Get(std::u16string_view name) {
    RegHandle key = 0;
    if (RegOpenKey(HKEY_CURRENT_USER, kKeyPath, KEY_READ, &key) != 0) return {REG_NONE, {}};
    std::uint32_t type = REG_NONE, size = 4096;
    std::string bytes(size, '\0');
    const std::u16string valueName(name);
    if (RegQueryValue(key, valueName.c_str(), &type, reinterpret_cast<std::uint8_t*>(bytes.data()),
                      &size) != 0) {
      type = REG_NONE, size = 0;
    }
    (void)RegCloseKey(key);
    bytes.resize(size);
    return {type, bytes};
  }

  test::TempDir m_dir;
};

TEST_F(SettingsStore, FirstRunWithoutChangesWritesNothing) {
  Run run(true);
  EXPECT_TRUE(run.store.LoadAll());
  EXPECT_EQ(run.LoadedCount(), 0u);
  EXPECT_EQ(run.low, 0u);
  EXPECT_TRUE(run.dark);  // the default stays
  EXPECT_TRUE(run.store.SaveAll());
  EXPECT_FALSE(Exists(m_dir.Join("config")));  // no folder, no file
}

TEST_F(SettingsStore, OneChangeOnFirstRunWritesAllFiveInTheirLayouts) {
  {
    Run run;
    ASSERT_TRUE(run.store.LoadAll());
    run.low = 0x12345678;
    ASSERT_TRUE(run.store.SaveAll());
    EXPECT_EQ(run.LoadedCount(), 5u);
  }
  EXPECT_EQ(Get(kValueLowName), std::make_pair(REG_DWORD, Bytes({0x78, 0x56, 0x34, 0x12})));
  EXPECT_EQ(Get(kValueHighName), std::make_pair(REG_DWORD, Bytes({0, 0, 0, 0})));
  EXPECT_EQ(Get(kFloatFormatsName), std::make_pair(REG_MULTI_SZ, Bytes({0, 0})));
  EXPECT_EQ(Get(kDoubleFormatsName), std::make_pair(REG_MULTI_SZ, Bytes({0, 0})));
  EXPECT_EQ(Get(kDarkThemeName), std::make_pair(REG_DWORD, Bytes({0, 0, 0, 0})));
  // Enumeration shows them in the order they were added.
  RegHandle key = 0;
  ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, kKeyPath, KEY_READ, &key), 0u);
  std::vector<std::u16string> names;
  for (std::uint32_t i = 0;; ++i) {
    char16_t name[64];
    std::uint32_t length = 64;
    if (RegEnumValue(key, i, name, &length, nullptr) != 0) break;
    names.emplace_back(name, length);
  }
  (void)RegCloseKey(key);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"ValueLow", u"ValueHigh", u"FloatFormats",
                                                u"DoubleFormats", u"DarkTheme"}));
  // The next run gets it back.
  Run next;
  ASSERT_TRUE(next.store.LoadAll());
  EXPECT_EQ(next.LoadedCount(), 5u);
  EXPECT_EQ(next.low, 0x12345678u);
}

TEST_F(SettingsStore, NumbersAndFlagsAcceptOnlyFourByteDwords) {
  const struct {
    std::u16string_view name;
    std::uint32_t type;
    std::string bytes;
    bool loaded;
    unsigned int number;  // low or high
    bool dark;
  } rows[] = {
      {kValueLowName, REG_DWORD_BIG_ENDIAN, Bytes({0, 0, 1, 0}), true, 256, false},
      {kValueLowName, REG_DWORD, Bytes({0, 0, 1, 0}), true, 65536, false},
      {kValueHighName, REG_QWORD, Bytes({1, 0, 0, 0, 0, 0, 0, 0}), false, 7, false},
      {kValueHighName, REG_SZ, Utf16Bytes(u"12"), false, 7, false},  // 4 bytes, wrong type
      {kValueHighName, REG_DWORD, Bytes({1, 2, 3}), false, 7, false},
      {kValueHighName, REG_BINARY, Bytes({1, 0, 0, 0}), false, 7, false},
      {kDarkThemeName, REG_DWORD, Bytes({7, 0, 0, 0}), true, 7, true},
      {kDarkThemeName, REG_DWORD_BIG_ENDIAN, Bytes({0, 0, 0, 0}), true, 7, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.name.begin(), row.name.end()) + " type " +
                 std::to_string(row.type));
    RegHandle root = HKEY_CURRENT_USER;
    (void)RegDeleteTree(root, u"Software");
    Put(row.name, row.type, row.bytes);
    Run run;
    run.low = run.high = 7;
    ASSERT_TRUE(run.store.LoadAll());
    EXPECT_EQ(run.store.FindEntry(row.name)->Loaded(), row.loaded);
    EXPECT_EQ(row.name == kValueLowName ? run.low : run.high, row.number);
    EXPECT_EQ(run.dark, row.dark);
  }
}

TEST_F(SettingsStore, AStoredSevenStaysUntilTheFlagChanges) {
  Put(kDarkThemeName, REG_DWORD, Bytes({7, 0, 0, 0}));
  {
    Run run;
    ASSERT_TRUE(run.store.LoadAll());
    ASSERT_TRUE(run.dark);
    run.low = 1;  // something else changes: the flag is loaded and unchanged, so kept
    ASSERT_TRUE(run.store.SaveAll());
  }
  EXPECT_EQ(Get(kDarkThemeName).second, Bytes({7, 0, 0, 0}));
  Run run;
  ASSERT_TRUE(run.store.LoadAll());
  run.dark = false;
  ASSERT_TRUE(run.store.SaveAll());
  EXPECT_EQ(Get(kDarkThemeName).second, Bytes({0, 0, 0, 0}));
}

TEST_F(SettingsStore, StringListsRoundTripWithTheEmptyStringMarker) {
  const std::u16string marker(NPSSTRListEntry::kEmptyMarker);
  const struct {
    std::vector<std::u16string> list;
    std::string stored;
  } rows[] = {
      {{}, Bytes({0, 0})},
      {{u""}, Utf16Bytes(marker + u'\0' + u'\0')},
      {{u"", u"%.3e"}, Utf16Bytes(marker + u'\0' + u"%.3e" + u'\0' + u'\0')},
      {{u"a", u"", u"\u00E9\u20AC"},
       Utf16Bytes(std::u16string(u"a") + u'\0' + marker + u'\0' + u"\u00E9\u20AC" + u'\0' + u'\0')},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.stored.size());
    {
      Run run;
      for (const auto& text : row.list) run.floats.Add(text);
      run.store.SetForceSave(true);
      ASSERT_TRUE(run.store.SaveAll());
      EXPECT_FALSE(run.store.ForceSave());
    }
    EXPECT_EQ(Get(kFloatFormatsName), std::make_pair(REG_MULTI_SZ, row.stored));
    Run run;
    run.floats.Add(u"old");
    ASSERT_TRUE(run.store.LoadAll());
    EXPECT_EQ(std::vector<std::u16string>(run.floats.begin(), run.floats.end()), row.list);
    EXPECT_FALSE(run.store.FindEntry(kFloatFormatsName)->IsModified());
  }
}

TEST_F(SettingsStore, StringListsRefuseOtherTypesWithInvalidDatatype) {
  Put(kFloatFormatsName, REG_SZ, Utf16Bytes(std::u16string(u"%g") + u'\0'));
  // Stored without any terminator: the last string still counts.
  Put(kDoubleFormatsName, REG_MULTI_SZ, Utf16Bytes(std::u16string_view(u"x\0y", 3)));
  Run run;
  run.floats.Add(u"kept");
  SetLastError(0);
  ASSERT_TRUE(run.store.LoadAll());
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATATYPE);
  EXPECT_FALSE(run.store.FindEntry(kFloatFormatsName)->Loaded());
  EXPECT_EQ(run.floats.Count(), 1u);
  EXPECT_EQ(run.floats.Head()->value, u"kept");
  EXPECT_EQ(std::vector<std::u16string>(run.doubles.begin(), run.doubles.end()),
            (std::vector<std::u16string>{u"x", u"y"}));
}

TEST_F(SettingsStore, FingerprintsAndTexts) {
  unsigned int number = 0x01020304;
  bool flag = true;
  NSTRList list;
  list.Add(u"ab");
  list.Add(u"");
  NPSLock lock;  // adding looks entries up under the same lock
  NPSStore store(u"Set", &lock);
  ASSERT_TRUE(store.InitFromApp(u"Kelmo\\", u"Bitvane"));
  EXPECT_EQ(store.KeyPath(), u"HKCU\\Software\\Kelmo\\Bitvane\\Settings");
  ASSERT_TRUE(store.AddUInt(u"N", &number));
  ASSERT_TRUE(store.AddBool(u"F", &flag));
  ASSERT_TRUE(store.AddStringList(u"L", &list));
  EXPECT_FALSE(store.AddBool(u"N", &flag));  // names are unique, exactly as written
  EXPECT_TRUE(store.AddBool(u"n", &flag));

  const std::uint8_t numberBytes[] = {4, 3, 2, 1};
  const std::uint8_t flagByte = 1;
  const std::uint8_t listBytes[] = {2, 0, 0, 0, 2, 0, 0, 0, 'a', 0, 'b', 0, 0, 0, 0, 0};
  EXPECT_EQ(store.FindEntry(u"N")->Fingerprint(), Crc32(numberBytes, 4));
  EXPECT_EQ(store.FindEntry(u"F")->Fingerprint(), Crc32(&flagByte, 1));
  EXPECT_EQ(store.FindEntry(u"L")->Fingerprint(), Crc32(listBytes, sizeof listBytes));
  EXPECT_EQ(store.FindEntry(u"N")->ToString(), u"16909060");
  EXPECT_EQ(store.FindEntry(u"F")->ToString(), u"TRUE");
  EXPECT_EQ(store.FindEntry(u"L")->ToString(), u"List of 2 strings");

  NPSEntry* entry = store.FindEntry(u"N");
  EXPECT_FALSE(entry->IsModified());
  entry->SetModified(true);
  EXPECT_TRUE(entry->IsModified());
  entry->SetModified(false);
  number = 5;
  EXPECT_TRUE(entry->IsModified());
  // Lists that differ only in where one string ends and the next begins.
  const std::vector<std::u16string> pairs[][2] = {
      {{u"ab", u"c"}, {u"a", u"bc"}}, {{u"", u"x"}, {u"x", u""}}, {{u"ab", u""}, {u""}}};
  for (const auto& pair : pairs) {
    list.RemoveAll();
    for (const auto& text : pair[0]) list.Add(text);
    store.FindEntry(u"L")->SetModified(false);
    list.RemoveAll();
    for (const auto& text : pair[1]) list.Add(text);
    EXPECT_TRUE(store.FindEntry(u"L")->IsModified()) << ::testing::PrintToString(pair[1]);
  }
}

TEST_F(SettingsStore, AnEmptyKeyPathMakesTheStoreInert) {
  for (const auto& [registryKey, appName] :
       {std::pair<std::u16string_view, std::u16string_view>{u"", u"Bitvane"}, {u"Kelmo", u""}}) {
    unsigned int number = 1;
    NPSStore store(u"Set");
    EXPECT_FALSE(store.InitFromApp(registryKey, appName));
    EXPECT_TRUE(store.KeyPath().empty());
    ASSERT_TRUE(store.AddUInt(u"N", &number));
    EXPECT_EQ(store.FindEntry(u"N"), nullptr);
    EXPECT_FALSE(store.LoadAll());
    store.SetForceSave(true);
    EXPECT_FALSE(store.SaveAll());
  }
  EXPECT_FALSE(Exists(Hive()));
}

TEST_F(SettingsStore, PurgeRemovesOnlyValuesOfNoEntry) {
  Put(u"Stale", REG_SZ, Utf16Bytes(u"x"));
  Put(u"valuelow", REG_DWORD, Bytes({9, 0, 0, 0}));  // another spelling of an entry's name
  Run run;
  ASSERT_TRUE(run.store.LoadAll());
  EXPECT_EQ(run.low, 9u);
  run.store.SetPurgeUnknown(true);
  run.high = 1;
  ASSERT_TRUE(run.store.SaveAll());
  EXPECT_EQ(Get(u"Stale").first, REG_NONE);
  EXPECT_EQ(Get(kValueLowName).second, Bytes({9, 0, 0, 0}));
}

TEST_F(SettingsStore, SaveOnDestroy) {
  {
    Run run;
    run.store.SetSaveOnDestroy(true);
    run.high = 3;
  }
  EXPECT_EQ(Get(kValueHighName).second, Bytes({3, 0, 0, 0}));
}

TEST_F(SettingsStore, ADamagedHiveLoadsDefaultsAndIsMovedAsideByTheNextSave) {
  const std::string garbage(5000, '\x5A');
  ::mkdir(m_dir.Join("config").c_str(), 0700);
  ::mkdir(m_dir.Join("config/bitvane").c_str(), 0700);
  std::ofstream(Hive(), std::ios::binary) << garbage;
  {
    Run run;
    run.low = 4;
    EXPECT_TRUE(run.store.LoadAll());
    EXPECT_EQ(run.low, 4u);
    EXPECT_EQ(FileBytes(Hive()), garbage);
    run.low = 5;
    ASSERT_TRUE(run.store.SaveAll());
  }
  EXPECT_EQ(Get(kValueLowName).second, Bytes({5, 0, 0, 0}));
  int movedAside = 0;
  for (const auto& entry : std::filesystem::directory_iterator(m_dir.Join("config/bitvane"))) {
    if (entry.path().filename().string().rfind("registry.sqlite3.damaged-", 0) == 0) {
      ++movedAside;
      EXPECT_EQ(FileBytes(entry.path()), garbage);
    }
  }
  EXPECT_EQ(movedAside, 1);
}

TEST_F(SettingsStore, AFailedSaveKeepsTheValuesAndTriesAgainLater) {
  {
    Run run;
    run.low = 1;
    ASSERT_TRUE(run.store.SaveAll());
  }
  const std::string folder = m_dir.Join("config/bitvane");
  const std::string hive = Hive();
  EXPECT_TRUE(test::RunUnprivileged(
      [&] {
        SetRegistryHivePath(hive);  // fresh state in this process
        if (::chmod(folder.c_str(), 0500) != 0) return false;
        Run run;
        if (!run.store.LoadAll() || run.low != 1) return false;
        run.low = 2;
        const bool refused = !run.store.SaveAll() && run.low == 2 &&
                             run.store.FindEntry(kValueLowName)->IsModified() &&
                             Get(kValueLowName).second == Bytes({1, 0, 0, 0});
        // Writable again: the same store saves what it could not before.
        return refused && ::chmod(folder.c_str(), 0700) == 0 && run.store.SaveAll() &&
               Get(kValueLowName).second == Bytes({2, 0, 0, 0});
      },
      {m_dir.Path()}));
  EXPECT_EQ(Get(kValueLowName).second, Bytes({2, 0, 0, 0}));
}

// A store that is there but cannot be read at start must not lose what it holds: the
// save writes only what the program changed.
TEST_F(SettingsStore, AnUnreadableStoreIsNotOverwrittenWithDefaults) {
  {
    Run run;
    run.low = 7;
    run.dark = true;
    ASSERT_TRUE(run.store.SaveAll());
  }
  const std::string hive = Hive();
  EXPECT_TRUE(test::RunUnprivileged(
      [&] {
        SetRegistryHivePath(hive);
        Run run;
        const bool refused = ::chmod(hive.c_str(), 0) == 0 && !run.store.LoadAll() &&
                             run.store.LastError() == static_cast<int>(ERROR_ACCESS_DENIED) &&
                             run.low == 0;
        run.high = 9;
        return refused && ::chmod(hive.c_str(), 0600) == 0 && run.store.SaveAll();
      },
      {m_dir.Path()}));
  EXPECT_EQ(Get(kValueLowName).second, Bytes({7, 0, 0, 0}));
  EXPECT_EQ(Get(kValueHighName).second, Bytes({9, 0, 0, 0}));
  EXPECT_EQ(Get(kDarkThemeName).second, Bytes({1, 0, 0, 0}));
}

}  // namespace
}  // namespace bitvane
