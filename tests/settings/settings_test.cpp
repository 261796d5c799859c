// Registry keys and the persistent settings, over a hive in a temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/registry_names.h"
#include "settings/bitvane_settings.h"
#include "settings/ps_store.h"
#include "settings/ps_str_list_entry.h"
#include "settings/reg_key.h"
#include "tests/support/registry_helpers.h"
#include "tests/support/text.h"
#include "tests/support/unprivileged.h"

namespace bitvane {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using Stored = std::pair<std::uint32_t, std::string>;
using Texts = std::vector<std::u16string>;
using test::Pattern;

constexpr std::uint32_t kReadWrite = KEY_READ | KEY_WRITE;
constexpr char16_t kKeyPath[] = u"HKCU\\Software\\Kelmo\\bitvane\\Settings";
const Stored kNone{REG_NONE, {}};

Stored Dword(std::uint32_t n) {
  return {REG_DWORD, std::string{char(n), char(n >> 8), char(n >> 16), char(n >> 24)}};
}

// Value `name` of an open key, else of the settings key; kNone when it cannot be read.
Stored Read(std::u16string_view name, NRegKey* open = nullptr) {
  NRegKey own;
  NRegKey::Value value;
  NRegKey& key = open ? *open : own;
  if ((!open && !key.Open(kKeyPath, KEY_READ)) || !key.QueryValue(value, name)) return kNone;
  return {value.Type(), std::string(reinterpret_cast<const char*>(value.Data()), value.Size())};
}

void Put(const std::u16string& name, const Stored& value, const char16_t* at = kKeyPath + 5) {
  ASSERT_EQ(test::StoreValue(HKEY_CURRENT_USER, at, name.c_str(), value.first, value.second), 0u);
}

class Settings : public test::TempHiveTest {
 protected:
  Settings() : TempHiveTest("config/bitvane/registry.sqlite3") {}

