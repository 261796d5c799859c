#include "cli/settings_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/bitvane_settings.h"
#include "app/ps_store.h"
#include "platform/registry.h"
#include "tests/support/registry_helpers.h"
#include "tests/support/temp_dir.h"

namespace bitvane::cli {
namespace {

using test::StoreValue;

constexpr const char16_t* kSettingsKey = u"Software\\Kelmo\\Bitvane\\Settings";
constexpr const char* kDeleted = "settings deleted; the next start uses the defaults\n";
constexpr const char* kNothing = "none stored; nothing to reset\n";

struct Outcome {
  int status;
  std::string out, err;
};

Outcome Settings(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunSettings(args, out, err);
  return {status, out.str(), err.str()};
}

// The file's bytes; "<missing>" when there is none.
std::string Contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
}

class SettingsCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { UseHive(m_dir); }
  void UseHive(const test::TempDir& dir) {
    ASSERT_TRUE(dir.Made());
    m_hive = dir.Join("registry.sqlite3");
    SetRegistryHivePath(m_hive);
  }
  [[nodiscard]] std::string KeyLine() const {
    return "HKCU\\Software\\Kelmo\\Bitvane\\Settings in " + m_hive + "\n";
  }

  test::TempDir m_dir;
  std::string m_hive;
};

TEST_F(SettingsCommandTest, ShowsEveryStoredValue) {
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
  const struct {
    const char16_t* name;
    std::uint32_t type;
    std::string bytes, line;
  } raw[] = {
      {u"Broken", REG_DWORD, "\x01\x02\x03",
       "Broken         REG_DWORD     hex: 01 02 03 (3 bytes)"},
      {u"", REG_SZ, std::string("G\0r\0\xFC\0\xDF\0e\0\0\0", 12),
       "(default)      REG_SZ        \"Gr\xC3\xBC\xC3\x9F"
       "e\""},
      {u"Blob", REG_BINARY, blob,
       "Blob           REG_BINARY    hex: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 "
       "13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F ... (40 bytes)"},
      {u"Wide", REG_QWORD, "\x08\x07\x06\x05\x04\x03\x02\x01",
       "Wide           REG_QWORD     72623859790382856 (0x0102030405060708)"},
      {u"Nothing", 99, "", "Nothing        type 99       (no data)"},
      // A name cannot fake a line of its own.
      {u"a\nb", REG_DWORD, std::string("\x05\0\0\0", 4),
       "\"a\\nb\"         REG_DWORD     5 (0x00000005)"},
  };
  std::string expected = KeyLine() +
                         "ValueLow       REG_DWORD     1234 (0x000004D2)\n"
                         "ValueHigh      REG_DWORD     4294967295 (0xFFFFFFFF)\n"
                         "FloatFormats   REG_MULTI_SZ  [\"%.9g\", \"\", \"say \\\"hi\\\"\"]\n"
                         "DoubleFormats  REG_MULTI_SZ  []\n"
                         "DarkTheme      REG_DWORD     1 (0x00000001)\n";
  for (const auto& row : raw) {
    ASSERT_EQ(StoreValue(HKEY_CURRENT_USER, kSettingsKey, row.name, row.type, row.bytes), 0u);
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
      {"--bogus"}, {"--reset", "--reset"}, {"--reset", "now"}, {"-r"}, {""}, {"--RESET"},
  };
  for (const auto& args : rows) {
    const Outcome outcome = Settings(args);
    EXPECT_EQ(outcome.status, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "bitvane-cli: unexpected argument '" + args.back() +
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

}  // namespace
}  // namespace bitvane::cli
