#include "platform/registry.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/registry_hive.h"
#include "platform/registry_names.h"
#include "tests/support/registry_helpers.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"
#include "tests/support/unprivileged.h"

namespace bitvane {
namespace {

using namespace std::string_literals;
using test::Narrow;
using test::SetBytes;

const std::u16string kLongestKeyName(kRegistryMaxKeyName, u'K');

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

// Runs `sql` on a connection of its own to `path`; the rows' first columns.
std::vector<std::string> Column(const std::string& path, const char* sql) {
  std::vector<std::string> rows;
  sqlite3* db = nullptr;
  sqlite3_stmt* query = nullptr;
  if (sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
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

RegHandle Create(RegHandle parent, const char16_t* path, std::uint32_t* disposition = nullptr) {
  RegHandle key = 0;
  EXPECT_EQ(RegCreateKey(parent, path, KEY_ALL_ACCESS, &key, disposition), ERROR_SUCCESS);
  return key;
}

// Every test works on a hive in a folder that does not exist yet.
class RegistryTest : public test::TempHiveTest {
 protected:
  RegistryTest() : TempHiveTest("config/registry.sqlite3") {}
  std::string Folder() const { return m_dir.Join("config"); }
};

TEST(RegistryNames, FoldAndBytes) {
  const struct {
    std::u16string name, folded;
  } rows[] = {{u"Software\\x_9", u"SOFTWARE\\X_9"},
              {u"\u00e4\u00fe\u00ff\u00f7\u00df\u00b5", u"\u00c4\u00de\u0178\u00f7\u00df\u00b5"},
              {u"\u0101\u0133\u013a\u0148\u014b\u017a\u017e",
               u"\u0100\u0132\u0139\u0147\u014a\u0179\u017d"},
              {u"\u0100\u0139\u0131\u0138\u0149\u017f", u"\u0100\u0139\u0131\u0138\u0149\u017f"},
              {u"\u03bf\u03b4\u03bf\u03c2\u03c3\u03ac\u03ad\u03cc\u03ce\u03ca",
               u"\u039f\u0394\u039f\u03a3\u03a3\u0386\u0388\u038c\u038f\u03aa"},
              {u"\u043f\u0440\u0438\u0451\u045f", u"\u041f\u0420\u0418\u0401\u040f"},
              {u"\uff41\uff5a\u4e2d\U0001F600", u"\uff21\uff3a\u4e2d\U0001F600"}};
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    EXPECT_TRUE(FoldRegistryName(rows[i].name) == rows[i].folded) << "row " << i;
    const std::string bytes = Utf16LeBytes(rows[i].name);
    EXPECT_TRUE(Utf16FromLeBytes(bytes.data(), bytes.size()) == rows[i].name) << "row " << i;
  }
  EXPECT_EQ(Utf16LeBytes(u"A\u0102"), "A\0\x02\x01"s);
}

TEST(RegistryHiveNames, DamagedNameAndBlockingFile) {
  EXPECT_EQ(DamagedHiveName("/h/r.db", 0, 1), "/h/r.db.damaged-19700101T000000Z");
  EXPECT_EQ(DamagedHiveName("/h/r.db", 951782400, 12), "/h/r.db.damaged-20000229T000000Z-12");
  test::TempDir dir;
  const std::string file = dir.Write("file", "x");
  dir.MakeDir("dir");
  EXPECT_EQ(BlockingFile(file + "/sub/registry.sqlite3"), file);
  EXPECT_EQ(BlockingFile(dir.Join("dir//missing/registry.sqlite3")), "");
}

// The default hive follows XDG_CONFIG_HOME when absolute, else HOME, else the password file.
TEST(RegistryHivePath, DefaultFollowsTheEnvironment) {
  const char* names[] = {"XDG_CONFIG_HOME", "HOME"};
  const char* saved[2] = {std::getenv(names[0]), std::getenv(names[1])};
  const std::string kept[2] = {saved[0] ? saved[0] : "", saved[1] ? saved[1] : ""};
  const passwd* user = ::getpwuid(::getuid());
  const std::string fromPasswd = user && user->pw_dir[0] == '/' ? user->pw_dir : ".";
  const struct {
    const char* values[2];  // XDG_CONFIG_HOME, HOME; null: unset
    std::string folder;
  } rows[] = {{{"/x", "/h"}, "/x"},
              {{"x", "/h"}, "/h/.config"},
              {{nullptr, "/h"}, "/h/.config"},
              {{"", "h"}, fromPasswd + "/.config"},
              {{saved[0] ? kept[0].c_str() : nullptr, saved[1] ? kept[1].c_str() : nullptr}, ""}};
  for (const auto& row : rows) {
    for (int i = 0; i < 2; ++i) {
      if (row.values[i]) ::setenv(names[i], row.values[i], 1);
      if (!row.values[i]) ::unsetenv(names[i]);
    }
    if (!row.folder.empty()) {
      EXPECT_EQ(DefaultRegistryHivePath(), row.folder + "/bitvane/registry.sqlite3");
    }
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
  // Called in this order; each: what it gives, what it should give.
  const ErrorCode rows[][2] = {
      {RegOpenKey(0, nullptr, KEY_READ, &key), ERROR_INVALID_HANDLE},
      {RegOpenKey(HKEY_DYN_DATA + 1, nullptr, KEY_READ, &key), ERROR_INVALID_HANDLE},
      {RegOpenKey(HKEY_CURRENT_USER, u"Software", KEY_READ, &key), ERROR_FILE_NOT_FOUND},
      {RegQueryValue(readOnly, u"v", nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND},
      {RegDeleteValue(HKEY_CURRENT_USER, u"v"), ERROR_FILE_NOT_FOUND},
      {RegDeleteTree(HKEY_CURRENT_USER, u"A"), ERROR_FILE_NOT_FOUND},
      {RegDeleteTree(HKEY_CURRENT_USER, nullptr), ERROR_SUCCESS},
      {RegCreateKey(readOnly, u"A", KEY_READ, &key, nullptr), ERROR_ACCESS_DENIED},
      {SetBytes(readOnly, u"v", "x"), ERROR_ACCESS_DENIED},
      // A key that is there already needs no write.
      {RegCreateKey(HKEY_CURRENT_USER, u"", KEY_READ, &key, nullptr), ERROR_SUCCESS}};
  for (std::size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(rows[i][0], rows[i][1]) << i;
  // Name limits: an empty component or one over 255 characters.
  for (const std::u16string& path : {u"\\A"s, u"A\\"s, u"A\\\\B"s, kLongestKeyName + u"K\\A"}) {
    EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, path.c_str(), KEY_READ, &key), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKey(HKEY_CURRENT_USER, path.c_str(), KEY_ALL_ACCESS, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteTree(HKEY_CURRENT_USER, path.c_str()), ERROR_INVALID_PARAMETER);
  }
  EXPECT_EQ(::access(Folder().c_str(), F_OK), -1);
  EXPECT_EQ(RegistryHivePath(), m_hive);
}

TEST_F(RegistryTest, CreateMakesTheHiveAndTellsWhatItDid) {
  std::uint32_t disposition = 0;
  const RegHandle settings =
      Create(HKEY_CURRENT_USER, u"Software\\Bitvane\\Settings", &disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  const struct {
    RegHandle parent;
    const char16_t* path;
    std::uint32_t disposition;
  } rows[] = {
      {HKEY_CURRENT_USER, u"Software\\Bitvane\\Settings", REG_OPENED_EXISTING_KEY},
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

  const std::u16string longest = kLongestKeyName + u"\\" + kLongestKeyName;
  EXPECT_EQ(RegCloseKey(Create(HKEY_CURRENT_USER, longest.c_str())), ERROR_SUCCESS);
  RegKeyInfo info;
  ASSERT_EQ(RegQueryInfoKey(HKEY_CURRENT_USER, &info), ERROR_SUCCESS);
  EXPECT_EQ(info.subKeys, 2u);  // Software and the long one: children only
  EXPECT_EQ(info.maxSubKeyName, kRegistryMaxKeyName);
  const std::u16string longValue(kRegistryMaxValueName + 1, u'v');
  EXPECT_EQ(SetBytes(HKEY_CURRENT_USER, longValue.c_str(), "x"), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, NamesIgnoreCaseKeysKeepFirstSpellingValuesTakeLatest) {
  const struct {
    const char16_t* first;
    const char16_t* second;
    bool same;
  } rows[] = {{u"MixedCase", u"mIXEDcASE", true},
              {u"Stra\u00dfe", u"STRASSE", false},
              {u"I", u"\u0131", false}};
  const RegHandle values = Create(HKEY_CURRENT_USER, u"Values");
  std::vector<std::string> spellings = {Utf16LeBytes(u"Values")};
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    const auto& row = rows[i];
    std::uint32_t disposition = 0;
    EXPECT_EQ(RegCloseKey(Create(HKEY_CURRENT_USER, row.first)), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(Create(HKEY_CURRENT_USER, row.second, &disposition)), ERROR_SUCCESS);
    EXPECT_EQ(disposition, row.same ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY);
    spellings.push_back(Utf16LeBytes(row.first));
    if (!row.same) spellings.push_back(Utf16LeBytes(row.second));

    ASSERT_EQ(RegDeleteTree(values, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(values, row.first, "1"), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(values, row.second, "2"), ERROR_SUCCESS);
    ErrorCode error = 0;
    EXPECT_EQ(Get(values, row.first, error), row.same ? "2" : "1");
    EXPECT_TRUE(EnumName(values, 0, error) == (row.same ? row.second : row.first));
    EnumName(values, 1, error);
    EXPECT_EQ(error, row.same ? ERROR_NO_MORE_ITEMS : ERROR_SUCCESS);
  }
  // The keys right below HKEY_CURRENT_USER (row 2), as stored.
  EXPECT_EQ(Column(m_hive, "SELECT name FROM keys WHERE parent = 2 ORDER BY id"), spellings);
}

TEST_F(RegistryTest, ValuesKeepTypeAndExactBytes) {
  std::string large(100000, '\0');  // every byte value
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 + i / 251);
  const struct {
    const char16_t* name;
    std::uint32_t type;
    std::string bytes;
  } rows[] = {{nullptr, REG_SZ, Utf16LeBytes(std::u16string(u"default\0", 8))},
              {u"empty", REG_BINARY, ""},
              {u"large", REG_BINARY, large},
              {u"odd type", 0xDEADBEEF, "x"},
              {u"ten", REG_SZ, "0123456789"}};
  RegHandle key = Create(HKEY_CURRENT_USER, u"Data");
  for (const auto& row : rows) ASSERT_EQ(SetBytes(key, row.name, row.bytes, row.type), 0u);
  EXPECT_EQ(RegSetValue(key, u"null", REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValue(key, u"null", REG_BINARY, nullptr, 1), ERROR_INVALID_PARAMETER);

  SetRegistryHivePath(m_hive);  // a fresh start reads what the file holds, ends every handle
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
  RegKeyInfo info;
  ASSERT_EQ(RegQueryInfoKey(key, &info), ERROR_SUCCESS);
  EXPECT_EQ(info.values, 6u);
  EXPECT_EQ(info.maxValueName, 8u);
  EXPECT_EQ(info.maxValueData, 100000u);

  // The size protocol: a short buffer gets the size and type, and not one byte.
  const struct {
    bool withData;
    std::uint32_t room;
    ErrorCode expected;
  } queries[] = {{false, 3, ERROR_SUCCESS},
                 {true, 9, ERROR_MORE_DATA},
                 {true, 10, ERROR_SUCCESS},
                 {true, 64, ERROR_SUCCESS}};
  for (const auto& query : queries) {
    SCOPED_TRACE(query.room);
    std::string buffer(64, '\xAA');
    auto* data = query.withData ? reinterpret_cast<std::uint8_t*>(buffer.data()) : nullptr;
    std::uint32_t type = 0;
    std::uint32_t size = query.room;
    EXPECT_EQ(RegQueryValue(key, u"TEN", &type, data, &size), query.expected);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(type, REG_SZ);
    const bool copied = query.expected == ERROR_SUCCESS && query.withData;
    EXPECT_EQ(buffer, (copied ? "0123456789" : std::string(10, '\xAA')) + std::string(54, '\xAA'));
  }
  std::uint8_t byte = 0;
  EXPECT_EQ(RegQueryValue(key, u"ten", nullptr, &byte, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValue(key, u"ten", nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValue(key, u"eleven", nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
}

// Every call through a handle of each right, a closed one and one whose key was deleted;
// what deleting a tree leaves.
TEST_F(RegistryTest, RightsHandleStatesAndDeletedTrees) {
  const RegHandle all = Create(HKEY_CURRENT_USER, u"K");
  const RegHandle closed = Create(all, nullptr);
  const RegHandle deleted = Create(HKEY_CURRENT_USER, u"Gone\\Deep");
  ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(deleted, u"v", "deep"), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(all, u"v", "x"), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, u"Gone\\Missing"), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, u"gone"), ERROR_SUCCESS);
  RegHandle sub = 0;
  EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"Gone", KEY_READ, &sub), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Column(m_hive, "SELECT data FROM vals"), std::vector<std::string>{"x"});
  Create(HKEY_CURRENT_USER, u"X\\Y\\Z");  // keys made afterwards must not stand in for those
  constexpr ErrorCode kOk = ERROR_SUCCESS, kNo = ERROR_ACCESS_DENIED;
  constexpr ErrorCode kBad = ERROR_INVALID_HANDLE, kGone = ERROR_KEY_DELETED;
  const struct {
    std::uint32_t access;  // 0: `key` as it is
    RegHandle key;
    ErrorCode read, write, create, open, close;
  } rows[] = {
      {KEY_READ, 0, kOk, kNo, kNo, kOk, kOk},      {KEY_WRITE, 0, kNo, kOk, kOk, kOk, kOk},
      {KEY_SET_VALUE, 0, kNo, kOk, kNo, kOk, kOk}, {KEY_ALL_ACCESS, 0, kOk, kOk, kOk, kOk, kOk},
      {0, closed, kBad, kBad, kBad, kBad, kBad},   {0, deleted, kGone, kGone, kGone, kGone, kOk}};
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    const auto& row = rows[i];
    RegHandle key = row.key;
    if (row.access != 0) {
      ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"k", row.access, &key), kOk);
    }
    ASSERT_EQ(SetBytes(all, u"v", "x"), ERROR_SUCCESS);  // back after RegDeleteTree
    std::uint32_t size = 0;
    RegKeyInfo info;
    EXPECT_EQ(RegQueryValue(key, u"v", nullptr, nullptr, &size), row.read);
    EXPECT_EQ(RegQueryInfoKey(key, &info), row.read);
    EXPECT_EQ(SetBytes(key, u"w", "y"), row.write);
    EXPECT_EQ(RegDeleteTree(key, nullptr), row.write);
    EXPECT_EQ(RegCreateKey(key, u"Sub", KEY_READ, &sub, nullptr), row.create);
    EXPECT_EQ(RegOpenKey(key, nullptr, KEY_READ, &sub), row.open);
    EXPECT_EQ(RegCloseKey(key), row.close);
  }
  // Without a subkey: what is below the key goes, its values too; the key stays.
  ASSERT_EQ(RegDeleteTree(all, nullptr), ERROR_SUCCESS);
  RegKeyInfo info{1, 1, 1, 1, 1};
  ASSERT_EQ(RegQueryInfoKey(all, &info), ERROR_SUCCESS);
  EXPECT_EQ(info.subKeys + info.values, 0u);
  EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"k", KEY_READ, &sub), ERROR_SUCCESS);
}

TEST_F(RegistryTest, BatchesCommitTogetherOrNotAtAll) {
  // What another connection sees of the file now.
  const auto stored = [&] { return Column(m_hive, "SELECT data FROM vals ORDER BY id"); };
  ASSERT_EQ(RegBeginBatch(), ERROR_SUCCESS);
  EXPECT_EQ(RegBeginBatch(), ERROR_INVALID_PARAMETER);
  const RegHandle key = Create(HKEY_CURRENT_USER, u"Batch");
  ASSERT_EQ(SetBytes(key, u"one", "1"), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(HKEY_CURRENT_USER, u"two", "2"), ERROR_SUCCESS);
  ErrorCode error = 0;
  EXPECT_EQ(Get(key, u"one", error), "1");  // this process sees its own batch
  EXPECT_TRUE(stored().empty());
  ASSERT_EQ(RegEndBatch(true), ERROR_SUCCESS);
  const std::vector<std::string> committed = {"1", "2"};
  EXPECT_EQ(stored(), committed);

  ASSERT_EQ(RegBeginBatch(), ERROR_SUCCESS);
  const RegHandle dropped = Create(key, u"Dropped");
  ASSERT_EQ(SetBytes(key, u"one", "changed"), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(dropped, u"three", "3"), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValue(HKEY_CURRENT_USER, u"two"), ERROR_SUCCESS);
  ASSERT_EQ(RegEndBatch(false), ERROR_SUCCESS);
  EXPECT_EQ(RegEndBatch(false), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Get(key, u"one", error), "1");
  EXPECT_EQ(SetBytes(dropped, u"three", "3"), ERROR_KEY_DELETED);
  EXPECT_EQ(stored(), committed);
}

TEST_F(RegistryTest, EnumerationFollowsCreationOrderAndAnyOrderOfIndexes) {
  const RegHandle key = Create(HKEY_CURRENT_USER, u"E");
  for (const char16_t* name : {u"b", u"a", u"Longer", u"", u"c"}) {
    ASSERT_EQ(SetBytes(key, name, "x"), ERROR_SUCCESS);
  }
  ASSERT_EQ(SetBytes(key, u"A", "y", REG_DWORD), ERROR_SUCCESS);  // replaces "a" in its place
  ASSERT_EQ(RegDeleteValue(key, u"B"), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValue(key, u"b"), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(SetBytes(key, u"b", "z"), ERROR_SUCCESS);  // back, now last
  const std::u16string expected[] = {u"A", u"Longer", u"", u"c", u"b"};
  // A second handle on the same key keeps a listing of its own.
  RegHandle other = 0;
  ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"E", KEY_READ, &other), ERROR_SUCCESS);
  const struct {
    RegHandle key;
    std::uint32_t index;
  } calls[] = {{key, 0},   {key, 1}, {other, 0}, {key, 2},   {other, 1}, {key, 1},
               {key, 3},   {key, 4}, {key, 5},   {key, 0},   {key, 2},   {other, 2},
               {other, 3}, {key, 3}, {other, 4}, {other, 5}, {key, 4}};
  for (const auto& call : calls) {
    SCOPED_TRACE(testing::Message() << "handle " << call.key << " index " << call.index);
    ErrorCode error = 0;
    const std::u16string name = EnumName(call.key, call.index, error);
    EXPECT_TRUE(name == (call.index < 5 ? expected[call.index] : u""));
    EXPECT_EQ(error, call.index < 5 ? ERROR_SUCCESS : ERROR_NO_MORE_ITEMS);
  }
  // A name too long for the buffer gives its length; the listing goes on after it.
  char16_t name[8] = {};
  std::uint32_t type = 0;
  for (const std::uint32_t room : {0u, 6u, 7u}) {
    std::uint32_t length = room;
    EXPECT_EQ(RegEnumValue(key, 1, name, &length, &type), room > 6 ? 0u : ERROR_MORE_DATA);
    EXPECT_EQ(length, 6u) << room;
  }
  EXPECT_TRUE(std::u16string(name) == u"Longer");
  EXPECT_EQ(type, REG_BINARY);
  ErrorCode error = 0;
  EXPECT_TRUE(EnumName(key, 2, error).empty());
  EXPECT_EQ(error, ERROR_SUCCESS);
}

// Listing by index goes on from where the last call stopped, but what it lists is always
// the index-th value as the key holds them at that moment.
TEST_F(RegistryTest, ListingFollowsEveryWriteInBetween) {
  const struct {
    const char* what;
    std::function<void(RegHandle key)> between;
    const char16_t* third;  // the name at index 3 afterwards; null: none
    ErrorCode error;
    bool root = false;  // list HKEY_CURRENT_USER itself, with no handle open
  } rows[] = {{"nothing", [](RegHandle) {}, u"v3", ERROR_SUCCESS},
              {"an earlier value deleted",
               [](RegHandle key) { ASSERT_EQ(RegDeleteValue(key, u"v0"), ERROR_SUCCESS); }, u"v4",
               ERROR_SUCCESS},
              {"another process puts a value first",
               [&](RegHandle) {
                 Column(m_hive,
                        "INSERT INTO vals(id, key, name, folded, type, data) SELECT -1, key,"
                        " x'6600', x'4600', 3, x'' FROM vals LIMIT 1");
               },
               u"v2", ERROR_SUCCESS},
              {"a batch deletes an earlier value and is dropped",
               [](RegHandle key) {
                 ASSERT_EQ(RegBeginBatch(), ERROR_SUCCESS);
                 ASSERT_EQ(RegDeleteValue(key, u"v0"), ERROR_SUCCESS);
                 ErrorCode error = 0;
                 EXPECT_TRUE(EnumName(key, 2, error) == u"v3");
                 ASSERT_EQ(RegEndBatch(false), ERROR_SUCCESS);
               },
               u"v3", ERROR_SUCCESS},
              {"the key deleted",
               [](RegHandle) { ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, u"L"), ERROR_SUCCESS); },
               nullptr, ERROR_KEY_DELETED},
              // With no handle open the connection closes after every call; a new one
              // must not take up where the old one stopped.
              {"another process deletes an earlier value, no handle open",
               [&](RegHandle) { Column(m_hive, "DELETE FROM vals WHERE name = x'76003000'"); },
               u"v4", ERROR_SUCCESS, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_EQ(RegBeginBatch(), ERROR_SUCCESS);
    const RegHandle key = row.root ? HKEY_CURRENT_USER : Create(HKEY_CURRENT_USER, u"L");
    ASSERT_EQ(RegDeleteTree(key, nullptr), ERROR_SUCCESS);
    for (const char16_t* name : {u"v0", u"v1", u"v2", u"v3", u"v4", u"v5"}) {
      ASSERT_EQ(SetBytes(key, name, "x"), ERROR_SUCCESS);
    }
    ASSERT_EQ(RegEndBatch(true), ERROR_SUCCESS);
    ErrorCode error = 0;
    for (std::uint32_t i = 0; i < 3; ++i) {
      EXPECT_EQ(Narrow(EnumName(key, i, error)), "v" + std::to_string(i));
    }
    row.between(key);
    EXPECT_EQ(Narrow(EnumName(key, 3, error)), row.third ? Narrow(row.third) : "");
    EXPECT_EQ(error, row.error);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  }
}