  // The program's five settings, bound as the start-up binds them.
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
};

// Rows: a path (roots in each spelling), the access, the error, a key made?, its "N".
TEST_F(Settings, KeyOpensOnlyWhatThePathNamesAndReadsEveryByte) {
  NRegKey key;
  Put(u"N", Dword(7), u"Software\\X");
  // clang-format off
  const std::tuple<std::u16string_view, std::uint32_t, std::int32_t, bool, Stored> paths[] = {
      {u"", KEY_READ, 87, false, kNone}, {u"\\HKCU\\Software\\X", KEY_READ, 87, false, kNone},
      {u"HKCUX\\Software\\X", KEY_READ, 87, false, kNone}, {u"HKcc", KEY_READ, 0, false, kNone},
      {u"\uFF28\uFF2B\uFF23\uFF35", KEY_READ, 87, false, kNone},  // full-width letters
      {u"hEY_LOCAL_machine", KEY_READ, 87, false, kNone}, {u"hlm", KEY_READ, 0, false, kNone},
      {u"HKEY_CURRENT_user\\Software\\X", KEY_READ, 0, false, Dword(7)},
      {u"HKCU\\A\\B", kReadWrite, 0, true, kNone}, {u"HKCU\\A\\B", kReadWrite, 0, false, kNone},
      {u"HKCU\\A\\B\\C", kReadWrite, 0, true, kNone}, {u"HKCU\\A\\B\\C", KEY_READ, 0, false, kNone},
      {u"hkcu\\\\SOFTWARE\\x\\\\", KEY_READ, 0, false, Dword(7)},
      {u"HKCU\\Software\\Gone", KEY_READ, 2, false, kNone}, {u"HKCU", KEY_READ, 0, false, kNone}};
  // clang-format on
  for (const auto& [path, access, error, created, value] : paths) {
    EXPECT_EQ(key.Open(path, access), error == 0) << test::Narrow(path);
    EXPECT_EQ(std::tuple(key.LastError(), key.Access(), key.Created()),
              std::tuple(error, error == 0 ? access : 0u, created));
    EXPECT_EQ(Read(u"N", &key), value) << test::Narrow(path);
    EXPECT_TRUE(key.Close() && key.Handle() == 0 && key.Access() == 0 && !key.Created());
  }
  for (int i = 0; i < 2; ++i) {  // the second Open lets a stale handle go
    ASSERT_TRUE(key.Open(u"HKCU\\Software\\X", KEY_READ) && key.LastError() == 0);
    SetRegistryHivePath(m_hive);  // drops every handle
  }
  EXPECT_FALSE(key.Close());
  EXPECT_TRUE(key.LastError() == 6 && key.Handle() == 0 && key.Close());
  // One Value serves every read, each replacing all the one before left; data ends in 0, 0.
  NSTRList names{u"stale"};
  EXPECT_FALSE(key.ListValueNames(names) || key.DeleteTree(u"Sub"));
  EXPECT_EQ(key.LastError(), 6);
  ASSERT_TRUE(key.Open(u"HKCU\\Software\\Values", kReadWrite));
  SetLastError(ERROR_SUCCESS);
  key.StoreError(5);  // an empty list is a success, and clears the error
  EXPECT_TRUE(key.ListValueNames(names) && names.Count() == 0 && key.LastError() == 0 &&
              GetLastError() == ERROR_NO_MORE_ITEMS);
  const std::uint32_t scratch = NRegKey::kScratchSize;
  // clang-format off
  const std::tuple<std::u16string, std::uint32_t, std::uint32_t> rows[] = {
      {u"", REG_SZ, 6}, {u"Big", REG_BINARY, 100000}, {u"Less", REG_BINARY, scratch - 1},
      {u"Scratch", REG_BINARY, scratch}, {u"More", REG_MULTI_SZ, scratch + 1}, {u"Empty", 99, 0},
      {std::u16string(kRegistryMaxValueName, u'n'), REG_BINARY, 1}};  // must fit the list
  // clang-format on
  for (const auto& [name, type, size] : rows) {
    ASSERT_EQ(test::SetBytes(key.Handle(), name.c_str(), Pattern(size), type), 0u);
  }
  NRegKey::Value value;
  EXPECT_TRUE(key.QueryValue(value, u"Big") && !key.QueryValue(value, u"Absent"));
  EXPECT_TRUE(key.LastError() == 2 && value.Type() == REG_NONE && value.Size() == 0 &&
              value.Data() == nullptr);
  for (const char16_t* name : {u"Big", u"Scratch"}) {  // success clears the error
    key.StoreError(5);
    EXPECT_TRUE(key.QueryValue(value, name) && key.LastError() == 0);
  }
  std::size_t seen = 0;
  ASSERT_TRUE(key.ListValues([&](const std::u16string& name, const NRegKey::Value& read) {
    if (seen == 0) (void)RegDeleteValue(key.Handle(), u"Big");
    const auto& [expected, type, size] = rows[seen == 0 ? 0 : seen + 1];
    ++seen;
    ASSERT_EQ(std::tuple(name, read.Type(), read.Size(), read.Utf16().size()),
              std::tuple(expected, type, size, std::size_t{size / 2}));  // odd last byte dropped
    EXPECT_EQ(read.Data() == nullptr, size == 0);
    if (size == 0) return;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(read.Data()), size + 2),
              Pattern(size) + "\0\0"s);
  }));
  EXPECT_TRUE(key.LastError() == 0 && seen == std::size(rows) - 1);
  // A key deleted under an open handle cannot be listed.
  ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, u"Software\\Values"), ERROR_SUCCESS);
  EXPECT_FALSE(key.ListValues([](const std::u16string&, const NRegKey::Value&) {}));
  EXPECT_EQ(key.LastError(), static_cast<std::int32_t>(ERROR_KEY_DELETED));
}

