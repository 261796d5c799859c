#include "cli/settings_command.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/registry.h"
#include "platform/registry_names.h"
#include "settings/bitvane_settings.h"
#include "settings/ps_store.h"
#include "tests/support/cli_run.h"
#include "tests/support/registry_helpers.h"
#include "tests/support/temp_dir.h"

namespace bitvane::cli {
namespace {

using test::StoreValue;
using Outcome = test::CliOutcome;
using namespace std::string_literals;

constexpr const char16_t* kSettingsKey = u"Software\\Kelmo\\Bitvane\\Settings";
constexpr const char* kDeleted = "settings deleted; the next start uses the defaults\n";
constexpr const char* kNothing = "none stored; nothing to reset\n";

Outcome Settings(const std::vector<std::string>& args) {
  return test::RunCli(RunSettings, args);
}

// The file's bytes; "<missing>" when there is none.
std::string Contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
}

class SettingsCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { UseHive(m_dir); }
  void UseHive(const test::TempDir& dir, const std::string& where = "registry.sqlite3") {
    ASSERT_TRUE(dir.Made());
    m_hive = dir.Join(where);
    SetRegistryHivePath(m_hive);
  }
  void TearDown() override { SetRegistryHivePath(std::string()); }
  [[nodiscard]] std::string KeyLine() const {
    return "HKCU\\Software\\Kelmo\\Bitvane\\Settings in " + m_hive + "\n";
  }

  test::TempDir m_dir;
  std::string m_hive;
};

// Every value is shown by name, type and contents, the program's own as it reads them;
// nothing from the store or the path can fake a line or act on the terminal.
TEST_F(SettingsCommandTest, ShowsEveryStoredValueEscaped) {
  UseHive(m_dir, "a\nb\x1B/registry.sqlite3");
  // The program's five settings, saved the way the main window does.
  unsigned int low = 1234, high = 0xFFFFFFFFu;
  NSTRList floats, doubles;
  for (const char16_t* format : {u"%.9g", u"", u"say \"hi\""}) floats.Add(format);
  bool dark = true;
  NPSStore store{std::u16string(kSettingsStoreName)};
  ASSERT_TRUE(store.InitFromApp(kSettingsRegistryKey, kShippedAppName));
  ASSERT_TRUE(AddBitvaneSettings(store, {&low, &high, &floats, &doubles, &dark}));
  store.SetForceSave(true);
  ASSERT_TRUE(store.SaveAll()) << store.LastError();
  std::string blob;
  for (char c = 0; c < 40; ++c) blob += c;
  const std::string five("\x05\0\0\0", 4);
  const struct {
    std::u16string name;
    std::uint32_t type;
    std::string bytes, line;
  } raw[] = {
      {u"Broken", REG_DWORD, "\x01\x02\x03",
       "Broken         REG_DWORD     hex: 01 02 03 (3 bytes)"},
      {u"", REG_SZ, Utf16LeBytes(u"Gr\u00FC\u00DFe\0tail"s),
       "(default)      REG_SZ        \"Gr\xC3\xBC\xC3\x9F"
       "e\""},
      {u"Blob", REG_BINARY, blob,
       "Blob           REG_BINARY    hex: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 "
       "13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F ... (40 bytes)"},
      {u"Wide", REG_QWORD, "\x08\x07\x06\x05\x04\x03\x02\x01",
       "Wide           REG_QWORD     72623859790382856 (0x0102030405060708)"},
      {u"Nothing", 99, "", "Nothing        type 99       (no data)"},
      {u"a\nb", REG_DWORD, five, "\"a\\nb\"         REG_DWORD     5 (0x00000005)"},
      {u"Esc\x1B[2J", REG_DWORD, five, "\"Esc\\u001B[2J\" REG_DWORD     5 (0x00000005)"},
      {u"Rtl\x202E", REG_DWORD, five, "\"Rtl\\u202E\"    REG_DWORD     5 (0x00000005)"},
      {u"Half\xDC00", REG_DWORD, five, "\"Half\\uDC00\"   REG_DWORD     5 (0x00000005)"},
      // A name that begins with a quote cannot pass for a quoted one.
      {u"\"a\\nb\"", REG_DWORD, five, "\"\\\"a\\\\nb\\\"\"    REG_DWORD     5 (0x00000005)"},
      {u"Text", REG_SZ, Utf16LeBytes(u"x\x1B]0;title\x07\x2066\x85"),
       "Text           REG_SZ        \"x\\u001B]0;title\\u0007\\u2066\\u0085\""},
      {u"List", REG_MULTI_SZ,
       Utf16LeBytes(u"a\r\nb\0\x9B"
                    u"1m"s),
       "List           REG_MULTI_SZ  [\"a\\r\\nb\", \"\\u009B1m\"]"},
  };
  std::string expected = "HKCU\\Software\\Kelmo\\Bitvane\\Settings in " + m_dir.Path() +
                         "/a\\nb\\u001B/registry.sqlite3\n"
                         "ValueLow       REG_DWORD     1234 (0x000004D2)\n"
                         "ValueHigh      REG_DWORD     4294967295 (0xFFFFFFFF)\n"
                         "FloatFormats   REG_MULTI_SZ  [\"%.9g\", \"\", \"say \\\"hi\\\"\"]\n"
                         "DoubleFormats  REG_MULTI_SZ  []\n"
                         "DarkTheme      REG_DWORD     1 (0x00000001)\n";
  for (const auto& row : raw) {
    ASSERT_EQ(StoreValue(HKEY_CURRENT_USER, kSettingsKey, row.name.c_str(), row.type, row.bytes),
              0u);
    expected += row.line + "\n";
  }
  const Outcome shown = Settings({});
  EXPECT_EQ(shown.status, 0);
  EXPECT_EQ(shown.out, expected);
  EXPECT_EQ(shown.err, "");
}

