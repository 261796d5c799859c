#include "settings/reg_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/registry_helpers.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

constexpr std::uint32_t kReadWrite = KEY_READ | KEY_WRITE;

using test::Narrow;

// Deterministic bytes with no period of 256, so a shifted or truncated copy
// shows.
std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = char((i * 2654435761u) >> 13);
  return bytes;
}

// Stores REG_DWORD "N" in `subKey` below `root`.
ErrorCode PutDword(RegHandle root, const char16_t* subKey, std::uint32_t number) {
  return test::StoreValue(root, subKey, u"N", REG_DWORD, {reinterpret_cast<char*>(&number), 4});
}

// The REG_DWORD "N" of an open key; ~0 when it cannot be read.
std::uint32_t GetDword(NRegKey& key) {
  NRegKey::Value value;
  std::uint32_t number = ~0u;
  if (key.QueryValue(value, u"N") && value.Size() == 4) std::memcpy(&number, value.Data(), 4);
  return number;
}

class RegKeyTest : public test::TempHiveTest {
 protected:
  RegKeyTest() : TempHiveTest("hive/registry.sqlite3") {}
};

TEST(RegKeyRoots, EverySpellingFindsItsRoot) {
  const struct {
    RegHandle root;
    std::u16string_view spelling;  // each form once, in mixed case
  } rows[] = {
      {HKEY_CLASSES_ROOT, u"hKeY_ClAsSeS_RoOt"},
      {HKEY_CURRENT_CONFIG, u"HcC"},
      {HKEY_CURRENT_USER, u"HKcu"},
      {HKEY_LOCAL_MACHINE, u"HKEY_local_MACHINE"},
      {HKEY_USERS, u"hU"},
      {HKEY_PERFORMANCE_DATA, u"HKpd"},
      {HKEY_DYN_DATA, u"hkey_dyn_data"},
      {0, u"HKCUX"},
      {0, u"\uFF28\uFF2B\uFF23\uFF35"},  // full-width letters
      {0, u""},
  };
  for (const auto& row : rows) {
    RegHandle root = 0;
    EXPECT_EQ(NRegKey::FindRoot(row.spelling, root), row.root != 0) << Narrow(row.spelling);
    EXPECT_EQ(root, row.root) << Narrow(row.spelling);
  }
}

TEST_F(RegKeyTest, OpenParsesThePathAndCreatesOnlyWithCreateAccess) {
  NRegKey key;
  ASSERT_FALSE(key.Open(u"HKCU\\Software\\X", KEY_READ));
  EXPECT_EQ(key.LastError(), 2);
  EXPECT_FALSE(std::filesystem::exists(m_dir.Join("hive")));  // not even the folder
  ASSERT_EQ(PutDword(HKEY_CURRENT_USER, u"Software\\X", 7), ERROR_SUCCESS);
  const struct {
    std::u16string_view path;
    std::uint32_t access;
    std::int32_t error;
    std::uint32_t number = ~0u;  // "N" of the opened key
    bool created = false;
  } rows[] = {
      {u"", KEY_READ, 87},
      {u"\\HKCU\\Software\\X", KEY_READ, 87},
      {u"HKCUX\\Software\\X", KEY_READ, 87},
      {u"HKCU\\Software\\Missing", KEY_READ, 2},
      {u"HKCU", KEY_READ, 0},
      {u"hkcu\\\\SOFTWARE\\x\\\\", KEY_READ, 0, 7},
      {u"HKCU\\Software\\NewA\\NewB", kReadWrite, 0, ~0u, true},  // two new keys
      {u"HKCU\\Software\\NewA\\NewB", kReadWrite, 0},
      {u"HKCU\\Software\\NewA\\NewB\\NewC", kReadWrite, 0, ~0u, true},  // one after old ones
      {u"HKCU\\Software\\NewA\\NewB\\NewC", KEY_READ, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Narrow(row.path));
    EXPECT_EQ(key.Open(row.path, row.access), row.error == 0);
    EXPECT_EQ(key.LastError(), row.error);
    EXPECT_EQ(key.Access(), row.error == 0 ? row.access : 0u);
    EXPECT_EQ(key.Created(), row.created);
    EXPECT_EQ(GetDword(key), row.number);
    EXPECT_TRUE(key.Close());  // forgets the key
    EXPECT_EQ(key.Handle(), 0u);
    EXPECT_EQ(key.Access(), 0u);
    EXPECT_FALSE(key.Created());
  }
  // Changing the hive drops every handle: Close reports it and still forgets
  // the key.
  ASSERT_TRUE(key.Open(u"HKCU\\Software\\X", KEY_READ));
  SetRegistryHivePath(m_hive);
  EXPECT_FALSE(key.Close());
  EXPECT_EQ(key.LastError(), 6);
  EXPECT_EQ(key.Handle(), 0u);
  EXPECT_TRUE(key.Close());
  // A stale handle does not stand in the way of opening the key again.
  ASSERT_TRUE(key.Open(u"HKCU\\Software\\X", KEY_READ));
  SetRegistryHivePath(m_hive);
  EXPECT_TRUE(key.Open(u"HKCU\\Software\\X", KEY_READ));
  EXPECT_EQ(key.LastError(), 0);
  EXPECT_EQ(GetDword(key), 7u);
}

