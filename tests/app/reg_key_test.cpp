#include "app/reg_key.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace bitvane {
namespace {

constexpr std::uint32_t kReadWrite = KEY_READ | KEY_WRITE;  // 0x2001F

std::string Narrow(std::u16string_view text) { return std::string(text.begin(), text.end()); }

// Deterministic bytes with no period of 256, so a shifted or truncated copy shows.
std::vector<std::uint8_t> Pattern(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = std::uint8_t((i * 2654435761u) >> 13);
  return bytes;
}

class RegKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.Made());
    m_hive = m_dir.Join("hive/registry.sqlite3");
    SetRegistryHivePath(m_hive);
  }

  // Stores REG_DWORD "N" in `subKey` below `root` through raw handles.
  static void PutDword(RegHandle root, const char16_t* subKey, std::uint32_t number) {
    RegHandle key = 0;
    ASSERT_EQ(RegCreateKey(root, subKey, KEY_ALL_ACCESS, &key, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValue(key, u"N", REG_DWORD, reinterpret_cast<const std::uint8_t*>(&number), 4),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  }

  // The REG_DWORD "N" of an open key; ~0 when it cannot be read.
  static std::uint32_t GetDword(NRegKey& key) {
    NRegKey::Value value;
    std::uint32_t number = ~0u;
    if (key.QueryValue(value, u"N") && value.Size() == 4) std::memcpy(&number, value.Data(), 4);
    return number;
  }

  test::TempDir m_dir;
  std::string m_hive;
};

TEST_F(RegKeyTest, EverySpellingOpensItsRoot) {
  const struct {
    RegHandle root;
    std::u16string_view spellings[3];  // in mixed case
  } rows[] = {
      {HKEY_CLASSES_ROOT, {u"hKeY_ClAsSeS_RoOt", u"hCr", u"HkCr"}},
      {HKEY_CURRENT_CONFIG, {u"HkEy_cUrReNt_cOnFiG", u"HcC", u"hkCC"}},
      {HKEY_CURRENT_USER, {u"hkey_CURRENT_user", u"hcU", u"HKcu"}},
      {HKEY_LOCAL_MACHINE, {u"HKEY_local_MACHINE", u"hLm", u"hKlM"}},
      {HKEY_USERS, {u"Hkey_Users", u"hU", u"hKu"}},
      {HKEY_PERFORMANCE_DATA, {u"hKEY_PERFORMANCE_dATA", u"HpD", u"HKpd"}},
      {HKEY_DYN_DATA, {u"HKEY_dyn_DATA", u"hDd", u"hkdD"}},
  };
  // Each root holds its own number, so a spelling mapped to the wrong root reads another.
  for (const auto& row : rows) PutDword(row.root, u"Probe", row.root);
  for (const auto& row : rows) {
    for (const std::u16string_view spelling : row.spellings) {
      SCOPED_TRACE(Narrow(spelling));
      NRegKey key;
      ASSERT_TRUE(key.Open(std::u16string(spelling) + u"\\Probe", KEY_READ)) << key.LastError();
      EXPECT_EQ(GetDword(key), row.root);
    }
  }
}

TEST_F(RegKeyTest, OpenParsesThePath) {
  PutDword(HKEY_CURRENT_USER, u"Software\\X", 7);
  const struct {
    std::u16string_view path;
    std::int32_t error;
  } rows[] = {
      {u"", 87},
      {u"\\HKCU\\Software\\X", 87},
      {u"Software\\X", 87},
      {u"HKCUX\\Software\\X", 87},
      {u"HKCU \\Software\\X", 87},
      {u"\uFF28\uFF2B\uFF23\uFF35\\Software\\X", 87},  // full-width letters
      {u"HKCU\\Software\\Missing", 2},
      {u"HKCU", 0},
      {u"HKCU\\Software\\\\X", 0},
      {u"hkcu\\\\SOFTWARE\\x\\\\", 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Narrow(row.path));
    NRegKey key;
    EXPECT_EQ(key.Open(row.path, KEY_READ), row.error == 0);
    EXPECT_EQ(key.LastError(), row.error);
    EXPECT_EQ(key.Access(), row.error == 0 ? KEY_READ : 0u);
    if (row.error == 0 && row.path.size() > 4) {
      EXPECT_EQ(GetDword(key), 7u);
    }
  }
}

TEST_F(RegKeyTest, CreatesMissingKeysOnlyWithCreateAccess) {
  NRegKey key;
  ASSERT_FALSE(key.Open(u"HKCU\\Software\\NewA\\NewB", KEY_READ));
  EXPECT_EQ(key.LastError(), 2);
  EXPECT_FALSE(std::filesystem::exists(m_dir.Join("hive")));  // not even the folder
  PutDword(HKEY_CURRENT_USER, u"Software", 0);

  const struct {
    std::u16string_view path;
    std::uint32_t access;
    bool created;
  } rows[] = {
      {u"HKCU\\Software\\NewA\\NewB", kReadWrite, true},  // two new keys
      {u"HKCU\\Software\\NewA\\NewB", kReadWrite, false},
      {u"HKCU\\Software\\NewA\\NewB\\NewC", kReadWrite, true},  // one new key after old ones
      {u"HKCU\\Software\\NewA\\NewB\\NewC", KEY_READ, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Narrow(row.path));
    ASSERT_TRUE(key.Open(row.path, row.access)) << key.LastError();
    EXPECT_EQ(key.Created(), row.created);
    EXPECT_EQ(key.Access(), row.access);
  }
}

TEST_F(RegKeyTest, QueryValueReturnsEveryByte) {
  const struct {
    std::u16string_view name;
    std::uint32_t type;
    std::uint32_t size;
  } rows[] = {
      {u"", REG_SZ, 6},  // the key's default value
      {u"Big", REG_BINARY, 100000},
      {u"ScratchLess1", REG_BINARY, NRegKey::kScratchSize - 1},
      {u"Scratch", REG_BINARY, NRegKey::kScratchSize},
      {u"ScratchPlus1", REG_MULTI_SZ, NRegKey::kScratchSize + 1},
      {u"Empty", REG_SZ, 0},
  };
  NRegKey key;
  ASSERT_TRUE(key.Open(u"HKCU\\Software\\Values", kReadWrite));
  for (const auto& row : rows) {
    ASSERT_EQ(RegSetValue(key.Handle(), std::u16string(row.name).c_str(), row.type,
                          Pattern(row.size).data(), row.size),
              ERROR_SUCCESS);
  }
  // One Value for every row: each query must replace all that the one before left.
  NRegKey::Value value;
  for (const auto& row : rows) {
    SCOPED_TRACE(Narrow(row.name));
    ASSERT_TRUE(key.QueryValue(value, row.name)) << key.LastError();
    EXPECT_EQ(key.LastError(), 0);
    EXPECT_EQ(value.Type(), row.type);
    ASSERT_EQ(value.Size(), row.size);
    if (row.size == 0) {
      EXPECT_EQ(value.Data(), nullptr);
      continue;
    }
    ASSERT_NE(value.Data(), nullptr);
    EXPECT_EQ(std::memcmp(value.Data(), Pattern(row.size).data(), row.size), 0);
    EXPECT_EQ(value.Data()[row.size], 0);
    EXPECT_EQ(value.Data()[row.size + 1], 0);
  }

  ASSERT_TRUE(key.QueryValue(value, u"Big"));
  EXPECT_FALSE(key.QueryValue(value, u"Absent"));
  EXPECT_EQ(key.LastError(), 2);
  EXPECT_EQ(value.Type(), REG_NONE);
  EXPECT_EQ(value.Size(), 0u);
  EXPECT_EQ(value.Data(), nullptr);
}

TEST_F(RegKeyTest, ListValueNamesInCreationOrder) {
  NRegKey key;
  NSTRList names;
  EXPECT_FALSE(key.ListValueNames(names));
  EXPECT_EQ(key.LastError(), 6);

  ASSERT_TRUE(key.Open(u"HKCU\\Software\\Listed", kReadWrite));
  NRegKey::Value value;
  ASSERT_FALSE(key.QueryValue(value, u"Absent"));
  names.Add(u"stale");
  SetLastError(ERROR_SUCCESS);
  ASSERT_TRUE(key.ListValueNames(names));
  EXPECT_EQ(names.Count(), 0u);
  EXPECT_EQ(key.LastError(), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);

  // The longest name a value may have must fit the list's buffer.
  const std::u16string written[] = {u"Zeta", u"alpha", std::u16string(kRegistryMaxValueName, u'n'),
                                    u"", u"Mid"};
  for (const std::u16string& name : written) {
    ASSERT_EQ(RegSetValue(key.Handle(), name.c_str(), REG_SZ, nullptr, 0), ERROR_SUCCESS);
  }

  SetLastError(ERROR_SUCCESS);
  ASSERT_TRUE(key.ListValueNames(names));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);
  std::vector<std::u16string> listed(names.begin(), names.end());
  EXPECT_EQ(listed, std::vector<std::u16string>(std::begin(written), std::end(written)));
}

TEST_F(RegKeyTest, CloseForgetsTheKey) {
  NRegKey key;
  for (const bool dropped : {false, true}) {
    ASSERT_TRUE(key.Open(u"HKCU\\Software\\Closing", kReadWrite));
    // Changing the hive drops every handle: the failure is reported, the key still forgotten.
    if (dropped) SetRegistryHivePath(m_hive);
    EXPECT_EQ(key.Close(), !dropped);
    EXPECT_EQ(key.LastError(), dropped ? 6 : 0);
    EXPECT_EQ(key.Handle(), 0u);
    EXPECT_EQ(key.Access(), 0u);
    EXPECT_FALSE(key.Created());
    EXPECT_TRUE(key.Close());
  }
}

}  // namespace
}  // namespace bitvane
