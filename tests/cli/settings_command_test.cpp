#include "cli/settings_command.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>

#include "cli/terminal_text.h"
#include "platform/registry.h"
#include "platform/registry_names.h"
#include "settings/ps_str_list_entry.h"
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

class SettingsCommandTest : public test::TempHiveTest {
 protected:
  [[nodiscard]] std::string KeyLine() const {
    return "HKCU\\Software\\Kelmo\\Bitvane\\Settings in " + TerminalText(m_hive) + "\n";
  }
};

// Every value is shown by name, type and contents, escaped. A usage error changes
// nothing; a reset deletes only the settings key.
TEST_F(SettingsCommandTest, ShowsEveryStoredValueEscapedAndResets) {
  SetRegistryHivePath(m_hive = m_dir.Join("a\nb\x1B/registry.sqlite3"));
  std::string blob(40, '\0'), expected = KeyLine();
  EXPECT_NE(expected.find("a\\nb\\u001B/registry"), std::string::npos);
  std::iota(blob.begin(), blob.end(), '\0');
  // clang-format off
  const std::tuple<std::u16string, std::uint32_t, std::string, std::string> raw[] = {
      {u"Bad", REG_DWORD, "\x01\x02\x03", "Bad            REG_DWORD     hex: 01 02 03 (3 bytes)"},
      {u"", REG_SZ, Utf16LeBytes(u"\u00FC\0tail"s), "(default)      REG_SZ        \"\u00FC\""},
      {u"Blob", REG_BINARY, blob, "Blob           REG_BINARY    hex: 00 01 02 03 04 05 06 07 08 09 "
       "0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F ... (40 bytes)"},
      {u"Wide", REG_QWORD, "\x08\x07\x06\x05\x04\x03\x02\x01",
       "Wide           REG_QWORD     72623859790382856 (0x0102030405060708)"},
      {u"Nothing", 99, "", "Nothing        type 99       (no data)"},
      // A name that begins with a quote cannot pass for a quoted one.
      {u"\"a\\nb\"", REG_DWORD, "\x05\0\0\0"s,
       "\"\\\"a\\\\nb\\\"\"    REG_DWORD     5 (0x00000005)"},
      {u"Esc\x1B[2J\x202E", REG_SZ, Utf16LeBytes(u"x\x1B]0;title\x07\x2066\x85\xDC00"),
       "\"Esc\\u001B[2J\\u202E\" REG_SZ        "
       "\"x\\u001B]0;title\\u0007\\u2066\\u0085\\uDC00\""},
      // An empty entry of the program's own lists is stored as a marker.
      {u"List", REG_MULTI_SZ,
       Utf16LeBytes(u"a\r\nb\0"s + std::u16string(NPSSTRListEntry::kEmptyMarker) + u"\0\u009B1m"s),
       "List           REG_MULTI_SZ  [\"a\\r\\nb\", \"\", \"\\u009B1m\"]"},
      {u"None", REG_MULTI_SZ, "", "None           REG_MULTI_SZ  []"}};
  // clang-format on
  for (const auto& [name, type, bytes, line] : raw) {
    ASSERT_EQ(StoreValue(HKEY_CURRENT_USER, kSettingsKey, name.c_str(), type, bytes), 0u);
    expected += line + "\n";
  }
  const char16_t* const sibling = u"Software\\Kelmo\\Bitvane\\Other";
  ASSERT_EQ(StoreValue(HKEY_CURRENT_USER, sibling, nullptr), 0u);
  const std::string bad = "bitvane-cli: unexpected argument '",
                    usage = "'\nUsage: bitvane-cli settings [--reset]\n";
  EXPECT_EQ(Settings({"--reset", "--reset"}), (Outcome{2, "", bad + "--reset" + usage}));
  EXPECT_EQ(Settings({"--\x1B[8m\xFF"}), (Outcome{2, "", bad + "--\\u001B[8m\\xFF" + usage}));
  EXPECT_EQ(Settings({}), (Outcome{0, expected, ""}));
  EXPECT_EQ(Settings({"--reset"}), (Outcome{0, kDeleted, ""}));
  EXPECT_EQ(Settings({"--reset"}).out, kNothing);  // the key itself is gone
  RegHandle key = 0;
  EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, sibling, KEY_READ, &key), ERROR_SUCCESS);
}