// Nothing is written until something changes; a loaded value only when it changed.
TEST_F(Settings, ValuesAreWrittenWhenTheyChange) {
  {
    Run run(true);
    EXPECT_TRUE(run.store.LoadAll() && run.dark && !run.Loaded(kDarkThemeName));
    EXPECT_TRUE(run.store.SaveAll() && !fs::exists(m_dir.Join("config")));  // nor a folder
    run.low = 0x12345678;
    ASSERT_EQ(RegBeginBatch(), 0u);  // a save that cannot open its own batch stores nothing
    EXPECT_FALSE(run.store.SaveAll());
    ASSERT_EQ(RegEndBatch(false), 0u);
    EXPECT_EQ(Read(kValueLowName), kNone);
    ASSERT_TRUE(run.store.SaveAll());
    EXPECT_TRUE(run.Loaded(kDarkThemeName));
  }
  const Stored none{REG_MULTI_SZ, "\0\0"s};  // an empty list
  EXPECT_EQ(std::tuple(Read(kValueLowName), Read(kValueHighName), Read(kDarkThemeName)),
            std::tuple(Dword(0x12345678), Dword(0), Dword(1)));
  EXPECT_TRUE(Read(kFloatFormatsName) == none && Read(kDoubleFormatsName) == none);
  Put(u"darktheme", Dword(7));
  Put(u"Stale", {REG_SZ, Utf16LeBytes(u"x")});
  {
    Run run;
    ASSERT_TRUE(run.store.LoadAll() && run.dark && run.low == 0x12345678u);
    run.store.SetPurgeUnknown(true);
    run.low = 1;
    ASSERT_TRUE(run.store.SaveAll());
  }
  EXPECT_EQ(std::tuple(Read(kDarkThemeName), Read(u"Stale")), std::tuple(Dword(7), kNone));
  {
    Run run;
    run.store.SetSaveOnDestroy(true);
    ASSERT_TRUE(run.store.LoadAll());
    run.dark = false;
  }
  EXPECT_EQ(Read(kDarkThemeName), Dword(0));
}

// Rows: a stored value, whether a number takes it and the number then (99: kept).
TEST_F(Settings, EachEntryAcceptsOnlyItsOwnTypeAndLayout) {
  // clang-format off
  const std::tuple<Stored, bool, unsigned int> rows[] = {
      {{REG_DWORD_BIG_ENDIAN, "\0\0\1\0"s}, true, 256}, {Dword(65536), true, 65536},
      {{REG_DWORD_BIG_ENDIAN, "\0\0\0\0"s}, true, 0}, {Dword(7), true, 7},
      {{REG_QWORD, "\0\0\0\0\0\0\0\0"s}, false, 99}, {{REG_DWORD, "\1\2\3"s}, false, 99},
      {{REG_SZ, Utf16LeBytes(u"12")}, false, 99}};  // 4 bytes, wrong type
  // clang-format on
  constexpr std::size_t kRows = std::size(rows);
  std::vector<unsigned int> numbers(kRows, 99);
  NPSStore store(u"Set");
  ASSERT_TRUE(store.InitFromApp(kSettingsRegistryKey, kShippedAppName));
  for (std::size_t i = 0; i < kRows; ++i) {
    const std::u16string index(1, char16_t(u'0' + i));
    ASSERT_TRUE(store.AddUInt(u"N" + index, &numbers[i]));
    Put(u"N" + index, std::get<0>(rows[i]));
  }
  NSTRList refused{u"kept"}, unended, list{u"x"};  // the last string needs no terminator
  ASSERT_TRUE(store.AddStringList(u"L0", &refused) && store.AddStringList(u"L1", &unended));
  // Not stored yet, and a name the registry refuses: a save fails.
  ASSERT_TRUE(store.AddStringList(std::u16string(kRegistryMaxValueName + 1, u'L'), &list));
  Put(u"L0", {REG_SZ, Utf16LeBytes(u"%g"s + u'\0')});
  Put(u"L1", {REG_MULTI_SZ, Utf16LeBytes(u"x\0y"s)});
  SetLastError(0);
  ASSERT_TRUE(store.LoadAll());
  EXPECT_TRUE(GetLastError() == ERROR_INVALID_DATATYPE && !store.FindEntry(u"L0")->Loaded());
  EXPECT_EQ(Texts(refused.begin(), refused.end()), Texts{u"kept"});
  EXPECT_EQ(Texts(unended.begin(), unended.end()), (Texts{u"x", u"y"}));
  for (std::size_t i = 0; i < kRows; ++i) {
    const auto& [stored, loaded, number] = rows[i];
    EXPECT_EQ(store.FindEntry(u"N" + std::u16string(1, char16_t(u'0' + i)))->Loaded(), loaded) << i;
    EXPECT_EQ(numbers[i], number) << i;
  }
  store.SetForceSave(true);
  EXPECT_FALSE(store.SaveAll());
}

