#include "platform/registry.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <tuple>
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
using Files = std::map<std::string, std::string>;
using test::Rows;
using test::Sql;
using RegistryTest = test::TempHiveTest;
constexpr RegHandle kUser = HKEY_CURRENT_USER;
constexpr const char* kHiveName = "registry.sqlite3";
const std::u16string kLongestKeyName(kRegistryMaxKeyName, u'K');

// Results of calls made in this order, each beside what it should be.
void ExpectResults(std::initializer_list<std::pair<ErrorCode, ErrorCode>> calls) {
  int i = 0;
  for (const auto& [got, expected] : calls) EXPECT_EQ(got, expected) << "call " << i++;
}

std::string Err(ErrorCode error) {
  return "error " + std::to_string(error);
}

// The value's bytes, or the error.
std::string Get(RegHandle key, const char16_t* name, std::uint32_t* type = nullptr) {
  std::uint32_t size = 0;
  ErrorCode error = RegQueryValue(key, name, nullptr, nullptr, &size);
  std::string bytes(size, '\0');
  auto* data = reinterpret_cast<std::uint8_t*>(bytes.data());
  if (!error) error = RegQueryValue(key, name, type, data, &size);
  return error ? Err(error) : bytes;
}

// The name of the value at `index`, or the error.
std::string EnumName(RegHandle key, std::uint32_t index) {
  char16_t name[64] = {};
  std::uint32_t length = 64;
  const ErrorCode error = RegEnumValue(key, index, name, &length, nullptr);
  return error ? Err(error) : Narrow(std::u16string_view(name, length));
}

RegHandle Create(RegHandle parent, const char16_t* path, std::uint32_t* disposition = nullptr) {
  RegHandle key = 0;
  EXPECT_EQ(RegCreateKey(parent, path, KEY_ALL_ACCESS, &key, disposition), ERROR_SUCCESS);
  return key;
}

Files Snapshot(const std::string& folder) {
  Files files;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
    files[entry.path().filename()] =
        entry.is_regular_file() ? test::FileBytes(entry.path()) : "(not a file)";
  }
  return files;
}

// A hive this code wrote, at `folder`/registry.sqlite3, big enough to span several pages.
std::string MakeRealHive(const std::string& folder) {
  const std::string hive = folder + "/" + kHiveName;
  SetRegistryHivePath(hive);
  EXPECT_EQ(test::StoreValue(kUser, u"Software\\Real", u"v", REG_BINARY, "real"), 0u);
  EXPECT_EQ(SetBytes(kUser, u"big", std::string(20000, 'b')), ERROR_SUCCESS);
  EXPECT_EQ(test::StoreValue(kUser, u"Keys\\Only", nullptr), 0u);
  SetRegistryHivePath("");
  return hive;
}

TEST(RegistryNames, FoldBytesAndHiveNames) {
  const std::pair<std::u16string, std::u16string> rows[] = {
      {u"Software\\x_9", u"SOFTWARE\\X_9"},
      {u"\u00e4\u00fe\u00ff\u00f7\u00df\u00b5", u"\u00c4\u00de\u0178\u00f7\u00df\u00b5"},
      {u"\u0101\u0133\u013a\u0148\u014b\u017a\u017e",
       u"\u0100\u0132\u0139\u0147\u014a\u0179\u017d"},
      {u"\u0100\u0139\u0131\u0138\u0149\u017f", u"\u0100\u0139\u0131\u0138\u0149\u017f"},
      {u"\u03bf\u03b4\u03bf\u03c2\u03c3\u03ac\u03ad\u03cc\u03ce\u03ca",
       u"\u039f\u0394\u039f\u03a3\u03a3\u0386\u0388\u038c\u038f\u03aa"},
      {u"\u043f\u0440\u0438\u0451\u045f", u"\u041f\u0420\u0418\u0401\u040f"},
      {u"\uff41\uff5a\u4e2d\U0001F600", u"\uff21\uff3a\u4e2d\U0001F600"}};
  for (const auto& [name, folded] : rows) {
    const std::string bytes = Utf16LeBytes(name);
    EXPECT_TRUE(FoldRegistryName(name) == folded) << test::Shown(name);
    EXPECT_TRUE(Utf16FromLeBytes(bytes.data(), bytes.size()) == name) << test::Shown(name);
  }
  EXPECT_EQ(Utf16LeBytes(u"A\u0102"), "A\0\x02\x01"s);
  EXPECT_EQ(DamagedHiveName("/h/r.db", 0, 1), "/h/r.db.damaged-19700101T000000Z");
  EXPECT_EQ(DamagedHiveName("/h/r.db", 951782400, 12), "/h/r.db.damaged-20000229T000000Z-12");
  test::TempDir dir;
  const std::string file = dir.Write("file", "x");
  dir.MakeDir("dir");
  EXPECT_EQ(BlockingFile(file + "/sub/registry.sqlite3"), file);
  EXPECT_EQ(BlockingFile(dir.Join("dir//missing/registry.sqlite3")), "");
}