// The registry against hive files it did not write, folders it may not write to, a disk
// that fills up, and another process writing at the same time.

using Files = std::map<std::string, std::string>;

constexpr const char* kHiveName = "registry.sqlite3";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every entry in `folder` with its bytes.
Files Snapshot(const std::string& folder) {
  Files files;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
    files[entry.path().filename().string()] =
        entry.is_regular_file() ? ReadFile(entry.path().string()) : "(not a file)";
  }
  return files;
}

// The files moved aside in `folder`, by the names they had: <hive>.damaged-<stamp>Z and its
// companions <that>-journal, -wal, -shm.
Files MovedAside(const std::string& folder) {
  Files moved;
  for (const auto& [name, bytes] : Snapshot(folder)) {
    const auto stamp = name.find(".damaged-");
    if (stamp != std::string::npos)
      moved[kHiveName + name.substr(name.find('Z', stamp) + 1)] = bytes;
  }
  return moved;
}

// Runs `sql` on a connection of its own, made when missing; the first column of the last
// row it gave, or "(failed)". `keepLog` leaves a write-ahead log as it is at the close.
std::string Sql(const std::string& path, const std::string& sql, bool keepLog = false) {
  std::string last;
  const auto keep = +[](void* out, int, char** columns, char**) {
    *static_cast<std::string*>(out) = columns[0] ? columns[0] : "";
    return 0;
  };
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK ||
      (keepLog && sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr)) ||
      sqlite3_exec(db, sql.c_str(), keep, &last, nullptr) != SQLITE_OK) {
    last = "(failed)";
  }
  return sqlite3_close(db) == SQLITE_OK ? last : "(failed)";
}