TEST_F(RegKeyTest, ReadsAndListsEveryByteOfEveryValue) {
  NRegKey key;
  NSTRList names;
  const auto ignore = [](const std::u16string&, const NRegKey::Value&) {};
  EXPECT_FALSE(key.ListValueNames(names));
  EXPECT_EQ(key.LastError(), 6);
  ASSERT_TRUE(key.Open(u"HKCU\\Software\\Values", kReadWrite));
  names.Add(u"stale");
  SetLastError(ERROR_SUCCESS);
  ASSERT_TRUE(key.ListValueNames(names));
  EXPECT_EQ(names.Count(), 0u);
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);

  const struct {
    std::u16string name;
    std::uint32_t type;
    std::uint32_t size;
  } rows[] = {
      {u"", REG_SZ, 6},  // the key's default value
      {u"Big", REG_BINARY, 100000},
      {u"ScratchLess1", REG_BINARY, NRegKey::kScratchSize - 1},
      {u"Scratch", REG_BINARY, NRegKey::kScratchSize},
      {u"ScratchPlus1", REG_MULTI_SZ, NRegKey::kScratchSize + 1},
      {u"Empty", 99, 0},
      {std::u16string(kRegistryMaxValueName, u'n'), REG_BINARY, 1},  // must fit the list
  };
  for (const auto& row : rows) {
    ASSERT_EQ(test::SetBytes(key.Handle(), row.name.c_str(), Pattern(row.size), row.type), 0u);
  }
  // A failed read empties the value.
  NRegKey::Value value;
  ASSERT_TRUE(key.QueryValue(value, u"Big"));
  EXPECT_FALSE(key.QueryValue(value, u"Absent"));
  EXPECT_EQ(key.LastError(), 2);
  EXPECT_EQ(value.Type(), REG_NONE);
  EXPECT_EQ(value.Size(), 0u);
  EXPECT_EQ(value.Data(), nullptr);
  // One Value for every row: each read must replace all that the one before
  // left. "Big" is removed by another writer once the names are listed.
  std::vector<std::u16string> seen, expected;
  for (const auto& row : rows) {
    if (row.name != u"Big") expected.push_back(row.name);
  }
  ASSERT_TRUE(key.ListValues([&](const std::u16string& name, const NRegKey::Value& read) {
    if (seen.empty()) {
      EXPECT_EQ(RegDeleteValue(key.Handle(), u"Big"), 0u);
    }
    seen.push_back(name);
    const auto row = std::find_if(std::begin(rows), std::end(rows),
                                  [&](const auto& candidate) { return candidate.name == name; });
    ASSERT_NE(row, std::end(rows));
    SCOPED_TRACE(Narrow(name.substr(0, 12)));
    EXPECT_EQ(read.Type(), row->type);
    ASSERT_EQ(read.Size(), row->size);
    EXPECT_EQ(read.Utf16().size(), row->size / 2);  // an odd last byte dropped
    if (row->size == 0) {
      EXPECT_EQ(read.Data(), nullptr);
      return;
    }
    EXPECT_EQ(std::memcmp(read.Data(), Pattern(row->size).data(), row->size), 0);
    EXPECT_EQ(read.Data()[row->size], 0);
    EXPECT_EQ(read.Data()[row->size + 1], 0);
  }));
  EXPECT_EQ(key.LastError(), 0);
  EXPECT_EQ(seen, expected);
  // A key deleted under an open handle cannot be listed.
  ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, u"Software\\Values"), ERROR_SUCCESS);
  EXPECT_FALSE(key.ListValues(ignore));
  EXPECT_EQ(key.LastError(), static_cast<std::int32_t>(ERROR_KEY_DELETED));
}

// Deletes what the registry deletes; its result is the key's.
TEST_F(RegKeyTest, DeleteTreeRemovesASubkeyWithAllBelowIt) {
  NRegKey closed;
  EXPECT_FALSE(closed.DeleteTree(u"Sub"));
  EXPECT_EQ(closed.LastError(), 6);
  ASSERT_EQ(PutDword(HKEY_CURRENT_USER, u"Software\\Top\\Sub\\Deep", 1), 0u);
  ASSERT_EQ(PutDword(HKEY_CURRENT_USER, u"Software\\Top\\Sibling", 1), 0u);
  NRegKey key, probe;
  ASSERT_TRUE(key.Open(u"HKCU\\Software\\Top", kReadWrite));
  EXPECT_TRUE(key.DeleteTree(u"Sub"));
  EXPECT_EQ(key.LastError(), 0);
  EXPECT_FALSE(probe.Open(u"HKCU\\Software\\Top\\Sub", KEY_READ));
  EXPECT_TRUE(probe.Open(u"HKCU\\Software\\Top\\Sibling", KEY_READ));
  EXPECT_FALSE(key.DeleteTree(u"Sub"));
  EXPECT_EQ(key.LastError(), 2);
}

}  // namespace
}  // namespace bitvane