// XDG_CONFIG_HOME when absolute, else HOME when absolute, else the password file.
TEST(RegistryHivePath, DefaultFollowsTheEnvironment) {
  const char* names[] = {"XDG_CONFIG_HOME", "HOME"};
  const char* found[] = {std::getenv(names[0]), std::getenv(names[1])};
  const std::string saved[] = {found[0] ? found[0] : "", found[1] ? found[1] : ""};
  const passwd* user = ::getpwuid(::getuid());
  const std::string fromPasswd = user && user->pw_dir[0] == '/' ? user->pw_dir : ".";
  const std::tuple<const char*, const char*, std::string> rows[] = {
      {"/x", "/h", "/x"},
      {"x", "/h", "/h/.config"},
      {nullptr, "/h", "/h/.config"},
      {"", "h", fromPasswd + "/.config"},
      {found[0] ? saved[0].c_str() : nullptr, found[1] ? saved[1].c_str() : nullptr, ""}};
  for (const auto& [xdg, home, folder] : rows) {
    const char* values[] = {xdg, home};
    for (int i = 0; i < 2; ++i) {
      (void)(values[i] ? ::setenv(names[i], values[i], 1) : ::unsetenv(names[i]));
    }
    EXPECT_TRUE(folder.empty() || DefaultRegistryHivePath() == folder + "/bitvane/registry.sqlite3")
        << DefaultRegistryHivePath();
  }
}