// Showing never creates or changes the store, nor does a reset that finds nothing or
// fails: a file standing in the place of a folder of the store's path is named.
TEST_F(SettingsCommandTest, NothingStoredOrBlocked) {
  // What is there: a key made before, or a file (the hive itself: a damaged one).
  const std::tuple<const char16_t*, std::string, const char*> rows[] = {
      {nullptr, "", kNothing},      {u"Software\\Kelmo\\Bitvane", "", kNothing},
      {kSettingsKey, "", kDeleted}, {nullptr, "registry.sqlite3", kNothing},
      {nullptr, "config", ""},      {nullptr, "\x1B[2Jbad", ""}};
  for (const auto& [key, file, resetOut] : rows) {
    SCOPED_TRACE(::testing::PrintToString(file));
    const test::TempDir dir;
    const bool damaged = file == "registry.sqlite3", blocked = !file.empty() && !damaged;
    SetRegistryHivePath(
        m_hive = dir.Join(blocked ? file + "/bitvane/registry.sqlite3" : "registry.sqlite3"));
    ASSERT_EQ(key ? StoreValue(HKEY_CURRENT_USER, key, nullptr) : 0u, 0u);
    if (!file.empty()) dir.Write(file, std::string(8192, '\x5A'));
    const std::string path = file.empty() ? m_hive : dir.Join(file), before = Contents(path);
    const std::string reason =
        " the settings: the settings folder is blocked by a file: " + dir.Join(TerminalText(file)) +
        " (error 3)\n";
    const std::string damage = "bitvane-cli: " + m_hive +
                               " cannot be read as a settings store; the program starts with its "
                               "defaults and moves the file aside when it next saves\n";
    EXPECT_EQ(Settings({}), (Outcome{blocked, KeyLine() + (blocked ? "" : "none stored\n"),
                                     blocked   ? "bitvane-cli: cannot read" + reason
                                     : damaged ? damage
                                               : ""}));
    EXPECT_EQ(Contents(path), before);
    EXPECT_EQ(Settings({"--reset"}),
              (Outcome{blocked, resetOut, blocked ? "bitvane-cli: cannot delete" + reason : ""}));
    EXPECT_EQ(Contents(path), resetOut == kDeleted ? Contents(path) : before);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
      EXPECT_EQ(entry.path(), path);
    }
  }
}

// Another process deletes key `g_id` just before the `g_left`th statement of this one
// that looks whether it is there; the trace is put in every connection opened meanwhile.
std::string g_hive, g_id;
int g_left = 0;

// Runs `sql` on the hive through a connection of its own; a row's first column is `g_id`.
void Exec(const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(g_hive.c_str(), &db);
  const auto take = [](void*, int, char** values, char**) { return g_id = values[0], 0; };
  sqlite3_exec(db, sql.c_str(), take, nullptr, nullptr);
  sqlite3_close(db);
}

int Trace(unsigned, void*, void* statement, void*) {
  char* sql = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(statement));
  const bool look = g_left > 0 && sql && "SELECT 1 FROM keys WHERE id = " + g_id == sql;
  sqlite3_free(sql);
  if (look && --g_left == 0)
    Exec("DELETE FROM vals WHERE key = " + g_id + "; DELETE FROM keys WHERE id = " + g_id);
  return 0;
}

int InstallTrace(sqlite3* db, char**, const sqlite3_api_routines*) {
  return sqlite3_trace_v2(db, SQLITE_TRACE_STMT, &Trace, nullptr);
}

TEST_F(SettingsCommandTest, AKeyDeletedWhileItIsReadHoldsNothing) {
  const char* settings = "SELECT key FROM vals LIMIT 1";  // the only key with values
  const char* bitvane = "SELECT parent FROM keys WHERE id IN (SELECT key FROM vals)";
  // Deleted while counting the values, listing and reading the first one; resetting.
  const std::tuple<const char*, int, bool> rows[] = {
      {settings, 1, false}, {settings, 2, false}, {settings, 6, false}, {bitvane, 1, true}};
  for (const auto& [query, nth, reset] : rows) {
    SCOPED_TRACE(testing::Message() << query << " at look " << nth);
    const test::TempDir dir;
    SetRegistryHivePath(m_hive = g_hive = dir.Join("registry.sqlite3"));
    for (const char16_t* name : {u"One", u"Two", u"Three"})
      ASSERT_EQ(StoreValue(HKEY_CURRENT_USER, kSettingsKey, name, REG_BINARY, "x"), 0u);
    Exec(query);
    g_left = nth;
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(&InstallTrace));
    const Outcome outcome = Settings(std::vector<std::string>(reset, "--reset"));
    sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&InstallTrace));
    EXPECT_EQ(g_left, 0);
    EXPECT_EQ(outcome, (Outcome{0, reset ? kNothing : KeyLine() + "none stored\n", ""}));
  }
}

}  // namespace
}  // namespace bitvane::cli
