// The registry against databases that only look like a hive, the permissions of the
// files it makes, and listing values while something writes in between.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>

#include "platform/registry.h"
#include "platform/registry_hive.h"
#include "tests/support/registry_helpers.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text.h"

namespace bitvane {
namespace {

using test::SetBytes;
using test::TempDir;

constexpr const char* kHiveName = "registry.sqlite3";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file in `folder` with its size and a hash of its bytes.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string bytes = ReadFile(entry.path().string());
    files[entry.path().filename().string()] = std::to_string(bytes.size()) + " bytes, hash " +
                                              std::to_string(std::hash<std::string>()(bytes));
  }
  return files;
}

// Runs `sql` on a connection of its own; false when it fails. `keepLog` leaves a
// write-ahead log as it is when the connection closes.
bool Sql(const std::string& path, const std::string& sql, bool keepLog = false) {
  sqlite3* db = nullptr;
  bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK;
  if (ok && keepLog) {
    ok = sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr) == SQLITE_OK;
  }
  ok = ok && sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  return sqlite3_close(db) == SQLITE_OK && ok;
}

std::u16string EnumName(RegHandle key, std::uint32_t index, ErrorCode& error) {
  char16_t name[64] = {};
  std::uint32_t length = 64;
  error = RegEnumValue(key, index, name, &length, nullptr);
  return std::u16string(name, error == ERROR_SUCCESS ? length : 0);
}

using test::Narrow;

class RegistryHostileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_dir.Made()); }
  void TearDown() override { SetRegistryHivePath(""); }

  // A hive this code wrote, at `folder`/registry.sqlite3.
  static std::string MakeRealHive(const std::string& folder) {
    const std::string hive = folder + "/" + kHiveName;
    SetRegistryHivePath(hive);
    EXPECT_EQ(test::StoreValue(HKEY_CURRENT_USER, u"Software\\Real", u"v", REG_BINARY, "real"),
              ERROR_SUCCESS);
    SetRegistryHivePath("");
    return hive;
  }

  TempDir m_dir;
};

// Databases in write-ahead-log mode, or with a log beside them, are never ours: a look
// and a write leave them and their companions byte for byte as they were.
TEST_F(RegistryHostileTest, LoggedDatabasesStayAsTheyWereThroughAReadAndAWrite) {
  const std::string marks = "PRAGMA application_id = " + std::to_string(kHiveApplicationId) +
                            "; PRAGMA user_version = " + std::to_string(kHiveSchemaVersion) + ";";
  // Committed to the file itself, then switched to a log that keeps the last insert.
  const auto logged = [](const std::string& hive, const std::string& setUp) {
    return Sql(hive, setUp) &&
           Sql(hive, "PRAGMA journal_mode = WAL; INSERT INTO t VALUES('in the log only')", true);
  };
  const struct {
    const char* what;
    std::function<bool(const std::string& hive)> make;
  } rows[] = {
      {"another program's id",
       [&](const std::string& hive) {
         return logged(hive, "PRAGMA application_id = 42; CREATE TABLE t(x)");
       }},
      {"our marks",
       [&](const std::string& hive) { return logged(hive, marks + "CREATE TABLE t(x)"); }},
      {"our hive with a log",
       [&](const std::string& hive) {
         MakeRealHive(std::filesystem::path(hive).parent_path().string());
         return logged(hive, "CREATE TABLE t(x)");
       }},
      {"our marks, the header says no log, a log beside",
       [&](const std::string& hive) {
         if (!logged(hive, marks + "CREATE TABLE t(x)")) return false;
         std::fstream file(hive, std::ios::binary | std::ios::in | std::ios::out);
         file.seekp(18);
         file.write("\x01\x01", 2);  // the rollback journal's mode bytes
         return bool(file);
       }},
  };
  int index = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string folder = m_dir.MakeDir("case" + std::to_string(index++));
    const std::string hive = folder + "/" + kHiveName;
    ASSERT_TRUE(row.make(hive));
    const auto before = Snapshot(folder);
    ASSERT_EQ(before.count(std::string(kHiveName) + "-wal"), 1u);
    SetRegistryHivePath(hive);

    EXPECT_EQ(InspectHive(hive), HiveState::Damaged);
    RegHandle key = 0;
    EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"Software", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    ErrorCode error = 0;
    EXPECT_TRUE(EnumName(HKEY_CURRENT_USER, 0, error).empty());
    EXPECT_EQ(error, ERROR_NO_MORE_ITEMS);
    ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, nullptr, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    RegKeyInfo info;
    EXPECT_EQ(RegQueryInfoKey(key, &info), ERROR_SUCCESS);
    EXPECT_EQ(info.values + info.subKeys, 0u);
    EXPECT_EQ(Snapshot(folder), before);

    ASSERT_EQ(SetBytes(key, u"v", "new"), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    // Each file now under the damaged name, with the same suffix and bytes.
    std::map<std::string, std::string> moved;
    for (const auto& [name, bytes] : Snapshot(folder)) {
      const auto stamp = name.find(".damaged-");
      if (stamp != std::string::npos)
        moved[kHiveName + name.substr(name.find('Z', stamp) + 1)] = bytes;
    }
    EXPECT_EQ(moved, before);
    EXPECT_EQ(InspectHive(hive), HiveState::Ours);
    SetRegistryHivePath("");
  }
}