// A hive this code wrote, at `folder`/registry.sqlite3, big enough to span several pages.
std::string MakeRealHive(const std::string& folder) {
  const std::string hive = folder + "/" + kHiveName;
  SetRegistryHivePath(hive);
  EXPECT_EQ(test::StoreValue(HKEY_CURRENT_USER, u"Software\\Real", u"v", REG_BINARY, "real"), 0u);
  EXPECT_EQ(SetBytes(HKEY_CURRENT_USER, u"big", std::string(20000, 'b')), ERROR_SUCCESS);
  SetRegistryHivePath("");
  return hive;
}

using HiveFaultsTest = test::TempHiveTest;

// Whatever is found where the hive should be, a read sees only empty roots and changes
// no file; the first write moves the file and its companions aside, byte for byte, and
// starts a new hive.
TEST_F(HiveFaultsTest, DamagedFilesReadEmptyAndAreMovedAsideByTheFirstWrite) {
  std::mt19937 random(7);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const std::string real = ReadFile(MakeRealHive(m_dir.MakeDir("real")));
  ASSERT_GT(real.size(), 8192u);
  const std::string marks = "PRAGMA application_id = " + std::to_string(kHiveApplicationId) +
                            "; PRAGMA user_version = " + std::to_string(kHiveSchemaVersion) + ";";
  const std::string toLog =
      "CREATE TABLE t(x); PRAGMA journal_mode = WAL; INSERT INTO t VALUES('in the log only')";
  const struct {
    const char* what;
    bool ours;          // start from a hive of ours, else from `bytes`
    std::string bytes;  // then run `sql` on it
    std::string sql;
    bool log = false;        // leave a write-ahead log with the last row in it
    bool noLogMark = false;  // then mark the header as not using a log
  } rows[] = {
      {"random bytes", false, noise, ""},
      {"half a hive", false, real.substr(0, real.size() / 2), ""},
      {"header and a little", false, real.substr(0, 112), ""},
      {"another program's database, journal kept", false, "",
       "PRAGMA journal_mode = PERSIST; CREATE TABLE t(x); INSERT INTO t VALUES(1)"},
      {"another program's database with a log", false, "", toLog, true},
      {"our id, another version", false, "",
       marks + "PRAGMA user_version = 2; CREATE TABLE keys(id INTEGER)"},
      {"our marks, no tables", false, "", marks},
      {"our hive with a log", true, "", toLog, true},
      {"our marks, no log in the header, a log beside", false, "", marks + toLog, true, true},
      {"our hive with a view that never ends", true, "",
       "CREATE VIEW loop AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) "
       "SELECT i FROM n"},
      {"our hive with a trigger that grows it", true, "",
       "CREATE TRIGGER grow AFTER INSERT ON vals BEGIN INSERT INTO vals(key, name, folded, type,"
       " data) SELECT key, name || x'00', folded || x'00', type, zeroblob(1000000) FROM vals; END"},
      {"our hive without a root", true, "", "DELETE FROM keys WHERE id = 7"}};
  int index = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string folder = m_dir.MakeDir("case" + std::to_string(index++));
    const std::string hive = row.ours ? MakeRealHive(folder) : folder + "/" + kHiveName;
    if (!row.ours) std::ofstream(hive, std::ios::binary) << row.bytes;
    ASSERT_NE(row.sql.empty() ? "" : Sql(hive, row.sql, row.log), "(failed)");
    if (row.noLogMark) {
      std::fstream file(hive, std::ios::binary | std::ios::in | std::ios::out);
      file.seekp(18);
      ASSERT_TRUE(file.write("\x01\x01", 2));  // the rollback journal's mode bytes
    }
    const Files before = Snapshot(folder);
    ASSERT_EQ(before.size() > 1, row.log || row.sql.find("PERSIST") != std::string::npos);
    SetRegistryHivePath(hive);

    EXPECT_EQ(InspectHive(hive), HiveState::Damaged);
    RegHandle key = 0;
    ErrorCode error = 0;
    EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"Software", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, u"v", error), "");
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValue(HKEY_CURRENT_USER, u"v"), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, nullptr, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    RegKeyInfo info;
    EXPECT_EQ(RegQueryInfoKey(key, &info), ERROR_SUCCESS);
    EXPECT_EQ(info.values + info.subKeys, 0u);
    EXPECT_EQ(Snapshot(folder), before);

    ASSERT_EQ(SetBytes(key, u"v", "new"), ERROR_SUCCESS);
    EXPECT_EQ(MovedAside(folder), before);
    EXPECT_EQ(Snapshot(folder).size(), before.size() + 1);  // the new hive, without companions
    EXPECT_EQ(Get(key, u"v", error), "new");
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    SetRegistryHivePath("");
    EXPECT_EQ(InspectHive(hive), HiveState::Ours);
  }
}

