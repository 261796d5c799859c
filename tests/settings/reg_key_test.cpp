#include "settings/reg_key.h"

#include <gtest/gtest.h>

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

// Deterministic bytes with no period of 256, so a shifted or truncated copy shows.
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
  for (const auto& row : rows) ASSERT_EQ(PutDword(row.root, u"Probe", row.root), ERROR_SUCCESS);
  for (const auto& row : rows) {
    for (const std::u16string_view spelling : row.spellings) {
      SCOPED_TRACE(Narrow(spelling));
      NRegKey key;
      ASSERT_TRUE(key.Open(std::u16string(spelling) + u"\\Probe", KEY_READ)) << key.LastError();
      EXPECT_EQ(GetDword(key), row.root);
    }
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
      {u"Software\\X", KEY_READ, 87},
      {u"HKCUX\\Software\\X", KEY_READ, 87},
      {u"HKCU \\Software\\X", KEY_READ, 87},
      {u"\uFF28\uFF2B\uFF23\uFF35\\Software\\X", KEY_READ, 87},  // full-width letters
      {u"HKCU\\Software\\Missing", KEY_READ, 2},
      {u"HKCU", KEY_READ, 0},
      {u"HKCU\\Software\\\\X", KEY_READ, 0, 7},
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
  // Changing the hive drops every handle: Close reports it and still forgets the key.
  ASSERT_TRUE(key.Open(u"HKCU\\Software\\X", KEY_READ));
  SetRegistryHivePath(m_hive);
  EXPECT_FALSE(key.Close());
  EXPECT_EQ(key.LastError(), 6);
  EXPECT_EQ(key.Handle(), 0u);
  EXPECT_TRUE(key.Close());
}

TEST_F(RegKeyTest, ReadsEveryByteAndListsNamesInCreationOrder) {
  NRegKey key;
  NSTRList names;
  EXPECT_FALSE(key.ListValueNames(names));
  EXPECT_EQ(key.LastError(), 6);
  ASSERT_TRUE(key.Open(u"HKCU\\Software\\Values", kReadWrite));
  NRegKey::Value value;
  ASSERT_FALSE(key.QueryValue(value, u"Absent"));
  names.Add(u"stale");
  SetLastError(ERROR_SUCCESS);
  ASSERT_TRUE(key.ListValueNames(names));
  EXPECT_EQ(names.Count(), 0u);
  EXPECT_EQ(key.LastError(), 0);
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
      {u"Empty", REG_SZ, 0},
      {std::u16string(kRegistryMaxValueName, u'n'), REG_BINARY, 1},  // must fit the list
  };
  std::vector<std::u16string> written;
  for (const auto& row : rows) {
    ASSERT_EQ(test::SetBytes(key.Handle(), row.name.c_str(), Pattern(row.size), row.type), 0u);
    written.push_back(row.name);
  }
  // A failed read empties the value.
  ASSERT_TRUE(key.QueryValue(value, u"Big"));
  EXPECT_FALSE(key.QueryValue(value, u"Absent"));
  EXPECT_EQ(key.LastError(), 2);
  EXPECT_EQ(value.Type(), REG_NONE);
  EXPECT_EQ(value.Size(), 0u);
  EXPECT_EQ(value.Data(), nullptr);
  // One Value for every row: each query must replace all that the one before left.
  for (const auto& row : rows) {
    SCOPED_TRACE(Narrow(row.name.substr(0, 12)));
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
  SetLastError(ERROR_SUCCESS);
  ASSERT_TRUE(key.ListValueNames(names));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(std::vector<std::u16string>(names.begin(), names.end()), written);
}