// A journal beside a hive of ours is what a crashed write leaves: reading plays it back.
// Beside a file with our marks but another schema it is left alone, as is the file.
TEST_F(RegistryHostileTest, ACrashedWriteIsUndoneOnlyInAHiveOfOurs) {
  const struct {
    const char* what;
    const char* change;  // made to our hive before the crash, if any
  } rows[] = {
      {"our hive", nullptr},
      {"our marks, another table", "CREATE TABLE extra(x)"},
      {"our marks, a trigger", "CREATE TRIGGER t AFTER INSERT ON vals BEGIN SELECT 1; END"},
  };
  int index = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string folder = m_dir.MakeDir("case" + std::to_string(index++));
    const std::string hive = MakeRealHive(folder);
    if (row.change) {
      ASSERT_TRUE(Sql(hive, row.change));
    }
    const std::string before = ReadFile(hive);
    const std::string crashed = m_dir.MakeDir("crashed" + std::to_string(index)) + "/" + kHiveName;
    // A write too big for the page cache: its journal is synced and the file half
    // written when the files are copied, as a crash would leave them.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(hive.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "PRAGMA cache_size = 2; BEGIN; INSERT INTO vals(key, name, folded,"
                           " type, data) VALUES(2, x'6200', x'4200', 3, zeroblob(200000))",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    for (const char* suffix : {"", "-journal"}) {
      std::filesystem::copy_file(hive + suffix, crashed + suffix);
    }
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_NE(ReadFile(crashed), before);
    const auto files = Snapshot(std::filesystem::path(crashed).parent_path().string());

    SetRegistryHivePath(crashed);
    RegHandle key = 0;
    const ErrorCode opened = RegOpenKey(HKEY_CURRENT_USER, u"Software\\Real", KEY_READ, &key);
    if (row.change) {
      EXPECT_EQ(opened, ERROR_FILE_NOT_FOUND);
      EXPECT_EQ(InspectHive(crashed), HiveState::Damaged);
      EXPECT_EQ(Snapshot(std::filesystem::path(crashed).parent_path().string()), files);
    } else {
      ASSERT_EQ(opened, ERROR_SUCCESS);
      std::uint32_t size = 0;
      EXPECT_EQ(RegQueryValue(key, u"v", nullptr, nullptr, &size), ERROR_SUCCESS);
      EXPECT_EQ(RegQueryValue(HKEY_CURRENT_USER, u"b", nullptr, nullptr, &size),
                ERROR_FILE_NOT_FOUND);
      EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
      EXPECT_FALSE(std::filesystem::exists(crashed + "-journal"));
      EXPECT_EQ(InspectHive(crashed), HiveState::Ours);
    }
    SetRegistryHivePath("");
  }
}