// Rows: a list, how it is stored (no final NUL), a list that differs only in where one ends.
TEST_F(Settings, StringListsRoundTripWithTheEmptyStringMarker) {
  const std::u16string m(NPSSTRListEntry::kEmptyMarker);
  const std::tuple<Texts, std::u16string, Texts> rows[] = {
      {{}, u"", {u""}},
      {{u"", u"x"}, m + u"\0x\0"s, {u"x", u""}},
      {{u"a\u20AC", u"b"}, u"a\u20AC\0b\0"s, {u"a", u"\u20ACb"}}};
  for (const auto& [list, stored, shifted] : rows) {
    {
      Run run;
      for (const auto& text : list) run.floats.Add(text);
      run.store.SetForceSave(true);
      EXPECT_TRUE(run.store.SaveAll() && !run.store.ForceSave());
    }
    EXPECT_EQ(Read(kFloatFormatsName), Stored(REG_MULTI_SZ, Utf16LeBytes(stored + u'\0')));
    Run run;
    run.floats.Add(u"old");
    ASSERT_TRUE(run.store.LoadAll());
    EXPECT_EQ(Texts(run.floats.begin(), run.floats.end()), list);
    EXPECT_FALSE(run.store.FindEntry(kFloatFormatsName)->IsModified());
    run.floats.RemoveAll();
    for (const auto& text : shifted) run.floats.Add(text);
    EXPECT_TRUE(run.store.FindEntry(kFloatFormatsName)->IsModified());
  }
}

// Names are unique as written; an empty key path makes a store inert; DeleteStored.
TEST_F(Settings, StoreNamesKeyPathsAndDeleteStored) {
  Run run;
  NPSLock lock;  // adding looks entries up under the same lock
  NPSStore store(u"Set", &lock);
  ASSERT_TRUE(store.InitFromApp(u"Kelmo\\", u"bitvane") && store.AddUInt(u"N", &run.low));
  EXPECT_TRUE(store.KeyPath() == kKeyPath && store.AddBool(u"n", &run.dark) &&
              !store.AddStringList(u"N", &run.floats));
  for (const auto& [registryKey, appName] :
       {std::pair<std::u16string_view, std::u16string_view>{u"", u"Bitvane"}, {u"Kelmo", u""}}) {
    NPSStore inert(u"Set");
    EXPECT_FALSE(inert.InitFromApp(registryKey, appName) || !inert.KeyPath().empty());
    ASSERT_TRUE(inert.AddUInt(u"N", &run.low));
    inert.SetForceSave(true);
    EXPECT_FALSE(inert.FindEntry(u"N") || inert.LoadAll() || inert.SaveAll() ||
                 inert.DeleteStored());
  }
  EXPECT_EQ(BitvaneSettingsKeyPath(), kKeyPath);
  EXPECT_FALSE(run.store.DeleteStored() || fs::exists(m_dir.Join("config")));
  EXPECT_EQ(run.store.LastError(), 2);
  Put(u"v", {REG_BINARY, "x"}, u"Software\\Kelmo\\Bitvane\\Settings\\Deep");
  EXPECT_TRUE(run.store.DeleteStored());
  EXPECT_FALSE(run.store.DeleteStored());  // the parent is left
  EXPECT_EQ(run.store.LastError(), 2);
}