// A journal beside a hive of ours is what a crashed write leaves: reading plays it back.
// Beside a file with our marks but another schema it is left alone, as is the file.
TEST_F(HiveFaultsTest, ACrashedWriteIsUndoneOnlyInAHiveOfOurs) {
  for (const std::string& change : {std::string(), std::string("CREATE TABLE extra(x)")}) {
    SCOPED_TRACE(change);
    const std::string hive = MakeRealHive(m_dir.MakeDir("made" + change));
    ASSERT_NE(Sql(hive, change), "(failed)");
    // Characters a URI would take for its own.
    const std::string folder = m_dir.MakeDir("crashed #%?" + change);
    const std::string crashed = folder + "/" + kHiveName;
    // A write too big for the page cache: its journal is synced and the file half
    // written when the files are copied, as a crash would leave them.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(hive.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "PRAGMA cache_size = 2; BEGIN; INSERT INTO vals(key, name, folded,"
                           " type, data) VALUES(2, x'6200', x'4200', 3, zeroblob(200000))",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    std::filesystem::copy_file(hive, crashed);
    std::filesystem::copy_file(hive + "-journal", crashed + "-journal");
    sqlite3_close_v2(db);
    ASSERT_NE(ReadFile(crashed), ReadFile(hive));
    const Files files = Snapshot(folder);

    SetRegistryHivePath(crashed);
    ErrorCode error = 0;
    Get(HKEY_CURRENT_USER, u"b", error);
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);  // not the crashed write's value
    RegHandle key = 0;
    const ErrorCode opened = RegOpenKey(HKEY_CURRENT_USER, u"Software\\Real", KEY_READ, &key);
    EXPECT_EQ(opened, change.empty() ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Get(key, u"v", error), change.empty() ? "real" : "");
    EXPECT_EQ(InspectHive(crashed), change.empty() ? HiveState::Ours : HiveState::Damaged);
    EXPECT_EQ(Snapshot(folder) == files, !change.empty());
    EXPECT_EQ(std::filesystem::exists(crashed + "-journal"), !change.empty());
    SetRegistryHivePath("");
  }
}