// The settings are the user's alone, whatever folder they land in and whatever umask.
TEST_F(RegistryHostileTest, HiveAndJournalArePrivate) {
  const mode_t mask = ::umask(022);
  for (const bool folderExists : {true, false}) {
    SCOPED_TRACE(folderExists ? "existing folder 0755" : "new folder");
    const std::string folder = m_dir.Join(folderExists ? "open" : "new");
    if (folderExists) m_dir.MakeDir("open");
    const std::string hive = folder + "/" + kHiveName;
    SetRegistryHivePath(hive);
    ASSERT_EQ(RegBeginBatch(), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(HKEY_CURRENT_USER, u"v", "secret"), ERROR_SUCCESS);
    struct stat journal {};
    ASSERT_EQ(::stat((hive + "-journal").c_str(), &journal), 0);
    EXPECT_EQ(journal.st_mode & 0777, 0600u);
    ASSERT_EQ(RegEndBatch(true), ERROR_SUCCESS);
    struct stat file {};
    ASSERT_EQ(::stat(hive.c_str(), &file), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
    SetRegistryHivePath("");
  }
  ::umask(mask);
}

// Listing by index goes on from where the last call stopped, but what it lists is always
// the index-th value as the key holds them at that moment.
TEST_F(RegistryHostileTest, ListingFollowsEveryWriteInBetween) {
  const std::string hive = m_dir.Join(kHiveName);
  // Another connection's write, as another process would make it.
  const auto elsewhere = [&](const std::string& sql) { ASSERT_TRUE(Sql(hive, sql)); };
  const struct {
    const char* what;
    std::function<void(RegHandle key)> between;
    const char16_t* third;  // the name at index 3 afterwards; null: none
    ErrorCode error;
  } rows[] = {
      {"nothing", [](RegHandle) {}, u"v3", ERROR_SUCCESS},
      {"an earlier value deleted",
       [](RegHandle key) { ASSERT_EQ(RegDeleteValue(key, u"v0"), ERROR_SUCCESS); }, u"v4",
       ERROR_SUCCESS},
      {"a later value deleted",
       [](RegHandle key) { ASSERT_EQ(RegDeleteValue(key, u"v3"), ERROR_SUCCESS); }, u"v4",
       ERROR_SUCCESS},
      {"a value added and another key written",
       [](RegHandle key) {
         ASSERT_EQ(SetBytes(key, u"w", "w"), ERROR_SUCCESS);
         ASSERT_EQ(test::StoreValue(HKEY_CURRENT_USER, u"Other", u"o"), ERROR_SUCCESS);
       },
       u"v3", ERROR_SUCCESS},
      {"an earlier value deleted through another handle",
       [](RegHandle) {
         RegHandle other = 0;
         ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"L", KEY_ALL_ACCESS, &other), ERROR_SUCCESS);
         ASSERT_EQ(RegDeleteValue(other, u"v1"), ERROR_SUCCESS);
         ASSERT_EQ(RegCloseKey(other), ERROR_SUCCESS);
       },
       u"v4", ERROR_SUCCESS},
      {"another process deletes an earlier value",
       [&](RegHandle) { elsewhere("DELETE FROM vals WHERE name = x'76003000'"); }, u"v4",
       ERROR_SUCCESS},
      {"another process puts a value first",
       [&](RegHandle) {
         elsewhere(
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
       [](RegHandle) { ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, u"L"), ERROR_SUCCESS); }, nullptr,
       ERROR_KEY_DELETED},
      {"all values deleted",
       [](RegHandle key) { ASSERT_EQ(RegDeleteTree(key, nullptr), ERROR_SUCCESS); }, nullptr,
       ERROR_NO_MORE_ITEMS},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    std::filesystem::remove(hive);
    SetRegistryHivePath(hive);
    RegHandle key = 0;
    ASSERT_EQ(RegCreateKey(HKEY_CURRENT_USER, u"L", KEY_ALL_ACCESS, &key, nullptr), ERROR_SUCCESS);
    for (const char16_t* name : {u"v0", u"v1", u"v2", u"v3", u"v4", u"v5"}) {
      ASSERT_EQ(SetBytes(key, name, "x"), ERROR_SUCCESS);
    }
    ErrorCode error = 0;
    for (std::uint32_t i = 0; i < 3; ++i) {
      EXPECT_EQ(Narrow(EnumName(key, i, error)), "v" + std::to_string(i));
    }
    row.between(key);
    EXPECT_EQ(Narrow(EnumName(key, 3, error)), row.third ? Narrow(row.third) : "");
    EXPECT_EQ(error, row.error);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    SetRegistryHivePath("");
  }
}