TEST_F(SettingsCommandTest, UsageErrorsChangeNothingAndResetDeletesOnlyTheSettingsKey) {
  ASSERT_EQ(StoreValue(HKEY_CURRENT_USER, kSettingsKey, u"v", REG_BINARY, "x"), 0u);
  const char16_t* const sibling = u"Software\\Kelmo\\Bitvane\\Other";
  ASSERT_EQ(StoreValue(HKEY_CURRENT_USER, sibling, nullptr), 0u);
  const std::vector<std::string> rows[] = {
      {"--reset", "--reset"}, {"--reset", "now"}, {"--RESET"}, {"--\x1B[8m\xFF"}};
  for (const auto& args : rows) {
    const Outcome outcome = Settings(args);
    EXPECT_EQ(outcome.status, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "bitvane-cli: unexpected argument '" +
                               (args.back()[2] == 0x1B ? "--\\u001B[8m\\xFF" : args.back()) +
                               "'\nUsage: bitvane-cli settings [--reset]\n");
  }
  const Outcome reset = Settings({"--reset"});  // the settings were still there
  EXPECT_EQ(reset.status, 0);
  EXPECT_EQ(reset.out, kDeleted);
  EXPECT_EQ(reset.err, "");
  EXPECT_EQ(Settings({"--reset"}).out, kNothing);  // the key itself is gone
  RegHandle key = 0;
  EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, sibling, KEY_READ, &key), ERROR_SUCCESS);
}

// Showing never creates or changes the store; a reset that finds nothing changes nothing.
TEST_F(SettingsCommandTest, NothingStored) {
  const struct {
    const char* label;
    const char16_t* key;  // made before, if any
    bool damaged;         // the hive holds bytes that are no database
    const char* resetOut;
  } rows[] = {
      {"no hive", nullptr, false, kNothing},
      {"no settings key", u"Software\\Kelmo\\Bitvane", false, kNothing},
      {"empty settings key", kSettingsKey, false, kDeleted},
      {"damaged hive", nullptr, true, kNothing},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    const test::TempDir dir;
    UseHive(dir);
    if (row.key) {
      ASSERT_EQ(StoreValue(HKEY_CURRENT_USER, row.key, nullptr), 0u);
    }
    if (row.damaged) dir.Write("registry.sqlite3", std::string(8192, '\x5A'));
    const std::string before = Contents(m_hive);
    const Outcome shown = Settings({});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out, KeyLine() + "none stored\n");
    EXPECT_EQ(shown.err.find(" cannot be read as a settings store;") != std::string::npos,
              row.damaged)
        << shown.err;
    EXPECT_EQ(Contents(m_hive), before);
    const Outcome reset = Settings({"--reset"});
    EXPECT_EQ(reset.status, 0);
    EXPECT_EQ(reset.out, row.resetOut);
    EXPECT_EQ(reset.err, "");
    if (row.resetOut == kNothing) {
      EXPECT_EQ(Contents(m_hive), before);
    }
    // Nothing moved aside, no journal left behind.
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
      EXPECT_EQ(entry.path(), m_hive);
    }
  }
}

