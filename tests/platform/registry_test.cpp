#include "platform/registry.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/registry_hive.h"
#include "platform/registry_names.h"
#include "tests/support/temp_dir.h"

namespace bitvane {
namespace {

using test::TempDir;

ErrorCode Set(RegHandle key, const char16_t* name, const std::string& bytes,
              std::uint32_t type = REG_BINARY) {
  return RegSetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                     static_cast<std::uint32_t>(bytes.size()));
}

// The value's bytes; `error` receives the result.
std::string Get(RegHandle key, const char16_t* name, ErrorCode& error,
                std::uint32_t* type = nullptr) {
  std::uint32_t size = 0;
  error = RegQueryValue(key, name, nullptr, nullptr, &size);
  std::string bytes(size, '\0');
  if (error == ERROR_SUCCESS) {
    error = RegQueryValue(key, name, type, reinterpret_cast<std::uint8_t*>(bytes.data()), &size);
  }
  return bytes;
}

std::u16string EnumName(RegHandle key, std::uint32_t index, ErrorCode& error) {
  char16_t name[64] = {};
  std::uint32_t length = 64;
  error = RegEnumValue(key, index, name, &length, nullptr);
  return std::u16string(name, error == ERROR_SUCCESS ? length : 0);
}

// Runs `sql` on its own read-only connection to `path`; the rows' first columns.
std::vector<std::string> Column(const std::string& path, const char* sql) {
  std::vector<std::string> rows;
  sqlite3* db = nullptr;
  sqlite3_stmt* query = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, sql, -1, &query, nullptr) == SQLITE_OK) {
    while (sqlite3_step(query) == SQLITE_ROW) {
      const auto* bytes = static_cast<const char*>(sqlite3_column_blob(query, 0));
      rows.emplace_back(bytes ? bytes : "",
                        static_cast<std::size_t>(sqlite3_column_bytes(query, 0)));
    }
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  return rows;
}

// Every test works on a hive in a folder that does not exist yet.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.Made());
    SetRegistryHivePath(Hive());
  }
  void TearDown() override { SetRegistryHivePath(""); }

  std::string Folder() const { return m_dir.Join("config"); }
  std::string Hive() const { return Folder() + "/registry.sqlite3"; }

  TempDir m_dir;
};

RegHandle Create(RegHandle parent, const char16_t* path, std::uint32_t* disposition = nullptr) {
  RegHandle key = 0;
  EXPECT_EQ(RegCreateKey(parent, path, KEY_ALL_ACCESS, &key, disposition), ERROR_SUCCESS);
  return key;
}

TEST(FoldRegistryName, UpperCasesTheCoveredScripts) {
  const struct {
    std::u16string name, folded;
  } rows[] = {
      {u"Software\\x_9", u"SOFTWARE\\X_9"},
      {u"\u00e4\u00fe\u00ff\u00f7\u00df\u00b5", u"\u00c4\u00de\u0178\u00f7\u00df\u00b5"},
      {u"\u0101\u0133\u013a\u0148\u014b\u017a\u017e",
       u"\u0100\u0132\u0139\u0147\u014a\u0179\u017d"},
      {u"\u0100\u0139\u0131\u0138\u0149\u017f", u"\u0100\u0139\u0131\u0138\u0149\u017f"},
      {u"\u03bf\u03b4\u03bf\u03c2\u03c3\u03ac\u03ad\u03cc\u03ce\u03ca",
       u"\u039f\u0394\u039f\u03a3\u03a3\u0386\u0388\u038c\u038f\u03aa"},
      {u"\u043f\u0440\u0438\u0451\u045f", u"\u041f\u0420\u0418\u0401\u040f"},
      {u"\uff41\uff5a\u4e2d\U0001F600", u"\uff21\uff3a\u4e2d\U0001F600"},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    EXPECT_TRUE(FoldRegistryName(rows[i].name) == rows[i].folded) << "row " << i;
    const std::string bytes = Utf16LeBytes(rows[i].name);
    EXPECT_TRUE(Utf16FromLeBytes(bytes.data(), bytes.size()) == rows[i].name) << "row " << i;
  }
}

