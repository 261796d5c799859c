// Where the program's settings are kept: deleting them as a whole, and what the file
// they live in tells about itself.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "settings/bitvane_settings.h"
#include "settings/reg_key.h"
#include "tests/support/registry_helpers.h"
#include "tests/support/temp_dir.h"

namespace bitvane {
namespace {

std::string Contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

class SettingsFileTest : public test::TempHiveTest {
 protected:
  SettingsFileTest() : TempHiveTest("config/registry.sqlite3") {}
  void SetUp() override {
    TempHiveTest::SetUp();
    ASSERT_TRUE(m_store.InitFromApp(kSettingsRegistryKey, kShippedAppName));
  }

  NPSStore m_store{std::u16string(kSettingsStoreName)};
};

TEST_F(SettingsFileTest, DeleteStoredTakesTheWholeKeyAndCreatesNothing) {
  EXPECT_EQ(BitvaneSettingsKeyPath(), m_store.KeyPath());
  const struct {
    const char* label;
    const char16_t* made;  // the key made first, with a value; null: none
    bool deleted;          // else nothing was found to delete
  } rows[] = {
      {"no file", nullptr, false},
      {"only the parent", u"Software\\Kelmo\\Bitvane", false},
      {"values and subkeys", u"Software\\Kelmo\\Bitvane\\Settings\\Deep", true},
      {"deleted before", nullptr, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    if (row.made) {
      ASSERT_EQ(test::StoreValue(HKEY_CURRENT_USER, row.made, u"v", REG_BINARY, "x"), 0u);
    }
    const bool hadFile = std::filesystem::exists(m_hive);
    EXPECT_EQ(m_store.DeleteStored(), row.deleted);
    if (!row.deleted) {
      EXPECT_EQ(m_store.LastError(), 2);
    }
    EXPECT_EQ(std::filesystem::exists(m_hive), hadFile);
    NRegKey key;
    EXPECT_FALSE(key.Open(m_store.KeyPath(), KEY_READ));
  }
  // The rest of the tree stays.
  NRegKey parent;
  EXPECT_TRUE(parent.Open(u"HKCU\\Software\\Kelmo\\Bitvane", KEY_READ));

  NPSStore inert{u"Inert"};
  EXPECT_FALSE(inert.DeleteStored());
}

TEST_F(SettingsFileTest, InspectSettingsFileTellsWhereAndInWhatState) {
  const struct {
    const char* label;
    const char* file;   // written below the temporary folder, if any
    const char* bytes;  // what it holds
    bool damaged;
    const char* blocking;  // below the temporary folder; "" none
  } rows[] = {
      {"no file", nullptr, "", false, ""},
      {"not a database", "config/registry.sqlite3", "no database here", true, ""},
      {"a file for the folder", "config", "in the way", false, "/config"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    std::filesystem::remove_all(m_dir.Join("config"));
    if (row.file) {
      std::filesystem::create_directories(
          std::filesystem::path(m_dir.Join(row.file)).parent_path());
      (void)m_dir.Write(row.file, row.bytes);
    }
    const SettingsFileState state = InspectSettingsFile();
    EXPECT_EQ(state.path, m_hive);
    EXPECT_EQ(state.damaged, row.damaged);
    EXPECT_EQ(state.blockingFile, *row.blocking ? m_dir.Path() + row.blocking : "");
    if (row.file) {
      EXPECT_EQ(Contents(m_dir.Join(row.file)), row.bytes);
    }
  }
}

}  // namespace
}  // namespace bitvane