TEST_F(HiveFaultsTest, EmptyFileIsTakenOverAndAFolderLeftAlone) {
  ASSERT_EQ(m_dir.Write(kHiveName, ""), m_hive);
  EXPECT_EQ(InspectHive(m_hive), HiveState::Fresh);
  RegHandle key = 0;
  EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"Software", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(SetBytes(HKEY_CURRENT_USER, u"v", "new"), ERROR_SUCCESS);
  EXPECT_EQ(Snapshot(m_dir.Path()).size(), 1u);
  EXPECT_EQ(InspectHive(m_hive), HiveState::Ours);
  // Something that is not a file cannot be ours, and is no damaged file either.
  const std::string folder = m_dir.MakeDir("folder");
  SetRegistryHivePath(folder);
  EXPECT_EQ(InspectHive(folder), HiveState::Unreachable);
  EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"Software", KEY_READ, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(SetBytes(HKEY_CURRENT_USER, u"v", "new"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Snapshot(m_dir.Path()).size(), 2u);
}

TEST_F(HiveFaultsTest, ReadOnlyFolderRefusesWritesCleanly) {
  const std::string nested = m_dir.Join("sub/") + kHiveName;
  const std::string folder = m_dir.Path();
  // Runs as an ordinary user, where permissions bind; only the verdict comes back.
  EXPECT_TRUE(test::RunUnprivileged(
      [&] {
        bool ok = ::chmod(folder.c_str(), 0500) == 0;
        for (const std::string& path : {m_hive, nested}) {
          SetRegistryHivePath(path);
          RegHandle key = 0;
          ok = ok && SetBytes(HKEY_CURRENT_USER, u"v", "x") == ERROR_ACCESS_DENIED &&
               RegCreateKey(HKEY_CURRENT_USER, u"K", KEY_ALL_ACCESS, &key, nullptr) ==
                   ERROR_ACCESS_DENIED &&
               RegBeginBatch() == ERROR_ACCESS_DENIED && Snapshot(folder).empty();
        }
        // An existing hive whose folder cannot take a journal keeps what it holds.
        ok = ok && ::chmod(folder.c_str(), 0700) == 0;
        SetRegistryHivePath(m_hive);
        ok = ok && SetBytes(HKEY_CURRENT_USER, u"v", "stored") == ERROR_SUCCESS &&
             ::chmod(folder.c_str(), 0500) == 0;
        SetRegistryHivePath(m_hive);
        const Files before = Snapshot(folder);
        ErrorCode error = 0;
        ok = ok && SetBytes(HKEY_CURRENT_USER, u"v", "changed") == ERROR_ACCESS_DENIED &&
             SetBytes(HKEY_CURRENT_USER, u"w", "added") == ERROR_ACCESS_DENIED &&
             Get(HKEY_CURRENT_USER, u"v", error) == "stored";
        (void)Get(HKEY_CURRENT_USER, u"w", error);
        ok = ok && error == ERROR_FILE_NOT_FOUND && Snapshot(folder) == before;
        return ::chmod(folder.c_str(), 0700) == 0 && ok;
      },
      {folder}));
}

// A hive another process holds locked past the wait is busy, not damaged: calls fail
// with ERROR_BUSY and the file stays where it is.
TEST_F(HiveFaultsTest, ALockedHiveIsBusyNotDamaged) {
  MakeRealHive(m_dir.Path());
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(m_hive.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  const Files before = Snapshot(m_dir.Path());
  SetRegistryHivePath(m_hive);
  ErrorCode error = 0;
  EXPECT_EQ(Get(HKEY_CURRENT_USER, u"big", error), "");
  EXPECT_EQ(error, ERROR_BUSY);
  EXPECT_EQ(SetBytes(HKEY_CURRENT_USER, u"v", "x"), ERROR_BUSY);
  EXPECT_EQ(Snapshot(m_dir.Path()), before);
  sqlite3_close(other);
}

// A write whose file cannot grow fails with the reason and stores nothing, also inside
// a batch, where no later commit would tell. Limits and signals change in a child.
TEST_F(HiveFaultsTest, AWriteThatCannotBeStoredFails) {
  MakeRealHive(m_dir.Path());
  const pid_t child = ::fork();
  if (child == 0) {
    SetRegistryHivePath(m_hive);
    RegHandle key = 0;
    RegHandle made = 0;
    bool ok = RegOpenKey(HKEY_CURRENT_USER, u"Software\\Real", KEY_ALL_ACCESS, &key) == 0 &&
              test::StoreValue(HKEY_CURRENT_USER, u"Keys\\Only", nullptr) == ERROR_SUCCESS;
    // No file may grow past 1 KiB: the journal cannot take the page a write changes.
    rlimit limit{};
    ok = ok && ::getrlimit(RLIMIT_FSIZE, &limit) == 0;
    limit.rlim_cur = 1024;
    ok = ok && ::signal(SIGXFSZ, SIG_IGN) != SIG_ERR && ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    const std::function<ErrorCode()> writes[] = {
        [&] { return SetBytes(key, u"v", "changed"); }, [&] { return RegDeleteValue(key, u"v"); },
        [&] { return RegDeleteTree(HKEY_CURRENT_USER, u"Software"); },
        [&] { return RegDeleteTree(HKEY_CURRENT_USER, u"Keys"); },
        [&] { return RegCreateKey(key, u"New", KEY_READ, &made, nullptr); }};
    for (const auto& write : writes) {
      ok = ok && write() != ERROR_SUCCESS;
      ok = ok && RegBeginBatch() == ERROR_SUCCESS && write() != ERROR_SUCCESS;
      (void)RegEndBatch(true);
    }
    ErrorCode error = 0;
    ::_exit(ok && Get(key, u"v", error) == "real" ? 0 : 1);
  }
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(status, 0);
}

// The settings are the user's alone, whatever folder they land in and whatever umask.
TEST_F(HiveFaultsTest, HiveAndJournalArePrivate) {
  const mode_t mask = ::umask(022);
  for (const std::string& hive : {m_hive, m_dir.Join("new/") + kHiveName}) {
    SetRegistryHivePath(hive);
    ASSERT_EQ(RegBeginBatch(), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(HKEY_CURRENT_USER, u"v", "secret"), ERROR_SUCCESS);
    for (const char* suffix : {"", "-journal"}) {
      struct stat file {};
      ASSERT_EQ(::stat((hive + suffix).c_str(), &file), 0);
      EXPECT_EQ(file.st_mode & 0777, 0600u) << hive << suffix;
    }
    ASSERT_EQ(RegEndBatch(true), ERROR_SUCCESS);
  }
  ::umask(mask);
}

// A child process: stores `name` = 1, 2, 3, ... for two seconds and until three were
// stored, every third write together with "shadow" in one batch when `withHandle`
// (else every write opens the hive anew); sends what it stored last, what it stored
// last in a batch and its first unexpected failure to `fd`.
[[noreturn]] void WriteInLoop(const std::string& hive, const char16_t* name, bool withHandle,
                              int fd) {
  SetRegistryHivePath(hive);     // nothing of the parent's registry state is used
  std::uint32_t report[3] = {};  // last, last in a batch, unexpected
  RegHandle key = HKEY_CURRENT_USER;
  ErrorCode error = ERROR_BUSY;
  while (withHandle && error == ERROR_BUSY) {
    error = RegCreateKey(HKEY_CURRENT_USER, u"Race", KEY_ALL_ACCESS, &key, nullptr);
    report[2] = error;
  }
  const auto start = std::chrono::steady_clock::now();
  for (std::uint32_t n = 1; report[2] == 0; ++n) {
    const auto spent = std::chrono::steady_clock::now() - start;
    if (spent > std::chrono::seconds(report[0] < 3 ? 60 : 2)) break;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&n);
    const bool batch = withHandle && n % 3 == 0;
    error = batch ? RegBeginBatch() : ERROR_SUCCESS;
    const bool began = batch && error == ERROR_SUCCESS;
    if (began) error = RegSetValue(key, u"shadow", REG_DWORD, bytes, 4);
    if (error == ERROR_SUCCESS) error = RegSetValue(key, name, REG_DWORD, bytes, 4);
    if (began) {
      const ErrorCode ended = RegEndBatch(error == ERROR_SUCCESS);
      if (error == ERROR_SUCCESS) error = ended;
    }
    if (error == ERROR_SUCCESS) report[0] = n;
    if (error == ERROR_SUCCESS && batch) report[1] = n;
    if (error != ERROR_SUCCESS && error != ERROR_BUSY) report[2] = error;
    // SQLite's busy wait polls, so a process writing without a pause would keep the
    // other one out for good.
    ::usleep(1000);
  }
  ::_exit(::write(fd, report, sizeof report) == static_cast<ssize_t>(sizeof report) ? 0 : 1);
}

std::uint32_t StoredCounter(RegHandle key, const char16_t* name) {
  std::uint32_t stored = 0;
  std::uint32_t size = sizeof stored;
  EXPECT_EQ(RegQueryValue(key, name, nullptr, reinterpret_cast<std::uint8_t*>(&stored), &size),
            ERROR_SUCCESS);
  return size == sizeof stored ? stored : ~0u;
}

TEST_F(HiveFaultsTest, TwoProcessesWritingAtOnceLoseNothing) {
  SetRegistryHivePath("");  // the hive is made by whichever child comes first
  const char16_t* names[] = {u"first", u"second"};
  std::uint32_t reports[2][3] = {};
  pid_t children[2] = {};
  int pipes[2][2] = {};
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(::pipe(pipes[i]), 0);
    children[i] = ::fork();
    ASSERT_GE(children[i], 0);
    if (children[i] == 0) WriteInLoop(m_hive, names[i], i == 1, pipes[i][1]);
    ::close(pipes[i][1]);
  }
  for (int i = 0; i < 2; ++i) {
    int status = -1;
    ASSERT_EQ(::waitpid(children[i], &status, 0), children[i]);
    EXPECT_EQ(status, 0) << i;
    EXPECT_EQ(::read(pipes[i][0], reports[i], sizeof reports[i]), ssize_t{sizeof reports[i]});
    ::close(pipes[i][0]);
    EXPECT_EQ(reports[i][2], 0u) << "writer " << i;
    EXPECT_GE(reports[i][0], 3u) << "writer " << i;
  }
  SetRegistryHivePath(m_hive);
  RegHandle race = 0;
  ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"Race", KEY_READ, &race), ERROR_SUCCESS);
  EXPECT_EQ(StoredCounter(HKEY_CURRENT_USER, u"first"), reports[0][0]);
  EXPECT_EQ(StoredCounter(race, u"second"), reports[1][0]);
  EXPECT_EQ(StoredCounter(race, u"shadow"), reports[1][1]);
  EXPECT_EQ(Sql(m_hive, "PRAGMA integrity_check"), "ok");
  EXPECT_EQ(Snapshot(m_dir.Path()).size(), 1u);
}

}  // namespace
}  // namespace bitvane