// Reads and names out of bounds make no file.
TEST_F(RegistryTest, KeysAndValues) {
  RegHandle key = 0;
  RegKeyInfo info{1, 1, 1, 1, 1};
  ExpectResults({{RegOpenKey(HKEY_CLASSES_ROOT, u"", KEY_READ, &key), ERROR_SUCCESS},
                 {RegCloseKey(key) + RegCloseKey(HKEY_CLASSES_ROOT), ERROR_SUCCESS},
                 {RegQueryInfoKey(HKEY_DYN_DATA, &info), ERROR_SUCCESS},
                 {info.subKeys + info.values + info.maxValueData, 0},
                 {RegOpenKey(0, nullptr, KEY_READ, &key), ERROR_INVALID_HANDLE},
                 {RegOpenKey(HKEY_DYN_DATA + 1, nullptr, KEY_READ, &key), ERROR_INVALID_HANDLE},
                 {RegDeleteTree(kUser, u"A"), ERROR_FILE_NOT_FOUND},
                 {RegDeleteTree(kUser, nullptr), ERROR_SUCCESS},
                 {RegCreateKey(kUser, u"", KEY_READ, &key, nullptr), ERROR_SUCCESS}});
  // Name limits: an empty component or one over 255 characters.
  for (const std::u16string& path : {u"\\A"s, u"A\\"s, u"A\\\\B"s, kLongestKeyName + u"K\\A"}) {
    const char16_t* name = path.c_str();
    ExpectResults({{RegOpenKey(kUser, name, KEY_READ, &key), ERROR_INVALID_PARAMETER},
                   {RegCreateKey(kUser, name, KEY_READ, &key, nullptr), ERROR_INVALID_PARAMETER},
                   {RegDeleteTree(kUser, name), ERROR_INVALID_PARAMETER}});
  }
  EXPECT_TRUE(Snapshot(m_dir.Path()).empty());

  // Key names ignore case and keep their first spelling; every root is a tree of its own.
  const RegHandle settings = Create(kUser, u"Software\\Bitvane\\Settings");
  const std::u16string longest = kLongestKeyName + u"\\" + kLongestKeyName;
  const std::tuple<RegHandle, const char16_t*, std::uint32_t> rows[] = {
      {kUser, u"sOFTWARE\\bitvane\\SETTINGS", REG_OPENED_EXISTING_KEY},
      {kUser, u"Software\\Other\\Deeper", REG_CREATED_NEW_KEY},
      {settings, nullptr, REG_OPENED_EXISTING_KEY},
      {settings, u"Child", REG_CREATED_NEW_KEY},
      {HKEY_LOCAL_MACHINE, u"Software", REG_CREATED_NEW_KEY},
      {kUser, longest.c_str(), REG_CREATED_NEW_KEY}};
  for (const auto& [parent, path, disposition] : rows) {
    std::uint32_t done = 0;
    EXPECT_EQ(RegCloseKey(Create(parent, path, &done)), ERROR_SUCCESS);
    EXPECT_EQ(done, disposition) << test::Shown(path ? path : u"");
  }
  EXPECT_EQ(Sql(m_hive, "SELECT hex(name) FROM keys WHERE parent = 2 ORDER BY id LIMIT 1"),
            Rows{"53006F00660074007700610072006500"});  // "Software", below kUser
  RegHandle software = 0;
  ExpectResults({{RegOpenKey(kUser, u"Software", KEY_READ, &software), ERROR_SUCCESS},
                 {RegOpenKey(software, u"Bitvane\\Settings\\Child", KEY_READ, &key), ERROR_SUCCESS},
                 {RegOpenKey(software, u"Bitvane\\Missing", KEY_READ, &key), ERROR_FILE_NOT_FOUND},
                 {key, 0},
                 {RegQueryInfoKey(kUser, &info), ERROR_SUCCESS},
                 {info.subKeys, 2},  // children only
                 {info.maxSubKeyName, kRegistryMaxKeyName},
                 {SetBytes(kUser, std::u16string(kRegistryMaxValueName + 1, u'v').c_str(), "x"),
                  ERROR_INVALID_PARAMETER}});

  // Values keep their type and exact bytes.
  const std::string large = test::Pattern(100000);  // every byte value
  const std::tuple<const char16_t*, std::uint32_t, std::string> values[] = {
      {nullptr, REG_SZ, Utf16LeBytes(std::u16string(u"default\0", 8))},
      {u"empty", REG_BINARY, ""},
      {u"large", REG_BINARY, large},
      {u"odd type", 0xDEADBEEF, "x"},
      {u"ten", REG_SZ, "0123456789"}};
  RegHandle data = Create(kUser, u"Data");
  for (const auto& [name, type, bytes] : values) ASSERT_EQ(SetBytes(data, name, bytes, type), 0u);
  ExpectResults({{RegSetValue(data, u"null", REG_BINARY, nullptr, 0), ERROR_SUCCESS},
                 {RegSetValue(data, u"null", REG_BINARY, nullptr, 1), ERROR_INVALID_PARAMETER}});
  SetRegistryHivePath(m_hive);  // a fresh start reads what the file holds, ends every handle
  ExpectResults({{RegCloseKey(data), ERROR_INVALID_HANDLE},
                 {RegOpenKey(kUser, u"Data", KEY_READ, &data), ERROR_SUCCESS}});
  for (const auto& [name, type, bytes] : values) {
    std::uint32_t stored = 0;
    EXPECT_TRUE(Get(data, name, &stored) == bytes && stored == type) << type;
  }
  EXPECT_TRUE(Get(data, u"") == std::get<2>(values[0]));  // the empty name is the default value
  ASSERT_EQ(RegQueryInfoKey(data, &info), ERROR_SUCCESS);
  EXPECT_EQ(std::tie(info.values, info.maxValueName, info.maxValueData),
            std::make_tuple(6u, 8u, 100000u));
  // The size protocol: a short buffer gets the size and type, and not one byte.
  const std::tuple<bool, std::uint32_t, ErrorCode> queries[] = {
      {false, 3, ERROR_SUCCESS}, {true, 9, ERROR_MORE_DATA}, {true, 10, ERROR_SUCCESS}};
  for (const auto& [withData, room, result] : queries) {
    std::string buffer(11, '\xAA');
    auto* bytes = withData ? reinterpret_cast<std::uint8_t*>(buffer.data()) : nullptr;
    std::uint32_t type = 0, size = room;
    EXPECT_EQ(RegQueryValue(data, u"TEN", &type, bytes, &size), result) << room;
    EXPECT_EQ(size + type, 10u + REG_SZ) << room;
    EXPECT_EQ(buffer, result || !withData ? std::string(11, '\xAA') : "0123456789\xAA") << room;
  }
  std::uint8_t byte = 0;
  ExpectResults({{RegQueryValue(data, u"ten", nullptr, &byte, nullptr), ERROR_INVALID_PARAMETER},
                 {RegQueryValue(data, u"ten", nullptr, nullptr, nullptr), ERROR_SUCCESS}});
}

