#include "settings/ps_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/registry_names.h"
#include "settings/bitvane_settings.h"
#include "settings/ps_str_list_entry.h"
#include "settings/reg_key.h"
#include "tests/support/registry_helpers.h"
#include "tests/support/unprivileged.h"

namespace bitvane {
namespace {

using namespace std::string_literals;
using Stored = std::pair<std::uint32_t, std::string>;

constexpr char16_t kKeyPath[] = u"HKCU\\Software\\Kelmo\\Bitvane\\Settings";
constexpr const char16_t* kSubPath = kKeyPath + 5;  // below HKCU

std::string FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::vector<std::u16string> Items(const NSTRList& list) {
  return {list.begin(), list.end()};
}

// The program's five settings over a temporary hive, as the start-up binds them.
class SettingsStore : public test::TempHiveTest {
 protected:
  SettingsStore() : TempHiveTest("config/bitvane/registry.sqlite3") {}

  struct Run {
    unsigned int low = 0, high = 0;
    NSTRList floats, doubles;
    bool dark = false;
    NPSStore store{u"Set"};

    explicit Run(bool darkDefault = false) : dark(darkDefault) {
      EXPECT_TRUE(store.InitFromApp(kSettingsRegistryKey, kShippedAppName));
      EXPECT_TRUE(AddBitvaneSettings(store, {&low, &high, &floats, &doubles, &dark}));
    }
    bool Loaded(std::u16string_view name) { return store.FindEntry(name)->Loaded(); }
  };