TEST(DamagedHiveName, StampsUtcTimeAndAttempt) {
  const struct {
    std::time_t when;
    int attempt;
    const char* name;
  } rows[] = {
      {0, 1, "/h/r.db.damaged-19700101T000000Z"},
      {1700000000, 0, "/h/r.db.damaged-20231114T221320Z"},
      {1700000000, 2, "/h/r.db.damaged-20231114T221320Z-2"},
      {951782400, 12, "/h/r.db.damaged-20000229T000000Z-12"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(DamagedHiveName("/h/r.db", row.when, row.attempt), row.name);
  }
}

TEST_F(RegistryTest, ReadsAndRefusedWritesCreateNothing) {
  for (RegHandle root = HKEY_CLASSES_ROOT; root <= HKEY_DYN_DATA; ++root) {
    RegHandle key = 0;
    ASSERT_EQ(RegOpenKey(root, u"", KEY_READ, &key), ERROR_SUCCESS) << root;
    EXPECT_NE(key, root);
    RegKeyInfo info{1, 1, 1, 1, 1};
    EXPECT_EQ(RegQueryInfoKey(key, &info), ERROR_SUCCESS);
    EXPECT_EQ(info.subKeys + info.values + info.maxValueData, 0u);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(root), ERROR_SUCCESS);
  }
  RegHandle key = 0;
  RegHandle readOnly = 0;
  ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, nullptr, KEY_READ, &readOnly), ERROR_SUCCESS);
  std::uint32_t size = 0;
  const struct {
    std::function<ErrorCode()> call;
    ErrorCode expected;
  } rows[] = {
      {[&] { return RegOpenKey(HKEY_DYN_DATA + 1, nullptr, KEY_READ, &key); },
       ERROR_INVALID_HANDLE},
      {[&] { return RegOpenKey(HKEY_CURRENT_USER, u"Software", KEY_READ, &key); },
       ERROR_FILE_NOT_FOUND},
      {[&] { return RegOpenKey(HKEY_USERS, u"A\\B", KEY_READ, &key); }, ERROR_FILE_NOT_FOUND},
      {[&] { return RegQueryValue(readOnly, u"v", nullptr, nullptr, &size); },
       ERROR_FILE_NOT_FOUND},
      {[&] { return RegDeleteValue(HKEY_CURRENT_USER, u"v"); }, ERROR_FILE_NOT_FOUND},
      {[&] { return RegDeleteTree(HKEY_CURRENT_USER, u"A"); }, ERROR_FILE_NOT_FOUND},
      {[&] { return RegDeleteTree(HKEY_CURRENT_USER, nullptr); }, ERROR_SUCCESS},
      {[&] { return RegCreateKey(HKEY_CURRENT_USER, u"A\\\\B", 0, &key, nullptr); },
       ERROR_INVALID_PARAMETER},
      {[&] { return RegCreateKey(readOnly, u"A", KEY_READ, &key, nullptr); }, ERROR_ACCESS_DENIED},
      {[&] { return Set(readOnly, u"v", "x"); }, ERROR_ACCESS_DENIED},
      {[] { return RegEndBatch(true); }, ERROR_INVALID_PARAMETER},
      // A key that is there already needs no write.
      {[&] { return RegCreateKey(HKEY_CURRENT_USER, u"", KEY_READ, &key, nullptr); },
       ERROR_SUCCESS},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    EXPECT_EQ(rows[i].call(), rows[i].expected) << "row " << i;
    EXPECT_EQ(::access(Folder().c_str(), F_OK), -1) << "row " << i;
  }
  EXPECT_EQ(RegistryHivePath(), Hive());
}