// Every call through a handle of each right, a closed one and one on a deleted key.
TEST_F(RegistryTest, RightsHandleStatesAndDeletedTrees) {
  const RegHandle all = Create(kUser, u"K"), closed = Create(all, nullptr);
  const RegHandle deleted = Create(kUser, u"Gone\\Deep");
  RegHandle sub = 0;
  ExpectResults({{RegCloseKey(closed), ERROR_SUCCESS},
                 {SetBytes(deleted, u"v", "deep") + SetBytes(all, u"v", "x"), ERROR_SUCCESS},
                 {RegDeleteTree(kUser, u"Gone\\Missing"), ERROR_FILE_NOT_FOUND},
                 {RegDeleteTree(kUser, u"gone"), ERROR_SUCCESS},
                 {RegOpenKey(kUser, u"Gone", KEY_READ, &sub), ERROR_FILE_NOT_FOUND}});
  EXPECT_EQ(Sql(m_hive, "SELECT data FROM vals"), Rows{"x"});
  Create(kUser, u"X\\Y\\Z");  // keys made afterwards must not stand in for those
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
  for (const auto& row : rows) {
    RegHandle key = row.key;
    ASSERT_EQ(row.access ? RegOpenKey(kUser, u"k", row.access, &key) : kOk, kOk);
    ASSERT_EQ(SetBytes(all, u"v", "x"), ERROR_SUCCESS);  // back after RegDeleteTree
    std::uint32_t size = 0;
    RegKeyInfo info;
    SCOPED_TRACE(testing::Message() << "access " << row.access << " key " << row.key);
    ExpectResults({{RegQueryValue(key, u"v", nullptr, nullptr, &size), row.read},
                   {RegQueryInfoKey(key, &info), row.read},
                   {SetBytes(key, u"w", "y"), row.write},
                   {RegDeleteTree(key, nullptr), row.write},
                   {RegCreateKey(key, u"Sub", KEY_READ, &sub, nullptr), row.create},
                   {RegOpenKey(key, nullptr, KEY_READ, &sub), row.open},
                   {RegCloseKey(key), row.close}});
  }
}

TEST_F(RegistryTest, BatchesCommitTogetherOrNotAtAll) {
  const auto stored = [&] { return Sql(m_hive, "SELECT data FROM vals ORDER BY id"); };
  const mode_t mask = ::umask(022);
  ASSERT_EQ(RegBeginBatch(), ERROR_SUCCESS);
  const RegHandle key = Create(kUser, u"Batch");
  ExpectResults({{RegBeginBatch(), ERROR_INVALID_PARAMETER},
                 {SetBytes(key, u"one", "1"), ERROR_SUCCESS},
                 {SetBytes(kUser, u"two", "2"), ERROR_SUCCESS}});
  ::umask(mask);
  for (const char* suffix : {"", "-journal"}) {  // private, whatever the umask
    struct stat file {};
    EXPECT_TRUE(::stat((m_hive + suffix).c_str(), &file) == 0 && (file.st_mode & 0777) == 0600);
  }
  EXPECT_EQ(Get(key, u"one"), "1");  // this process sees its own batch
  EXPECT_EQ(stored(), Rows{});
  ASSERT_EQ(RegEndBatch(true), ERROR_SUCCESS);
  EXPECT_EQ(stored(), (Rows{"1", "2"}));
  ASSERT_EQ(RegBeginBatch(), ERROR_SUCCESS);
  const RegHandle dropped = Create(key, u"Dropped");
  ExpectResults({{SetBytes(key, u"one", "changed"), ERROR_SUCCESS},
                 {SetBytes(dropped, u"three", "3"), ERROR_SUCCESS},
                 {RegDeleteValue(kUser, u"two"), ERROR_SUCCESS},
                 {RegEndBatch(false), ERROR_SUCCESS},
                 {RegEndBatch(false), ERROR_INVALID_PARAMETER},
                 {SetBytes(dropped, u"three", "3"), ERROR_KEY_DELETED}});
  EXPECT_EQ(Get(key, u"one"), "1");
  EXPECT_EQ(stored(), (Rows{"1", "2"}));
}