  static void Put(std::u16string_view name, std::uint32_t type, const std::string& bytes) {
    ASSERT_EQ(
        test::StoreValue(HKEY_CURRENT_USER, kSubPath, std::u16string(name).c_str(), type, bytes),
        0u);
  }
  // The stored type and bytes of a value; REG_NONE with no bytes when missing.
  static Stored Get(std::u16string_view name) {
    NRegKey key;
    NRegKey::Value value;
    if (!key.Open(kKeyPath, KEY_READ) || !key.QueryValue(value, name)) return {REG_NONE, {}};
    return {value.Type(), std::string(reinterpret_cast<const char*>(value.Data()), value.Size())};
  }
};

TEST_F(SettingsStore, NothingIsWrittenUntilSomethingChangesThenAllFiveInTheirLayouts) {
  {
    Run run(true);
    EXPECT_TRUE(run.store.LoadAll());
    EXPECT_FALSE(run.Loaded(kDarkThemeName));
    EXPECT_TRUE(run.dark);  // the default stays
    EXPECT_TRUE(run.store.SaveAll());
    EXPECT_FALSE(std::filesystem::exists(m_dir.Join("config")));  // no folder, no file
    run.low = 0x12345678;
    ASSERT_TRUE(run.store.SaveAll());
    EXPECT_TRUE(run.Loaded(kDarkThemeName));
  }
  EXPECT_EQ(Get(kValueLowName), Stored(REG_DWORD, "\x78\x56\x34\x12"s));
  EXPECT_EQ(Get(kValueHighName), Stored(REG_DWORD, "\0\0\0\0"s));
  EXPECT_EQ(Get(kFloatFormatsName), Stored(REG_MULTI_SZ, "\0\0"s));
  EXPECT_EQ(Get(kDoubleFormatsName), Stored(REG_MULTI_SZ, "\0\0"s));
  EXPECT_EQ(Get(kDarkThemeName), Stored(REG_DWORD, "\1\0\0\0"s));
  // Enumeration shows them in the order they were added.
  NRegKey key;
  NSTRList names;
  ASSERT_TRUE(key.Open(kKeyPath, KEY_READ) && key.ListValueNames(names));
  EXPECT_EQ(Items(names), (std::vector<std::u16string>{u"ValueLow", u"ValueHigh", u"FloatFormats",
                                                       u"DoubleFormats", u"DarkTheme"}));
  Run next;
  ASSERT_TRUE(next.store.LoadAll());
  EXPECT_TRUE(next.Loaded(kDoubleFormatsName));
  EXPECT_EQ(next.low, 0x12345678u);
}

TEST_F(SettingsStore, EachEntryAcceptsOnlyItsOwnTypeAndLayout) {
  const struct {
    std::uint32_t type;
    std::string bytes;
    bool loaded;
    unsigned int number;  // the flag is true for any but 0
  } rows[] = {
      {REG_DWORD_BIG_ENDIAN, "\0\0\1\0"s, true, 256}, {REG_DWORD, "\0\0\1\0"s, true, 65536},
      {REG_DWORD_BIG_ENDIAN, "\0\0\0\0"s, true, 0},   {REG_DWORD, "\7\0\0\0"s, true, 7},
      {REG_QWORD, "\0\0\0\0\0\0\0\0"s, false, 99},    {REG_DWORD, "\1\2\3"s, false, 99},
      {REG_SZ, Utf16LeBytes(u"12"), false, 99},  // 4 bytes, wrong type
  };
  constexpr std::size_t kRows = std::size(rows);
  unsigned int numbers[kRows];
  bool flags[kRows];
  NPSStore store(u"Set");
  ASSERT_TRUE(store.InitFromApp(kSettingsRegistryKey, kShippedAppName));
  for (std::size_t i = 0; i < kRows; ++i) {
    numbers[i] = 99, flags[i] = true;
    const std::u16string index(1, char16_t(u'0' + i));
    ASSERT_TRUE(store.AddUInt(u"N" + index, &numbers[i]) && store.AddBool(u"F" + index, &flags[i]));
    Put(u"N" + index, rows[i].type, rows[i].bytes);
    Put(u"F" + index, rows[i].type, rows[i].bytes);
  }
  // A list refuses any other type; one stored without a terminator still has its last string.
  NSTRList refused{u"kept"}, unended;
  ASSERT_TRUE(store.AddStringList(u"L0", &refused) && store.AddStringList(u"L1", &unended));
  Put(u"L0", REG_SZ, Utf16LeBytes(u"%g"s + u'\0'));
  Put(u"L1", REG_MULTI_SZ, Utf16LeBytes(u"x\0y"s));
  SetLastError(0);
  ASSERT_TRUE(store.LoadAll());
  EXPECT_EQ(GetLastError(), ERROR_INVALID_DATATYPE);
  EXPECT_FALSE(store.FindEntry(u"L0")->Loaded());
  EXPECT_EQ(Items(refused), std::vector<std::u16string>{u"kept"});
  EXPECT_EQ(Items(unended), (std::vector<std::u16string>{u"x", u"y"}));
  for (std::size_t i = 0; i < kRows; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(store.FindEntry(u"N" + std::u16string(1, char16_t(u'0' + i)))->Loaded(),
              rows[i].loaded);
    EXPECT_EQ(numbers[i], rows[i].number);
    EXPECT_EQ(flags[i], rows[i].number != 0);
  }
}

TEST_F(SettingsStore, ALoadedValueIsRewrittenOnlyWhenItChangedAndPurgeKeepsIt) {
  Put(u"darktheme", REG_DWORD, "\7\0\0\0"s);  // another spelling of an entry's name
  Put(u"Stale", REG_SZ, Utf16LeBytes(u"x"));
  {
    Run run;
    ASSERT_TRUE(run.store.LoadAll());
    ASSERT_TRUE(run.dark);
    run.store.SetPurgeUnknown(true);
    run.low = 1;  // something else changes: the flag is loaded and unchanged, so kept
    ASSERT_TRUE(run.store.SaveAll());
  }
  EXPECT_EQ(Get(kDarkThemeName).second, "\7\0\0\0"s);
  EXPECT_EQ(Get(u"Stale").first, REG_NONE);
  {
    Run run;
    run.store.SetSaveOnDestroy(true);
    ASSERT_TRUE(run.store.LoadAll());
    run.dark = false;
  }
  EXPECT_EQ(Get(kDarkThemeName).second, "\0\0\0\0"s);
}

TEST_F(SettingsStore, StringListsRoundTripWithTheEmptyStringMarker) {
  const std::u16string m(NPSSTRListEntry::kEmptyMarker);
  const struct {
    std::vector<std::u16string> list;
    std::u16string stored;  // without the final NUL
  } rows[] = {
      {{}, u""},
      {{u""}, m + u'\0'},
      {{u"a", u"", u"\u00E9\u20AC"}, u"a" + (u'\0' + m) + u'\0' + u"\u00E9\u20AC" + u'\0'},
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
    EXPECT_EQ(Get(kFloatFormatsName), Stored(REG_MULTI_SZ, Utf16LeBytes(row.stored + u'\0')));
    Run run;
    run.floats.Add(u"old");
    ASSERT_TRUE(run.store.LoadAll());
    EXPECT_EQ(Items(run.floats), row.list);
    EXPECT_FALSE(run.store.FindEntry(kFloatFormatsName)->IsModified());
  }
}

TEST_F(SettingsStore, EntriesTellTheirChangesAndTexts) {
  unsigned int number = 16909060;
  bool flag = true;
  NSTRList list;
  NPSLock lock;  // adding looks entries up under the same lock
  NPSStore store(u"Set", &lock);
  ASSERT_TRUE(store.InitFromApp(u"Kelmo\\", u"Bitvane"));
  EXPECT_EQ(store.KeyPath(), kKeyPath);
  ASSERT_TRUE(store.AddUInt(u"N", &number) && store.AddBool(u"F", &flag));
  ASSERT_TRUE(store.AddStringList(u"L", &list));
  EXPECT_FALSE(store.AddBool(u"N", &flag));  // names are unique, exactly as written
  EXPECT_TRUE(store.AddBool(u"n", &flag));
  EXPECT_EQ(store.FindEntry(u"N")->ToString() + store.FindEntry(u"F")->ToString() +
                store.FindEntry(u"L")->ToString(),
            u"16909060TRUEList of 0 strings");

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
    for (int i = 0; i < 2; ++i) {
      list.RemoveAll();
      for (const auto& text : pair[i]) list.Add(text);
      if (i == 0) store.FindEntry(u"L")->SetModified(false);
    }
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
    EXPECT_FALSE(store.DeleteStored());
  }
  EXPECT_FALSE(std::filesystem::exists(m_hive));
}

TEST_F(SettingsStore, DeleteStoredTakesTheWholeKeyAndCreatesNothing) {
  EXPECT_EQ(BitvaneSettingsKeyPath(), kKeyPath);
  Run run;
  EXPECT_FALSE(run.store.DeleteStored());  // no file
  EXPECT_EQ(run.store.LastError(), 2);
  EXPECT_FALSE(std::filesystem::exists(m_dir.Join("config")));
  ASSERT_EQ(test::StoreValue(HKEY_CURRENT_USER, u"Software\\Kelmo\\Bitvane\\Settings\\Deep", u"v",
                             REG_BINARY, "x"),
            0u);
  EXPECT_TRUE(run.store.DeleteStored());
  EXPECT_FALSE(run.store.DeleteStored());  // only the parent is left
  EXPECT_EQ(run.store.LastError(), 2);
  NRegKey key;
  EXPECT_FALSE(key.Open(kKeyPath, KEY_READ));
  EXPECT_TRUE(key.Open(u"HKCU\\Software\\Kelmo\\Bitvane", KEY_READ));
}

// A damaged file is never lost: it reads as empty, is left as it is by loading,
// and the next save moves it aside.
TEST_F(SettingsStore, ADamagedHiveLoadsDefaultsAndIsMovedAsideByTheNextSave) {
  const std::string garbage(5000, '\x5A');
  std::filesystem::create_directories(m_dir.Join("config/bitvane"));
  std::ofstream(m_hive, std::ios::binary) << garbage;
  const SettingsFileState state = InspectSettingsFile();
  EXPECT_EQ(state.path, m_hive);
  EXPECT_TRUE(state.damaged);
  EXPECT_EQ(state.blockingFile, "");
  {
    Run run;
    run.low = 4;
    EXPECT_TRUE(run.store.LoadAll());
    EXPECT_EQ(run.low, 4u);
    EXPECT_EQ(FileBytes(m_hive), garbage);
    run.low = 5;
    ASSERT_TRUE(run.store.SaveAll());
  }
  EXPECT_EQ(Get(kValueLowName).second, "\5\0\0\0"s);
  EXPECT_FALSE(InspectSettingsFile().damaged);
  int movedAside = 0;
  for (const auto& entry : std::filesystem::directory_iterator(m_dir.Join("config/bitvane"))) {
    if (entry.path().filename().string().starts_with("registry.sqlite3.damaged-")) {
      ++movedAside;
      EXPECT_EQ(FileBytes(entry.path()), garbage);
    }
  }
  EXPECT_EQ(movedAside, 1);
  // A file where a folder of the path belongs is named.
  std::filesystem::remove_all(m_dir.Join("config"));
  std::ofstream(m_dir.Join("config")) << "in the way";
  EXPECT_EQ(InspectSettingsFile().blockingFile, m_dir.Join("config"));
  EXPECT_EQ(FileBytes(m_dir.Join("config")), "in the way");
}

TEST_F(SettingsStore, AFailedSaveKeepsTheValuesAndTriesAgainLater) {
  {
    Run run;
    run.low = 1;
    ASSERT_TRUE(run.store.SaveAll());
  }
  const std::string folder = m_dir.Join("config/bitvane");
  EXPECT_TRUE(test::RunUnprivileged(
      [&] {
        SetRegistryHivePath(m_hive);  // fresh state in this process
        if (::chmod(folder.c_str(), 0500) != 0) return false;
        Run run;
        if (!run.store.LoadAll() || run.low != 1) return false;
        run.low = 2;
        const bool refused = !run.store.SaveAll() && run.low == 2 &&
                             run.store.FindEntry(kValueLowName)->IsModified() &&
                             Get(kValueLowName).second == "\1\0\0\0"s;
        // Writable again: the same store saves what it could not before.
        return refused && ::chmod(folder.c_str(), 0700) == 0 && run.store.SaveAll() &&
               Get(kValueLowName).second == "\2\0\0\0"s;
      },
      {m_dir.Path()}));
  EXPECT_EQ(Get(kValueLowName).second, "\2\0\0\0"s);
}

// A store that is there but cannot be read at start must not lose what it
// holds: the save writes only what the program changed.
TEST_F(SettingsStore, AnUnreadableStoreIsNotOverwrittenWithDefaults) {
  {
    Run run;
    run.low = 7;
    run.dark = true;
    ASSERT_TRUE(run.store.SaveAll());
  }
  EXPECT_TRUE(test::RunUnprivileged(
      [&] {
        SetRegistryHivePath(m_hive);
        Run run;
        const bool refused = ::chmod(m_hive.c_str(), 0) == 0 && !run.store.LoadAll() &&
                             run.store.LastError() == static_cast<int>(ERROR_ACCESS_DENIED) &&
                             run.low == 0;
        run.high = 9;
        return refused && ::chmod(m_hive.c_str(), 0600) == 0 && run.store.SaveAll();
      },
      {m_dir.Path()}));
  EXPECT_EQ(Get(kValueLowName).second, "\7\0\0\0"s);
  EXPECT_EQ(Get(kValueHighName).second, "\x9\0\0\0"s);
  EXPECT_EQ(Get(kDarkThemeName).second, "\1\0\0\0"s);
}

}  // namespace
}  // namespace bitvane