TEST_F(RegistryTest, CreateMakesTheHiveAndTellsWhatItDid) {
  std::uint32_t disposition = 0;
  const RegHandle settings =
      Create(HKEY_CURRENT_USER, u"Software\\Bitvane\\Settings", &disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  EXPECT_EQ(InspectHive(Hive()), HiveState::Ours);
  const struct {
    RegHandle parent;
    const char16_t* path;
    std::uint32_t disposition;
  } rows[] = {
      {HKEY_CURRENT_USER, u"Software\\Bitvane\\Settings", REG_OPENED_EXISTING_KEY},
      {HKEY_CURRENT_USER, u"Software", REG_OPENED_EXISTING_KEY},
      {HKEY_CURRENT_USER, u"Software\\Other\\Deeper", REG_CREATED_NEW_KEY},
      {settings, nullptr, REG_OPENED_EXISTING_KEY},
      {settings, u"Child", REG_CREATED_NEW_KEY},
      {HKEY_LOCAL_MACHINE, u"Software", REG_CREATED_NEW_KEY},  // every root its own tree
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    disposition = 0;
    EXPECT_EQ(RegCloseKey(Create(rows[i].parent, rows[i].path, &disposition)), ERROR_SUCCESS);
    EXPECT_EQ(disposition, rows[i].disposition) << "row " << i;
  }
  RegHandle software = 0;
  ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"Software", KEY_READ, &software), ERROR_SUCCESS);
  RegHandle key = 0;
  EXPECT_EQ(RegOpenKey(software, u"Bitvane\\Settings\\Child", KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKey(software, u"Bitvane\\Missing", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, 0u);

  // Name limits: an empty component or one over 255 characters.
  const std::u16string longest(kRegistryMaxKeyName, u'K');
  for (const std::u16string& path : {std::u16string(u"\\A"), std::u16string(u"A\\"),
                                     std::u16string(u"A\\\\B"), longest + u"K\\A"}) {
    EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, path.c_str(), KEY_READ, &key), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKey(HKEY_CURRENT_USER, path.c_str(), KEY_ALL_ACCESS, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteTree(HKEY_CURRENT_USER, path.c_str()), ERROR_INVALID_PARAMETER);
  }
  EXPECT_EQ(RegCloseKey(Create(HKEY_CURRENT_USER, (longest + u"\\" + longest).c_str())), 0u);
  RegKeyInfo info;
  ASSERT_EQ(RegQueryInfoKey(HKEY_CURRENT_USER, &info), ERROR_SUCCESS);
  EXPECT_EQ(info.subKeys, 2u);  // Software and the long one: children only
  EXPECT_EQ(info.maxSubKeyName, kRegistryMaxKeyName);
  const std::u16string longValue(kRegistryMaxValueName + 1, u'v');
  EXPECT_EQ(Set(HKEY_CURRENT_USER, longValue.c_str(), "x"), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, NamesIgnoreCaseKeysKeepFirstSpellingValuesTakeLatest) {
  const struct {
    const char16_t* first;
    const char16_t* second;
    bool same;
  } rows[] = {
      {u"MixedCase", u"mIXEDcASE", true},
      {u"\u00c4RGER", u"\u00e4rger", true},
      {u"\u041f\u0420\u0418\u0412\u0415\u0422", u"\u043f\u0440\u0438\u0432\u0435\u0442", true},
      {u"\u039f\u0394\u039f\u03a3", u"\u03bf\u03b4\u03bf\u03c2", true},  // final sigma
      {u"\uff21\uff22", u"\uff41\uff42", true},
      {u"Stra\u00dfe", u"STRASSE", false},
      {u"I", u"\u0131", false},
      {u"e", u"\u00e9", false},
  };
  const RegHandle values = Create(HKEY_CURRENT_USER, u"Values");
  std::vector<std::string> spellings = {Utf16LeBytes(u"Values")};
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const auto& row = rows[i];
    std::uint32_t disposition = 0;
    EXPECT_EQ(RegCloseKey(Create(HKEY_CURRENT_USER, row.first)), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(Create(HKEY_CURRENT_USER, row.second, &disposition)), ERROR_SUCCESS);
    EXPECT_EQ(disposition, row.same ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY) << "row " << i;
    spellings.push_back(Utf16LeBytes(row.first));
    if (!row.same) spellings.push_back(Utf16LeBytes(row.second));

    ASSERT_EQ(RegDeleteTree(values, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(Set(values, row.first, "1"), ERROR_SUCCESS);
    ASSERT_EQ(Set(values, row.second, "2"), ERROR_SUCCESS);
    ErrorCode error = 0;
    EXPECT_EQ(Get(values, row.first, error), row.same ? "2" : "1") << "row " << i;
    EXPECT_TRUE(EnumName(values, 0, error) == (row.same ? row.second : row.first)) << "row " << i;
    EnumName(values, 1, error);
    EXPECT_EQ(error, row.same ? ERROR_NO_MORE_ITEMS : ERROR_SUCCESS) << "row " << i;
  }
  // The keys right below HKEY_CURRENT_USER (row 2), as stored.
  EXPECT_EQ(Column(Hive(), "SELECT name FROM keys WHERE parent = 2 ORDER BY id"), spellings);
}

TEST_F(RegistryTest, ValuesKeepTypeAndExactBytes) {
  std::string every;
  for (int i = 0; i < 256; ++i) every.push_back(static_cast<char>(i));
  std::string large(100000, '\0');
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 + i / 251);
  const struct {
    const char16_t* name;
    std::uint32_t type;
    std::string bytes;
  } rows[] = {
      {nullptr, REG_SZ, Utf16LeBytes(std::u16string(u"default\0", 8))},
      {u"empty", REG_BINARY, ""},
      {u"dword", REG_DWORD, std::string("\x78\x56\x34\x12", 4)},
      {u"zeros", REG_NONE, std::string(9, '\0')},
      {u"every byte", REG_MULTI_SZ, every},
      {u"large", REG_BINARY, large},
      {u"odd type", 0xDEADBEEF, "x"},
  };
  RegHandle key = Create(HKEY_CURRENT_USER, u"Data");
  for (const auto& row : rows) ASSERT_EQ(Set(key, row.name, row.bytes, row.type), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValue(key, u"null", REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValue(key, u"null", REG_BINARY, nullptr, 1), ERROR_INVALID_PARAMETER);

  SetRegistryHivePath(Hive());  // a fresh start reads what the file holds
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"Data", KEY_READ, &key), ERROR_SUCCESS);
  for (const auto& row : rows) {
    ErrorCode error = 0;
    std::uint32_t type = 0;
    EXPECT_TRUE(Get(key, row.name, error, &type) == row.bytes) << row.type;
    EXPECT_EQ(error, ERROR_SUCCESS);
    EXPECT_EQ(type, row.type);
  }
  ErrorCode error = 0;
  EXPECT_TRUE(Get(key, u"", error) == rows[0].bytes);  // the empty name is the default value
  EXPECT_TRUE(Get(key, u"NULL", error).empty());
  EXPECT_EQ(error, ERROR_SUCCESS);
  RegKeyInfo info;
  ASSERT_EQ(RegQueryInfoKey(key, &info), ERROR_SUCCESS);
  EXPECT_EQ(info.values, 8u);
  EXPECT_EQ(info.maxValueName, 10u);
  EXPECT_EQ(info.maxValueData, 100000u);
}