// Values list in the order they were made; a name written in another spelling keeps its
// place. Listing goes on from the handle's last place, but gives the index-th value as it
// is now, whatever was written in between.
TEST_F(RegistryTest, ListingFollowsEveryWriteInBetween) {
  const struct {
    const char* what;
    char write;         // d: delete "A", b: the same in a batch then dropped, k: delete the key
    const char* other;  // run by another process
    std::string third;  // what index 3 gives afterwards
  } rows[] = {
      {"nothing", 0, "", "c"},
      {"an earlier value deleted", 'd', "", "b"},
      {"another process puts a value first", 0,
       "INSERT INTO vals(id, key, name, folded, type, data) SELECT -1, key, x'6600', x'4600', 3,"
       " x'' FROM vals LIMIT 1",
       ""},
      {"a batch deletes an earlier value and is dropped", 'b', "", "c"},
      {"the key deleted", 'k', "", Err(ERROR_KEY_DELETED)},
      // With no handle open the connection closes after every call; a new one must not
      // take up where the old one stopped.
      {"another process deletes an earlier value, no handle open", 'r',
       "DELETE FROM vals WHERE name = x'4100'", "b"}};
  const std::string names[] = {"A", "Longer", "", "c", "b", Err(ERROR_NO_MORE_ITEMS)};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_EQ(RegBeginBatch(), ERROR_SUCCESS);
    const RegHandle key = row.write == 'r' ? kUser : Create(kUser, u"L");
    RegHandle other = key;
    ASSERT_EQ(RegDeleteTree(key, nullptr), ERROR_SUCCESS);
    for (const char16_t* name : {u"b", u"a", u"Longer", u"", u"c"}) {
      ASSERT_EQ(SetBytes(key, name, "x"), ERROR_SUCCESS);
    }
    ExpectResults({{SetBytes(key, u"A", "y", REG_DWORD), ERROR_SUCCESS},  // "a" in its place
                   {RegDeleteValue(key, u"B"), ERROR_SUCCESS},
                   {RegDeleteValue(key, u"b"), ERROR_FILE_NOT_FOUND},
                   {SetBytes(key, u"b", "z"), ERROR_SUCCESS},  // back, now last
                   {RegEndBatch(true), ERROR_SUCCESS},
                   {key == kUser ? 0 : RegOpenKey(kUser, u"l", KEY_READ, &other), 0}});
    const std::pair<RegHandle, std::uint32_t> calls[] = {
        {key, 0},   {key, 1}, {other, 0}, {key, 2},   {other, 1}, {key, 1},
        {key, 3},   {key, 4}, {key, 5},   {key, 0},   {key, 2},   {other, 2},
        {other, 3}, {key, 3}, {other, 4}, {other, 5}, {key, 0},   {key, 1}};
    for (const auto& [handle, index] : calls) {
      EXPECT_EQ(EnumName(handle, index), names[index]) << handle << " " << index;
    }
    // A name too long for the buffer gives its length; the listing goes on after it.
    char16_t name[8] = {};
    std::uint32_t type = 0;
    for (const std::uint32_t room : {0u, 6u, 7u}) {
      std::uint32_t length = room;
      EXPECT_EQ(RegEnumValue(key, 1, name, &length, &type), room > 6 ? 0u : ERROR_MORE_DATA);
      EXPECT_EQ(length, 6u) << room;
    }
    EXPECT_TRUE(Narrow(name) == "Longer" && type == REG_BINARY && EnumName(key, 2).empty());
    const bool batch = row.write == 'b';
    ExpectResults({{batch ? RegBeginBatch() : 0, ERROR_SUCCESS},
                   {row.write == 'd' || batch ? RegDeleteValue(key, u"a") : 0, ERROR_SUCCESS},
                   {row.write == 'k' ? RegDeleteTree(kUser, u"L") : 0, ERROR_SUCCESS}});
    EXPECT_EQ(batch ? EnumName(key, 2) : "c", "c");  // the batch sees its own deletion
    EXPECT_EQ(batch ? RegEndBatch(false) : 0, ERROR_SUCCESS);
    EXPECT_NE(*row.other ? Sql(m_hive, row.other) : Rows{}, Rows{"(failed)"});
    EXPECT_EQ(EnumName(key, 3), row.third);
    EXPECT_EQ(RegCloseKey(key) + RegCloseKey(other), ERROR_SUCCESS);
  }
}