// With no handle open the connection closes after every call; a new one must not take
// up where the old one stopped.
TEST_F(RegistryHostileTest, ListingARootWithNoHandleOpen) {
  const std::string hive = m_dir.Join(kHiveName);
  SetRegistryHivePath(hive);
  for (const char16_t* name : {u"v0", u"v1", u"v2", u"v3"}) {
    ASSERT_EQ(SetBytes(HKEY_CURRENT_USER, name, "x"), ERROR_SUCCESS);
  }
  ErrorCode error = 0;
  EXPECT_EQ(Narrow(EnumName(HKEY_CURRENT_USER, 0, error)), "v0");
  EXPECT_EQ(Narrow(EnumName(HKEY_CURRENT_USER, 1, error)), "v1");
  ASSERT_TRUE(Sql(hive, "DELETE FROM vals WHERE name = x'76003000'"));  // v0, elsewhere
  EXPECT_EQ(Narrow(EnumName(HKEY_CURRENT_USER, 2, error)), "v3");
  EXPECT_EQ(Narrow(EnumName(HKEY_CURRENT_USER, 3, error)), "");
  EXPECT_EQ(error, ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryHostileTest, ListingInAnyOrderOfIndexes) {
  SetRegistryHivePath(m_dir.Join(kHiveName));
  RegHandle key = 0;
  ASSERT_EQ(RegCreateKey(HKEY_CURRENT_USER, u"L", KEY_ALL_ACCESS, &key, nullptr), ERROR_SUCCESS);
  for (const char16_t* name : {u"v0", u"v1", u"v2", u"v3"}) {
    ASSERT_EQ(SetBytes(key, name, "x"), ERROR_SUCCESS);
  }
  // A second handle on the same key keeps a listing of its own.
  RegHandle other = 0;
  ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"L", KEY_READ, &other), ERROR_SUCCESS);
  const struct {
    RegHandle key;
    std::uint32_t index;
  } calls[] = {{key, 0},   {key, 1},   {other, 0}, {key, 2}, {other, 1}, {key, 1},
               {key, 3},   {key, 4},   {key, 5},   {key, 0}, {key, 2},   {key, 3},
               {other, 2}, {other, 3}, {other, 4}, {key, 3}};
  for (const auto& call : calls) {
    SCOPED_TRACE(testing::Message() << "handle " << call.key << " index " << call.index);
    ErrorCode error = 0;
    const std::string name = Narrow(EnumName(call.key, call.index, error));
    EXPECT_EQ(name, call.index < 4 ? "v" + std::to_string(call.index) : "");
    EXPECT_EQ(error, call.index < 4 ? ERROR_SUCCESS : ERROR_NO_MORE_ITEMS);
  }
  // A name too long for the buffer is no step forward: the next call asks again.
  char16_t name[2] = {};
  std::uint32_t length = 2;
  EXPECT_EQ(RegEnumValue(key, 0, name, &length, nullptr), ERROR_MORE_DATA);
  ErrorCode error = 0;
  EXPECT_EQ(Narrow(EnumName(key, 0, error)), "v0");
  EXPECT_EQ(Narrow(EnumName(key, 1, error)), "v1");
  EXPECT_EQ(RegCloseKey(other), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

}  // namespace
}  // namespace bitvane