TEST_F(RegistryTest, QueryValueSizeProtocol) {
  ASSERT_EQ(Set(HKEY_CURRENT_USER, u"v", "0123456789", REG_SZ), ERROR_SUCCESS);
  const struct {
    bool withData;
    std::uint32_t room;
    ErrorCode expected;
  } rows[] = {
      {false, 0, ERROR_SUCCESS},  {false, 3, ERROR_SUCCESS}, {true, 0, ERROR_MORE_DATA},
      {true, 9, ERROR_MORE_DATA}, {true, 10, ERROR_SUCCESS}, {true, 64, ERROR_SUCCESS},
  };
  for (const auto& row : rows) {
    std::uint8_t buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), 0xAA);
    std::uint32_t type = 0;
    std::uint32_t size = row.room;
    EXPECT_EQ(RegQueryValue(HKEY_CURRENT_USER, u"V", &type, row.withData ? buffer : nullptr, &size),
              row.expected)
        << row.room;
    EXPECT_EQ(size, 10u) << row.room;
    EXPECT_EQ(type, REG_SZ) << row.room;
    const bool copied = row.expected == ERROR_SUCCESS && row.withData;
    EXPECT_EQ(buffer[0], copied ? '0' : 0xAA) << row.room;
    EXPECT_EQ(buffer[9], copied ? '9' : 0xAA) << row.room;
    EXPECT_EQ(buffer[10], 0xAA) << row.room;
  }
  std::uint8_t byte = 0;
  EXPECT_EQ(RegQueryValue(HKEY_CURRENT_USER, u"v", nullptr, &byte, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValue(HKEY_CURRENT_USER, u"v", nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValue(HKEY_CURRENT_USER, u"w", nullptr, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, AccessRightsAndHandles) {
  const RegHandle all = Create(HKEY_CURRENT_USER, u"K");
  ASSERT_EQ(Set(all, u"v", "x"), ERROR_SUCCESS);
  RegHandle closed = 0;
  ASSERT_EQ(RegOpenKey(all, nullptr, KEY_ALL_ACCESS, &closed), ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
  const struct {
    std::uint32_t access;  // 0: the closed handle
    ErrorCode read, write, create;
  } rows[] = {
      {KEY_READ, ERROR_SUCCESS, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
      {KEY_WRITE, ERROR_ACCESS_DENIED, ERROR_SUCCESS, ERROR_SUCCESS},
      {KEY_SET_VALUE, ERROR_ACCESS_DENIED, ERROR_SUCCESS, ERROR_ACCESS_DENIED},
      {KEY_ALL_ACCESS, ERROR_SUCCESS, ERROR_SUCCESS, ERROR_SUCCESS},
      {0, ERROR_INVALID_HANDLE, ERROR_INVALID_HANDLE, ERROR_INVALID_HANDLE},
  };
  for (const auto& row : rows) {
    RegHandle key = closed;
    if (row.access != 0) {
      ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"k", row.access, &key), ERROR_SUCCESS);
    }
    std::uint32_t size = 0;
    RegKeyInfo info;
    RegHandle sub = 0;
    EXPECT_EQ(RegQueryValue(key, u"v", nullptr, nullptr, &size), row.read) << row.access;
    EXPECT_EQ(RegQueryInfoKey(key, &info), row.read) << row.access;
    EXPECT_EQ(Set(key, u"w", "y"), row.write) << row.access;
    EXPECT_EQ(RegDeleteTree(key, nullptr), row.write) << row.access;
    EXPECT_EQ(RegCreateKey(key, u"Sub", KEY_READ, &sub, nullptr), row.create) << row.access;
    const ErrorCode handleOk = row.access ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    EXPECT_EQ(RegOpenKey(key, nullptr, KEY_READ, &sub), handleOk) << row.access;
    EXPECT_EQ(RegCloseKey(key), handleOk) << row.access;
    ASSERT_EQ(Set(all, u"v", "x"), ERROR_SUCCESS);  // back after RegDeleteTree
  }
  RegHandle key = 0;
  EXPECT_EQ(RegOpenKey(0, nullptr, KEY_READ, &key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKey(12345, nullptr, KEY_READ, &key), ERROR_INVALID_HANDLE);
  SetRegistryHivePath(Hive());  // ends every handle
  EXPECT_EQ(RegCloseKey(all), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, EnumerationFollowsCreationOrder) {
  const RegHandle key = Create(HKEY_CURRENT_USER, u"E");
  for (const char16_t* name : {u"b", u"a", u"Longer", u"", u"c"}) {
    ASSERT_EQ(Set(key, name, "x"), ERROR_SUCCESS);
  }
  ASSERT_EQ(Set(key, u"A", "y", REG_DWORD), ERROR_SUCCESS);  // replaces "a" in its place
  ASSERT_EQ(RegDeleteValue(key, u"B"), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValue(key, u"b"), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(Set(key, u"b", "z"), ERROR_SUCCESS);  // back, now last
  const std::u16string expected[] = {u"A", u"Longer", u"", u"c", u"b"};
  ErrorCode error = 0;
  for (std::uint32_t i = 0; i < 5; ++i) EXPECT_TRUE(EnumName(key, i, error) == expected[i]) << i;
  EnumName(key, 5, error);
  EXPECT_EQ(error, ERROR_NO_MORE_ITEMS);

  char16_t name[8] = {};
  std::uint32_t type = 0;
  for (const std::uint32_t room : {0u, 6u, 7u}) {
    std::uint32_t length = room;
    EXPECT_EQ(RegEnumValue(key, 1, name, &length, &type), room > 6 ? 0u : ERROR_MORE_DATA);
    EXPECT_EQ(length, 6u) << room;
  }
  EXPECT_TRUE(std::u16string(name) == u"Longer");
  EXPECT_EQ(type, REG_BINARY);
}

TEST_F(RegistryTest, DeleteTreeRemovesTheSubtreeAndStaleHandlesSeeItGone) {
  const RegHandle keep = Create(HKEY_CURRENT_USER, u"Keep");
  const RegHandle deep = Create(HKEY_CURRENT_USER, u"A\\B\\C");
  const RegHandle b = Create(HKEY_CURRENT_USER, u"a\\b");
  ASSERT_EQ(Set(deep, u"v", "deep"), ERROR_SUCCESS);
  ASSERT_EQ(Set(keep, u"v", "keep"), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, u"A\\Missing"), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, u"a"), ERROR_SUCCESS);
  RegHandle key = 0;
  EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"A", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  // Keys made afterwards must not stand in for the removed ones.
  const RegHandle fresh = Create(HKEY_CURRENT_USER, u"X\\Y\\Z");
  for (const RegHandle stale : {b, deep}) {
    std::uint32_t size = 0;
    RegKeyInfo info;
    EXPECT_EQ(RegQueryValue(stale, u"v", nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(Set(stale, u"v", "again"), ERROR_KEY_DELETED);
    EXPECT_EQ(RegQueryInfoKey(stale, &info), ERROR_KEY_DELETED);
    EXPECT_EQ(RegOpenKey(stale, nullptr, KEY_READ, &key), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCreateKey(stale, u"New", KEY_READ, &key, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(stale), ERROR_SUCCESS);
  }
  ErrorCode error = 0;
  EXPECT_EQ(Get(keep, u"v", error), "keep");
  Get(fresh, u"v", error);
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);

  // Without a subkey: what is below the key goes, its values too; the key stays.
  ASSERT_EQ(RegCloseKey(Create(keep, u"Child")), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteTree(keep, nullptr), ERROR_SUCCESS);
  RegKeyInfo info{1, 1, 1, 1, 1};
  ASSERT_EQ(RegQueryInfoKey(keep, &info), ERROR_SUCCESS);
  EXPECT_EQ(info.subKeys + info.values, 0u);
  EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"keep", KEY_READ, &key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, BatchesCommitTogetherOrNotAtAll) {
  // What another connection sees of the file now.
  const auto stored = [&] { return Column(Hive(), "SELECT data FROM vals ORDER BY id"); };
  ASSERT_EQ(RegBeginBatch(), ERROR_SUCCESS);
  EXPECT_EQ(RegBeginBatch(), ERROR_INVALID_PARAMETER);
  const RegHandle key = Create(HKEY_CURRENT_USER, u"Batch");
  ASSERT_EQ(Set(key, u"one", "1"), ERROR_SUCCESS);
  ASSERT_EQ(Set(HKEY_CURRENT_USER, u"two", "2"), ERROR_SUCCESS);
  ErrorCode error = 0;
  EXPECT_EQ(Get(key, u"one", error), "1");  // this process sees its own batch
  EXPECT_TRUE(stored().empty());
  ASSERT_EQ(RegEndBatch(true), ERROR_SUCCESS);
  const std::vector<std::string> committed = {"1", "2"};
  EXPECT_EQ(stored(), committed);

  ASSERT_EQ(RegBeginBatch(), ERROR_SUCCESS);
  const RegHandle dropped = Create(key, u"Dropped");
  ASSERT_EQ(Set(key, u"one", "changed"), ERROR_SUCCESS);
  ASSERT_EQ(Set(dropped, u"three", "3"), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValue(HKEY_CURRENT_USER, u"two"), ERROR_SUCCESS);
  ASSERT_EQ(RegEndBatch(false), ERROR_SUCCESS);
  EXPECT_EQ(RegEndBatch(false), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Get(key, u"one", error), "1");
  EXPECT_EQ(Set(dropped, u"three", "3"), ERROR_KEY_DELETED);
  EXPECT_EQ(stored(), committed);
}

}  // namespace
}  // namespace bitvane