// A damaged file reads as empty and loading leaves it; the next save stores (the registry
// moves the file aside, as its own tests pin down).
TEST_F(Settings, ADamagedHiveLoadsDefaultsAndTheNextSaveStores) {
  const std::string garbage(5000, '\x5A');
  fs::create_directories(m_dir.Join("config/bitvane"));
  std::ofstream(m_hive, std::ios::binary) << garbage;
  const SettingsFileState state = InspectSettingsFile();
  EXPECT_TRUE(state.path == m_hive && state.damaged && state.blockingFile.empty());
  {
    Run run;
    run.low = 5;
    EXPECT_TRUE(run.store.LoadAll() && run.low == 5u && test::FileBytes(m_hive) == garbage);
    ASSERT_TRUE(run.store.SaveAll());
  }
  EXPECT_TRUE(Read(kValueLowName) == Dword(5) && !InspectSettingsFile().damaged);
}

// Unreadable at start, a store writes only what changed; a failed save keeps the values.
TEST_F(Settings, AnUnreadableOrUnwritableStoreLosesNothing) {
  Put(u"ValueLow", Dword(7));
  Put(u"DarkTheme", Dword(1));
  const std::string folder = m_dir.Join("config/bitvane");
  EXPECT_TRUE(test::RunUnprivileged(
      [&] {
        SetRegistryHivePath(m_hive);  // fresh state in this process
        Run run;
        NRegKey root;
        if (::chmod(m_hive.c_str(), 0) != 0 || run.store.LoadAll() || run.low != 0 ||
            run.store.LastError() != static_cast<int>(ERROR_ACCESS_DENIED) ||
            root.Open(u"HKCU", KEY_READ) || ::chmod(m_hive.c_str(), 0600) != 0) {
          return false;
        }
        run.high = 9;
        if (!run.store.SaveAll() || ::chmod(folder.c_str(), 0500) != 0) return false;
        run.low = 2;
        const bool refused = !run.store.SaveAll() && run.low == 2 &&
                             run.store.FindEntry(kValueLowName)->IsModified() &&
                             Read(kValueLowName) == Dword(7);
        return refused && ::chmod(folder.c_str(), 0700) == 0 && run.store.SaveAll();
      },
      {m_dir.Path()}));
  EXPECT_EQ(std::tuple(Read(kValueLowName), Read(kValueHighName), Read(kDarkThemeName)),
            std::tuple(Dword(2), Dword(9), Dword(1)));
}

// Two programs closed at the same moment, again and again: every save succeeds (a busy
// store is waited for), the store stays sound, and each value pair is one whole save.
TEST_F(Settings, TwoProgramsSavingAtOnceBothSucceed) {
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  pid_t children[2];
  for (unsigned id = 1; id <= 2; ++id) {
    children[id - 1] = fork();
    if (children[id - 1] == 0) {
      char go;
      bool ok = read(start[0], &go, 1) == 1;
      for (unsigned save = 1; ok && save <= 20; ++save) {
        Run run;
        ok = run.store.LoadAll();
        run.low = run.high = id * 1000 + save;
        ok = ok && run.store.SaveAll();
      }
      _exit(ok ? 0 : 1);
    }
  }
  ASSERT_EQ(write(start[1], "gg", 2), 2);
  for (const pid_t child : children) {
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  Run run;
  ASSERT_TRUE(run.store.LoadAll());
  EXPECT_TRUE(run.low == run.high && (run.low == 1020 || run.low == 2020)) << run.low << run.high;
  EXPECT_EQ(test::Sql(m_hive, "PRAGMA integrity_check"), test::Rows{"ok"});
}

}  // namespace
}  // namespace bitvane