// Reads see empty roots and change no file; the first write moves file and companions aside.
TEST_F(RegistryTest, DamagedFilesReadEmptyAndAreMovedAsideByTheFirstWrite) {
  MakeRealHive(m_dir.MakeDir("real"));
  const std::string real = Snapshot(m_dir.Join("real")).at(kHiveName);
  ASSERT_GT(real.size(), 8192u);
  const std::string marks = "PRAGMA application_id = " + std::to_string(kHiveApplicationId) +
                            "; PRAGMA user_version = " + std::to_string(kHiveSchemaVersion) + ";";
  const std::string toLog =
      "CREATE TABLE t(x); PRAGMA journal_mode = WAL; INSERT INTO t VALUES('in the log only')";
  const struct {
    const char* what;
    bool ours;  // start from a hive of ours, else from `bytes`, then run `sql`
    std::string bytes, sql;
    bool log = false;        // leave a write-ahead log with the last row in it
    bool noLogMark = false;  // then mark the header as not using a log
  } rows[] = {
      {"no database", false, std::string(4096, '\xA5'), ""},
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
    ASSERT_NE(row.sql.empty() ? Rows{} : Sql(hive, row.sql, row.log), Rows{"(failed)"});
    if (row.noLogMark) {
      std::fstream file(hive, std::ios::binary | std::ios::in | std::ios::out);
      ASSERT_TRUE(file.seekp(18).write("\x01\x01", 2));  // the rollback journal's mode bytes
    }
    const Files before = Snapshot(folder);
    ASSERT_EQ(before.size() > 1, row.log || row.sql.find("PERSIST") != std::string::npos);
    SetRegistryHivePath(hive);
    EXPECT_EQ(InspectHive(hive), HiveState::Damaged);
    RegHandle key = 0;
    RegKeyInfo info{1, 1, 1, 1, 1};
    ExpectResults({{RegOpenKey(kUser, u"Software", KEY_READ, &key), ERROR_FILE_NOT_FOUND},
                   {RegDeleteValue(kUser, u"v"), ERROR_FILE_NOT_FOUND},
                   {RegOpenKey(kUser, nullptr, KEY_ALL_ACCESS, &key), ERROR_SUCCESS},
                   {RegQueryInfoKey(key, &info), ERROR_SUCCESS},
                   {info.values + info.subKeys, 0}});
    EXPECT_EQ(Get(kUser, u"v"), Err(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Snapshot(folder), before);
    ASSERT_EQ(SetBytes(key, u"v", "new"), ERROR_SUCCESS);
    Files moved;  // by the names they had
    for (const auto& [name, bytes] : Snapshot(folder)) {
      const auto stamp = name.find(".damaged-");
      if (stamp != name.npos) moved[kHiveName + name.substr(name.find('Z', stamp) + 1)] = bytes;
    }
    EXPECT_EQ(moved, before);
    EXPECT_EQ(Snapshot(folder).size(), before.size() + 1);  // the new hive, without companions
    EXPECT_EQ(Get(key, u"v"), "new");
    SetRegistryHivePath("");
    EXPECT_EQ(InspectHive(hive), HiveState::Ours);
  }
}

// A crashed write's journal is played back beside our hive only, else left with the file.
TEST_F(RegistryTest, ACrashedWriteIsUndoneOnlyInAHiveOfOurs) {
  for (const std::string& change : {""s, "CREATE TABLE extra(x)"s}) {
    SCOPED_TRACE(change);
    const bool ours = change.empty();
    const std::string hive = MakeRealHive(m_dir.MakeDir("made" + change));
    ASSERT_NE(Sql(hive, change), Rows{"(failed)"});
    const std::string folder = m_dir.MakeDir("crashed #%?" + change);  // characters URIs take
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
    if (ours) {  // the hive written to is locked meanwhile: busy, not damaged
      const Files held = Snapshot(m_dir.Join("made"));
      SetRegistryHivePath(hive);
      EXPECT_TRUE(Get(kUser, u"big") == Err(ERROR_BUSY) &&
                  SetBytes(kUser, u"v", "x") == ERROR_BUSY);
      EXPECT_EQ(Snapshot(m_dir.Join("made")), held);
    }
    sqlite3_close_v2(db);
    const Files files = Snapshot(folder);
    ASSERT_NE(files.at(kHiveName), Snapshot(m_dir.Join("made" + change)).at(kHiveName));
    SetRegistryHivePath(crashed);
    EXPECT_EQ(Get(kUser, u"b"), Err(ERROR_FILE_NOT_FOUND));  // not the crashed write's value
    RegHandle key = 0;
    EXPECT_EQ(RegOpenKey(kUser, u"Software\\Real", KEY_READ, &key),
              ours ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Get(key, u"v"), ours ? "real" : Err(ERROR_INVALID_HANDLE));
    EXPECT_EQ(InspectHive(crashed), ours ? HiveState::Ours : HiveState::Damaged);
    EXPECT_EQ(Snapshot(folder) == files, !ours);
    EXPECT_EQ(std::filesystem::exists(crashed + "-journal"), !ours);
    SetRegistryHivePath("");
  }
}

// A folder cannot be ours, nor a damaged file.
TEST_F(RegistryTest, EmptyFilesAreTakenOverAndAFolderLeftAlone) {
  RegHandle key = 0;
  for (const char* sql : {"", "CREATE TABLE t(x); DROP TABLE t"}) {  // no bytes, no objects
    const std::string hive = m_dir.Write(std::string(kHiveName) + (*sql ? ".db" : ""), "");
    ASSERT_NE(Sql(hive, sql), Rows{"(failed)"});
    SetRegistryHivePath(hive);
    EXPECT_EQ(InspectHive(hive), HiveState::Fresh) << sql;
    ExpectResults({{RegOpenKey(kUser, u"Software", KEY_READ, &key), ERROR_FILE_NOT_FOUND},
                   {SetBytes(kUser, u"v", "new"), ERROR_SUCCESS}});
    EXPECT_EQ(InspectHive(hive), HiveState::Ours) << sql;
  }
  EXPECT_EQ(Snapshot(m_dir.Path()).size(), 2u);  // taken over in place, nothing moved aside
  const std::string folder = m_dir.MakeDir("folder");
  SetRegistryHivePath(folder);
  EXPECT_EQ(InspectHive(folder), HiveState::Unreachable);
  ExpectResults({{RegOpenKey(kUser, u"Software", KEY_READ, &key), ERROR_ACCESS_DENIED},
                 {SetBytes(kUser, u"v", "new"), ERROR_ACCESS_DENIED}});
  EXPECT_EQ(Snapshot(m_dir.Path()).size(), 3u);
}

// Whether every kind of write fails (with `error`, unless 0), also in a batch, storing
// nothing.
bool WritesFailCleanly(ErrorCode error) {
  RegHandle key = 0, made = 0;
  bool ok = RegOpenKey(kUser, u"Software\\Real", KEY_ALL_ACCESS, &key) == ERROR_SUCCESS;
  const auto write = [&](int kind) {
    return kind == 0   ? SetBytes(key, u"v", "changed")
           : kind == 1 ? SetBytes(key, u"w", "added")
           : kind == 2 ? RegDeleteValue(key, u"v")
           : kind == 3 ? RegDeleteTree(kUser, u"Software")
           : kind == 4 ? RegDeleteTree(kUser, u"Keys")  // no values below
                       : RegCreateKey(key, u"New", KEY_READ, &made, nullptr);
  };
  for (int kind = 0; kind < 6; ++kind) {
    const ErrorCode direct = write(kind);
    ok = ok && direct != ERROR_SUCCESS && (error == 0 || direct == error);
    if (RegBeginBatch() == ERROR_SUCCESS) ok = ok && write(kind) != ERROR_SUCCESS;
    (void)RegEndBatch(true);
  }
  return ok && Get(key, u"v") == "real" && Get(key, u"w") == Err(ERROR_FILE_NOT_FOUND) &&
         RegOpenKey(kUser, u"Keys\\Only", KEY_READ, &key) == ERROR_SUCCESS;
}

// Permissions bind only for an ordinary user; only the verdict comes back.
TEST_F(RegistryTest, ReadOnlyFolderRefusesWritesCleanly) {
  const std::string nested = m_dir.Join("sub/") + kHiveName, folder = m_dir.Path();
  EXPECT_TRUE(test::RunUnprivileged(
      [&] {
        bool ok = ::chmod(folder.c_str(), 0500) == 0;
        for (const std::string& path : {m_hive, nested}) {
          SetRegistryHivePath(path);
          RegHandle key = 0;
          ok = ok && SetBytes(kUser, u"v", "x") == ERROR_ACCESS_DENIED &&
               RegCreateKey(kUser, u"K", KEY_ALL_ACCESS, &key, nullptr) == ERROR_ACCESS_DENIED &&
               RegBeginBatch() == ERROR_ACCESS_DENIED && Snapshot(folder).empty();
        }
        // An existing hive whose folder cannot take a journal keeps what it holds.
        ok = ok && ::chmod(folder.c_str(), 0700) == 0;
        MakeRealHive(folder);
        ok = ok && ::chmod(folder.c_str(), 0500) == 0;
        SetRegistryHivePath(m_hive);
        const Files before = Snapshot(folder);
        ok = ok && WritesFailCleanly(ERROR_ACCESS_DENIED) && Snapshot(folder) == before;
        return ::chmod(folder.c_str(), 0700) == 0 && ok;
      },
      {folder}));
}

// The limit and the signal change in a child.
TEST_F(RegistryTest, AWriteThatCannotBeStoredFails) {
  MakeRealHive(m_dir.Path());
  const pid_t child = ::fork();
  if (child == 0) {
    SetRegistryHivePath(m_hive);
    rlimit limit{};  // on failure no limit is set, nor then the check passed
    (void)::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 1024;  // the journal cannot take the page a write changes
    const bool ok = ::signal(SIGXFSZ, SIG_IGN) != SIG_ERR && ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    ::_exit(ok && WritesFailCleanly(0) ? 0 : 1);
  }
  int status = -1;
  EXPECT_TRUE(::waitpid(child, &status, 0) == child && status == 0);
}

// A child process: stores `name` = 1, 2, 3, ... for two seconds and at least three times,
// with `withHandle` every third write in a batch with "shadow" (else opening the hive anew
// each time). `report`: last stored, last stored in a batch, first unexpected failure.
[[noreturn]] void WriteInLoop(const std::string& hive, const char16_t* name, bool withHandle,
                              std::uint32_t* report) {
  SetRegistryHivePath(hive);  // nothing of the parent's registry state is used
  RegHandle key = kUser;
  ErrorCode error = ERROR_BUSY;
  while (withHandle && error == ERROR_BUSY) {
    error = report[2] = RegCreateKey(kUser, u"Race", KEY_ALL_ACCESS, &key, nullptr);
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
    const ErrorCode ended = began ? RegEndBatch(error == ERROR_SUCCESS) : ERROR_SUCCESS;
    if (error == ERROR_SUCCESS) error = ended;
    if (error == ERROR_SUCCESS) report[0] = n, report[1] = batch ? n : report[1];
    if (error != ERROR_SUCCESS && error != ERROR_BUSY) report[2] = error;
    ::usleep(1000);  // SQLite's busy wait polls: a writer without pauses keeps the other out
  }
  ::_exit(0);
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
  SetRegistryHivePath("");  // the hive is made by whichever child comes first
  void* shared = ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(shared, MAP_FAILED);
  auto* reports = static_cast<std::uint32_t(*)[3]>(shared);  // zeroed
  pid_t children[2] = {::fork(), 0};
  if (children[0] == 0) WriteInLoop(m_hive, u"first", false, reports[0]);
  children[1] = ::fork();
  if (children[1] == 0) WriteInLoop(m_hive, u"second", true, reports[1]);
  for (const pid_t child : children) {
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
  }
  SetRegistryHivePath(m_hive);
  RegHandle race = 0;
  ASSERT_EQ(RegOpenKey(kUser, u"Race", KEY_READ, &race), ERROR_SUCCESS);
  const auto counter = [](std::uint32_t n) { return std::string(reinterpret_cast<char*>(&n), 4); };
  EXPECT_EQ(reports[0][2] + reports[1][2], 0u);  // no unexpected failure
  EXPECT_TRUE(reports[0][0] >= 3 && reports[1][0] >= 3);
  EXPECT_EQ(Get(kUser, u"first"), counter(reports[0][0]));
  EXPECT_EQ(Get(race, u"second"), counter(reports[1][0]));
  EXPECT_EQ(Get(race, u"shadow"), counter(reports[1][1]));
  EXPECT_EQ(Sql(m_hive, "PRAGMA integrity_check"), Rows{"ok"});
  EXPECT_EQ(Snapshot(m_dir.Path()).size(), 1u);
  ::munmap(shared, 4096);
}

}  // namespace
}  // namespace bitvane