TEST_F(RegKeyTest, ListValuesGivesEachValueOnceAndPassesOverVanishedOnes) {
  NRegKey key;
  int visits = 0;
  const auto count = [&](const std::u16string&, const NRegKey::Value&) { ++visits; };
  EXPECT_FALSE(key.ListValues(count));
  EXPECT_EQ(key.LastError(), 6);
  ASSERT_TRUE(key.Open(u"HKCU\\Software\\List", kReadWrite));
  EXPECT_TRUE(key.ListValues(count));
  EXPECT_EQ(visits, 0);

  const struct {
    std::u16string name;
    std::uint32_t type;
    std::string bytes;
    std::u16string units;  // the bytes as UTF-16
  } rows[] = {
      {u"Text", REG_SZ, std::string("A\0b\0\0\0", 6), std::u16string(u"Ab\0", 3)},
      {u"", REG_BINARY, "odd", u"\u646F"},  // the last byte dropped
      {u"Gone", REG_DWORD, "1234", u"\u3231\u3433"},
      {u"Big", REG_BINARY, Pattern(NRegKey::kScratchSize + 3), u""},
      {u"Empty", 99, "", u""},
  };
  for (const auto& row : rows) {
    ASSERT_EQ(test::SetBytes(key.Handle(), row.name.c_str(), row.bytes, row.type), 0u);
  }
  std::vector<std::u16string> seen;
  ASSERT_TRUE(key.ListValues([&](const std::u16string& name, const NRegKey::Value& value) {
    // Another writer removes "Gone" once the names are listed.
    if (seen.empty()) {
      EXPECT_EQ(RegDeleteValue(key.Handle(), u"Gone"), ERROR_SUCCESS);
    }
    seen.push_back(name);
    for (const auto& row : rows) {
      if (row.name != name) continue;
      SCOPED_TRACE(Narrow(name));
      EXPECT_EQ(value.Type(), row.type);
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(value.Data()), value.Size()), row.bytes);
      if (row.bytes.size() < 8) {
        EXPECT_TRUE(value.Utf16() == row.units);
      }
    }
  }));
  EXPECT_EQ(key.LastError(), 0);
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"Text", u"", u"Big", u"Empty"}));

  // A key deleted under an open handle cannot be listed.
  ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, u"Software\\List"), ERROR_SUCCESS);
  EXPECT_FALSE(key.ListValues(count));
  EXPECT_EQ(key.LastError(), static_cast<std::int32_t>(ERROR_KEY_DELETED));
}

TEST_F(RegKeyTest, DeleteTreeRemovesEverythingBelowAndOnlyThat) {
  const struct {
    const char* label;
    std::uint32_t access;
    std::u16string_view subKey;
    std::int32_t error;
    bool top, sub, deep, sibling;  // which of the keys' "N" remain
  } rows[] = {
      {"a subkey", kReadWrite, u"Sub", 0, true, false, false, true},
      {"a path", kReadWrite, u"Sub\\Deep", 0, true, true, false, true},
      {"everything below", kReadWrite, u"", 0, false, false, false, false},
      {"a missing subkey", kReadWrite, u"None", 2, true, true, true, true},
      {"without the right", KEY_READ, u"Sub", 5, true, true, true, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    for (const char16_t* path : {u"Software\\Top", u"Software\\Top\\Sub",
                                 u"Software\\Top\\Sub\\Deep", u"Software\\Top\\Sibling"}) {
      ASSERT_EQ(PutDword(HKEY_CURRENT_USER, path, 1), ERROR_SUCCESS);
    }
    NRegKey key;
    ASSERT_TRUE(key.Open(u"HKCU\\Software\\Top", row.access));
    EXPECT_EQ(key.DeleteTree(row.subKey), row.error == 0);
    EXPECT_EQ(key.LastError(), row.error);
    EXPECT_EQ(GetDword(key) == 1, row.top);
    NRegKey probe;
    EXPECT_EQ(probe.Open(u"HKCU\\Software\\Top\\Sub", KEY_READ) && GetDword(probe) == 1, row.sub);
    EXPECT_EQ(probe.Open(u"HKCU\\Software\\Top\\Sub\\Deep", KEY_READ) && GetDword(probe) == 1,
              row.deep);
    EXPECT_EQ(probe.Open(u"HKCU\\Software\\Top\\Sibling", KEY_READ) && GetDword(probe) == 1,
              row.sibling);
  }
  NRegKey closed;
  EXPECT_FALSE(closed.DeleteTree(u"Sub"));
  EXPECT_EQ(closed.LastError(), 6);
}

}  // namespace
}  // namespace bitvane