// The row id of the key whose name, folded, is `folded`.
sqlite3_int64 KeyId(const std::string& hive, std::u16string_view folded) {
  sqlite3_int64 id = 0;
  sqlite3* db = nullptr;
  sqlite3_stmt* query = nullptr;
  const std::string name = Utf16LeBytes(folded);
  if (sqlite3_open_v2(hive.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, "SELECT id FROM keys WHERE folded = ?", -1, &query, nullptr) ==
          SQLITE_OK &&
      sqlite3_bind_blob(query, 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC) ==
          SQLITE_OK &&
      sqlite3_step(query) == SQLITE_ROW) {
    id = sqlite3_column_int64(query, 0);
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  return id;
}

// Another process deleting a key while this one reads it: the key goes, through a
// connection of its own, just before the `nth` statement of this process that looks
// whether the key is still there.
class DeleteKeyWhenLookedAt {
 public:
  DeleteKeyWhenLookedAt(std::string hive, sqlite3_int64 id, int nth)
      : m_hive(std::move(hive)),
        m_check("SELECT 1 FROM keys WHERE id = " + std::to_string(id)),
        m_id(id),
        m_left(nth) {
    s_active = this;
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(&Install));
  }
  ~DeleteKeyWhenLookedAt() {
    sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&Install));
    s_active = nullptr;
  }
  DeleteKeyWhenLookedAt(const DeleteKeyWhenLookedAt&) = delete;
  DeleteKeyWhenLookedAt& operator=(const DeleteKeyWhenLookedAt&) = delete;

  [[nodiscard]] bool Deleted() const { return m_deleted; }

 private:
  // Runs for every connection opened meanwhile, the registry's included.
  static int Install(sqlite3* db, char**, const sqlite3_api_routines*) {
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, &Trace, nullptr);
    return SQLITE_OK;
  }
  // Called as a statement starts, before it takes any lock on the file.
  static int Trace(unsigned, void*, void* statement, void*) {
    DeleteKeyWhenLookedAt* self = s_active;
    if (!self || self->m_left == 0) return 0;
    char* sql = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(statement));
    const bool check = sql && self->m_check == sql;
    sqlite3_free(sql);
    if (check && --self->m_left == 0) {
      const std::string id = std::to_string(self->m_id);
      const std::string erase =
          "DELETE FROM vals WHERE key = " + id + "; DELETE FROM keys WHERE id = " + id;
      sqlite3* db = nullptr;
      self->m_deleted = sqlite3_open(self->m_hive.c_str(), &db) == SQLITE_OK &&
                        sqlite3_exec(db, erase.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
      sqlite3_close(db);
    }
    return 0;
  }

  static inline DeleteKeyWhenLookedAt* s_active = nullptr;
  std::string m_hive;
  std::string m_check;
  sqlite3_int64 m_id;
  int m_left;
  bool m_deleted = false;
};

TEST_F(SettingsCommandTest, AKeyDeletedWhileItIsReadHoldsNothing) {
  const struct {
    const char* when;
    const char16_t* key;  // deleted, folded
    int nth;              // at its nth look
    bool reset;
  } rows[] = {
      {"counting the values", u"SETTINGS", 1, false},
      {"listing the first value", u"SETTINGS", 2, false},
      {"reading the first value", u"SETTINGS", 6, false},
      {"resetting", u"BITVANE", 1, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "deleted while " << row.when);
    const test::TempDir dir;
    UseHive(dir);
    for (const char16_t* name : {u"One", u"Two", u"Three"}) {
      ASSERT_EQ(StoreValue(HKEY_CURRENT_USER, kSettingsKey, name, REG_BINARY, "x"), 0u);
    }
    const sqlite3_int64 id = KeyId(m_hive, row.key);
    ASSERT_NE(id, 0);
    Outcome outcome;
    {
      const DeleteKeyWhenLookedAt deleter(m_hive, id, row.nth);
      outcome =
          Settings(row.reset ? std::vector<std::string>{"--reset"} : std::vector<std::string>{});
      EXPECT_TRUE(deleter.Deleted());
    }
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, row.reset ? kNothing : KeyLine() + "none stored\n");
    EXPECT_EQ(outcome.err, "");
  }
}

// A file standing where a folder of the store's path belongs is named, escaped, and
// left as it is.
TEST_F(SettingsCommandTest, AFileInThePlaceOfTheSettingsFolderIsNamed) {
  for (const std::string file : {"config", "\x1B[2Jbad/bitvane"}) {
    SCOPED_TRACE(file);
    const test::TempDir dir;
    std::filesystem::create_directories(std::filesystem::path(dir.Join(file)).parent_path());
    dir.Write(file, "not a folder");
    UseHive(dir, file + (file == "config" ? "/bitvane" : "") + "/registry.sqlite3");
    const std::string shown = file == "config" ? file : "\\u001B[2Jbad/bitvane";
    const std::string reason =
        "the settings folder is blocked by a file: " + dir.Join(shown) + " (error 3)\n";
    const Outcome read = Settings({});
    EXPECT_EQ(read.status, 1);
    EXPECT_EQ(read.err, "bitvane-cli: cannot read the settings: " + reason);
    const Outcome reset = Settings({"--reset"});
    EXPECT_EQ(reset.status, 1);
    EXPECT_EQ(reset.out, "");
    EXPECT_EQ(reset.err, "bitvane-cli: cannot delete the settings: " + reason);
    EXPECT_EQ(Contents(dir.Join(file)), "not a folder");
  }
}

}  // namespace
}  // namespace bitvane::cli
