// The registry against hive files it did not write, folders it may not write to, and
// another process writing at the same time.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>

#include "platform/registry.h"
#include "platform/registry_hive.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace bitvane {
namespace {

using test::TempDir;

constexpr const char* kHiveName = "registry.sqlite3";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> Listing(const std::string& folder) {
  std::set<std::string> names;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

ErrorCode SetText(RegHandle key, const char16_t* name, const std::string& text) {
  return RegSetValue(key, name, REG_BINARY, reinterpret_cast<const std::uint8_t*>(text.data()),
                     static_cast<std::uint32_t>(text.size()));
}

std::string GetText(RegHandle key, const char16_t* name, ErrorCode& error) {
  char buffer[256] = {};
  std::uint32_t size = sizeof buffer;
  error = RegQueryValue(key, name, nullptr, reinterpret_cast<std::uint8_t*>(buffer), &size);
  return error == ERROR_SUCCESS ? std::string(buffer, size) : std::string();
}

// Runs `sql` on the database at `path`, made when missing; the first column of the last
// row it gave, or "(failed)".
std::string Sql(const std::string& path, const std::string& sql) {
  std::string last;
  const auto keep = +[](void* out, int, char** columns, char**) {
    *static_cast<std::string*>(out) = columns[0] ? columns[0] : "";
    return 0;
  };
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK ||
      sqlite3_exec(db, sql.c_str(), keep, &last, nullptr) != SQLITE_OK) {
    last = "(failed)";
  }
  if (sqlite3_close(db) != SQLITE_OK) last = "(failed)";
  return last;
}

class HiveFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_dir.Made()); }
  void TearDown() override {
    ::chmod(m_dir.Path().c_str(), 0700);
    SetRegistryHivePath("");
  }

  // The bytes of a hive this code wrote, big enough to span several pages.
  std::string RealHiveBytes() {
    const std::string hive = m_dir.MakeDir("real") + "/" + kHiveName;
    SetRegistryHivePath(hive);
    RegHandle key = 0;
    EXPECT_EQ(RegCreateKey(HKEY_CURRENT_USER, u"Software\\Real", KEY_ALL_ACCESS, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(SetText(key, u"big", std::string(20000, 'b')), ERROR_SUCCESS);
    EXPECT_EQ(SetText(key, u"v", "real"), ERROR_SUCCESS);
    SetRegistryHivePath("");
    return ReadFile(hive);
  }
  std::string DatabaseBytes(const std::string& sql) {
    const std::string path = m_dir.Join("made.db");
    std::filesystem::remove(path);
    EXPECT_NE(Sql(path, sql), "(failed)") << sql;
    return ReadFile(path);
  }

  TempDir m_dir;
};

TEST_F(HiveFaultsTest, ForeignFilesReadEmptyAndAreMovedAsideByTheFirstWrite) {
  std::mt19937 random(7);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const std::string real = RealHiveBytes();
  ASSERT_GT(real.size(), 8192u);
  const std::string ourId = "PRAGMA application_id = " + std::to_string(kHiveApplicationId) + ";";
  const struct {
    const char* what;
    std::string bytes;
  } rows[] = {
      {"random bytes", noise},
      {"half a hive", real.substr(0, real.size() / 2)},
      {"header and a little", real.substr(0, 112)},
      {"another program's database",
       DatabaseBytes("CREATE TABLE notes(t TEXT); INSERT INTO notes VALUES('mine')")},
      {"another program's WAL database",
       DatabaseBytes("PRAGMA journal_mode = WAL; CREATE TABLE notes(t TEXT);")},
      {"our id, another version",
       DatabaseBytes(ourId + "PRAGMA user_version = 2; CREATE TABLE keys(id INTEGER)")},
      {"our id and version, no tables", DatabaseBytes(ourId + "PRAGMA user_version = 1;")},
  };
  int index = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string folder = m_dir.MakeDir("case" + std::to_string(index++));
    const std::string hive = folder + "/" + kHiveName;
    std::ofstream(hive, std::ios::binary)
        .write(row.bytes.data(), static_cast<std::streamsize>(row.bytes.size()));
    SetRegistryHivePath(hive);

    RegHandle key = 0;
    ErrorCode error = 0;
    EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"Software", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetText(HKEY_CURRENT_USER, u"v", error), "");
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValue(HKEY_CURRENT_USER, u"v"), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, nullptr, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    EXPECT_EQ(InspectHive(hive), HiveState::Damaged);
    EXPECT_TRUE(ReadFile(hive) == row.bytes);
    EXPECT_EQ(Listing(folder), std::set<std::string>{kHiveName});

    const std::time_t before = std::time(nullptr);
    ASSERT_EQ(SetText(key, u"v", "new"), ERROR_SUCCESS);
    std::string movedTo;  // stamped with a time of the write
    for (std::time_t when = before; when <= std::time(nullptr); ++when) {
      if (::access(DamagedHiveName(hive, when, 1).c_str(), F_OK) == 0) {
        movedTo = DamagedHiveName(hive, when, 1);
      }
    }
    ASSERT_FALSE(movedTo.empty());
    EXPECT_EQ(Listing(folder),
              (std::set<std::string>{kHiveName, movedTo.substr(folder.size() + 1)}));
    EXPECT_TRUE(ReadFile(movedTo) == row.bytes);
    EXPECT_EQ(GetText(key, u"v", error), "new");
    SetRegistryHivePath("");
    EXPECT_EQ(InspectHive(hive), HiveState::Ours);
  }
}

// Our own hive with a schema object added or changed: a view or trigger could loop or
// grow the file, a table without its unique constraint would refuse every write.
TEST_F(HiveFaultsTest, AnyOtherSchemaIsDamagedAndNeverRun) {
  const std::string real = RealHiveBytes();
  const char* changes[] = {
      "CREATE VIEW loop AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) "
      "SELECT i FROM n",
      "CREATE TRIGGER grow AFTER INSERT ON vals BEGIN "
      "INSERT INTO vals(key, name, folded, type, data) SELECT key, name || x'00', "
      "folded || x'00', type, zeroblob(1000000) FROM vals; END",
      "CREATE TABLE extra(x)",
      "CREATE INDEX byType ON vals(type)",
      "ALTER TABLE vals RENAME TO old; CREATE TABLE vals(id INTEGER PRIMARY KEY, key INTEGER,"
      " name BLOB, folded BLOB, type INTEGER, data BLOB); DROP TABLE old",
  };
  for (const char* change : changes) {
    SCOPED_TRACE(change);
    const std::string hive = m_dir.Write(kHiveName, real);
    ASSERT_NE(Sql(hive, change), "(failed)");
    const std::string bytes = ReadFile(hive);
    SetRegistryHivePath(hive);
    EXPECT_EQ(InspectHive(hive), HiveState::Damaged);
    ASSERT_EQ(SetText(HKEY_CURRENT_USER, u"v", "new"), ERROR_SUCCESS);
    EXPECT_EQ(InspectHive(hive), HiveState::Ours);
    EXPECT_LT(ReadFile(hive).size(), 100000u);
    SetRegistryHivePath("");
    std::filesystem::remove_all(m_dir.Path());
    ASSERT_EQ(::mkdir(m_dir.Path().c_str(), 0700), 0);
  }
}

// Another program's database with a journal or log beside it: looking changes nothing,
// and the first write moves the companions along with the file.
TEST_F(HiveFaultsTest, CompanionFilesStayWithADamagedFile) {
  const std::string hive = m_dir.Join(kHiveName);
  for (const char* mode : {"PERSIST", "WAL"}) {
    SCOPED_TRACE(mode);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(hive.c_str(), &db), SQLITE_OK);
    const std::string sql = std::string("PRAGMA journal_mode = ") + mode +
                            "; CREATE TABLE t(x); INSERT INTO t VALUES(1);";
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    // Copy the files while they are open: the log still holds what was written.
    std::map<std::string, std::string> files;
    for (const std::string& name : Listing(m_dir.Path())) files[name] = ReadFile(m_dir.Join(name));
    sqlite3_close(db);
    for (const auto& [name, bytes] : files) m_dir.Write(name, bytes);
    ASSERT_GT(files.size(), 1u);

    SetRegistryHivePath(hive);
    EXPECT_EQ(InspectHive(hive), HiveState::Damaged);
    RegHandle key = 0;
    EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"Software", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    for (const auto& [name, bytes] : files)
      EXPECT_TRUE(ReadFile(m_dir.Join(name)) == bytes) << name;
    EXPECT_EQ(Listing(m_dir.Path()).size(), files.size());

    ASSERT_EQ(SetText(HKEY_CURRENT_USER, u"v", "new"), ERROR_SUCCESS);
    int moved = 0;
    for (const std::string& name : Listing(m_dir.Path())) {
      const auto stamp = name.find(".damaged-");
      if (stamp == std::string::npos) continue;
      // registry.sqlite3.damaged-<stamp>Z and its companions <that>-journal, -wal, -shm
      const std::string original = kHiveName + name.substr(name.find('Z', stamp) + 1);
      EXPECT_TRUE(ReadFile(m_dir.Join(name)) == files[original]) << name;
      ++moved;
    }
    EXPECT_EQ(moved, static_cast<int>(files.size()));
    SetRegistryHivePath("");
    std::filesystem::remove_all(m_dir.Path());
    ASSERT_EQ(::mkdir(m_dir.Path().c_str(), 0700), 0);
  }
}

TEST_F(HiveFaultsTest, EmptyFileIsTakenOverAndAFolderLeftAlone) {
  const std::string hive = m_dir.Write(kHiveName, "");
  SetRegistryHivePath(hive);
  EXPECT_EQ(InspectHive(hive), HiveState::Fresh);
  RegHandle key = 0;
  EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"Software", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(SetText(HKEY_CURRENT_USER, u"v", "new"), ERROR_SUCCESS);
  EXPECT_EQ(Listing(m_dir.Path()), std::set<std::string>{kHiveName});
  EXPECT_EQ(InspectHive(hive), HiveState::Ours);

  // Something that is not a file cannot be ours, and is no damaged file either.
  const std::string folder = m_dir.MakeDir("folder");
  SetRegistryHivePath(folder);
  EXPECT_EQ(InspectHive(folder), HiveState::Unreachable);
  EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"Software", KEY_READ, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(SetText(HKEY_CURRENT_USER, u"v", "new"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Listing(m_dir.Path()), (std::set<std::string>{kHiveName, "folder"}));
}

TEST_F(HiveFaultsTest, ReadOnlyFolderRefusesWritesCleanly) {
  const std::string hive = m_dir.Join(kHiveName);
  const std::string nested = m_dir.Join("sub/") + kHiveName;
  const std::string folder = m_dir.Path();
  // Runs as an ordinary user, where permissions bind; only the verdict comes back.
  EXPECT_TRUE(test::RunUnprivileged(
      [&] {
        bool ok = ::chmod(folder.c_str(), 0500) == 0;
        for (const std::string& path : {hive, nested}) {
          SetRegistryHivePath(path);
          RegHandle key = 0;
          ok = ok && SetText(HKEY_CURRENT_USER, u"v", "x") == ERROR_ACCESS_DENIED &&
               RegCreateKey(HKEY_CURRENT_USER, u"K", KEY_ALL_ACCESS, &key, nullptr) ==
                   ERROR_ACCESS_DENIED &&
               RegBeginBatch() == ERROR_ACCESS_DENIED && Listing(folder).empty();
        }
        // An existing hive whose folder cannot take a journal keeps what it holds.
        ok = ok && ::chmod(folder.c_str(), 0700) == 0;
        SetRegistryHivePath(hive);
        ok = ok && SetText(HKEY_CURRENT_USER, u"v", "stored") == ERROR_SUCCESS &&
             ::chmod(folder.c_str(), 0500) == 0;
        SetRegistryHivePath(hive);
        const std::string bytes = ReadFile(hive);
        ErrorCode error = 0;
        ok = ok && SetText(HKEY_CURRENT_USER, u"v", "changed") == ERROR_ACCESS_DENIED &&
             SetText(HKEY_CURRENT_USER, u"w", "added") == ERROR_ACCESS_DENIED &&
             GetText(HKEY_CURRENT_USER, u"v", error) == "stored";
        (void)GetText(HKEY_CURRENT_USER, u"w", error);
        ok = ok && error == ERROR_FILE_NOT_FOUND && ReadFile(hive) == bytes &&
             Listing(folder) == std::set<std::string>{kHiveName};
        return ::chmod(folder.c_str(), 0700) == 0 && ok;
      },
      {folder}));
}

// What a writing child reports to the parent.
struct WriterReport {
  std::uint32_t last = 0;       // the last counter stored
  std::uint32_t lastBatch = 0;  // the last counter stored by a batch
  ErrorCode unexpected = 0;     // the first other failure
};

// A child process: writes `name` = 1, 2, 3, ... for two seconds and until three were
// stored, every `batchEvery`-th write (0: never) together with "shadow" in one batch,
// and sends its report to `fd`.
[[noreturn]] void WriteInLoop(const std::string& hive, const char16_t* name, bool withHandle,
                              std::uint32_t batchEvery, int fd) {
  SetRegistryHivePath(hive);  // nothing of the parent's registry state is used
  WriterReport report;
  RegHandle key = HKEY_CURRENT_USER;
  if (withHandle) {
    ErrorCode error = ERROR_BUSY;
    while (error == ERROR_BUSY)
      error = RegCreateKey(HKEY_CURRENT_USER, u"Race", KEY_ALL_ACCESS, &key, nullptr);
    report.unexpected = error;
  }
  const auto start = std::chrono::steady_clock::now();
  const auto running = [&] {
    const auto spent = std::chrono::steady_clock::now() - start;
    return spent < std::chrono::seconds(2) || (report.last < 3 && spent < std::chrono::seconds(60));
  };
  for (std::uint32_t n = 1; report.unexpected == 0 && running(); ++n) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&n);
    const bool batch = batchEvery != 0 && n % batchEvery == 0;
    ErrorCode error = ERROR_SUCCESS;
    if (batch) {
      error = RegBeginBatch();
      if (error == ERROR_SUCCESS) {
        error = RegSetValue(key, u"shadow", REG_DWORD, bytes, 4);
        if (error == ERROR_SUCCESS) error = RegSetValue(key, name, REG_DWORD, bytes, 4);
        const ErrorCode ended = RegEndBatch(error == ERROR_SUCCESS);
        if (error == ERROR_SUCCESS) error = ended;
      }
    } else {
      error = RegSetValue(key, name, REG_DWORD, bytes, 4);
    }
    if (error == ERROR_SUCCESS) {
      report.last = n;
      if (batch) report.lastBatch = n;
    } else if (error != ERROR_BUSY) {
      report.unexpected = error;
    }
    // SQLite's busy wait polls, so a process writing without a pause would keep the
    // other one out for good.
    ::usleep(1000);
  }
  const bool sent = ::write(fd, &report, sizeof report) == static_cast<ssize_t>(sizeof report);
  ::_exit(sent ? 0 : 1);
}

std::uint32_t StoredCounter(RegHandle key, const char16_t* name) {
  std::uint32_t stored = 0;
  std::uint32_t size = sizeof stored;
  const ErrorCode error =
      RegQueryValue(key, name, nullptr, reinterpret_cast<std::uint8_t*>(&stored), &size);
  EXPECT_EQ(error, ERROR_SUCCESS);
  EXPECT_EQ(size, sizeof stored);
  return stored;
}

TEST_F(HiveFaultsTest, TwoProcessesWritingAtOnceLoseNothing) {
  const std::string hive = m_dir.Join(kHiveName);  // made by whichever child comes first
  const struct {
    const char16_t* name;
    bool withHandle;  // else every write opens the hive anew
    std::uint32_t batchEvery;
  } writers[] = {{u"first", false, 0}, {u"second", true, 3}};
  pid_t children[2] = {};
  int pipes[2][2] = {};
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(::pipe(pipes[i]), 0);
    children[i] = ::fork();
    ASSERT_GE(children[i], 0);
    if (children[i] == 0) {
      ::close(pipes[i][0]);
      WriteInLoop(hive, writers[i].name, writers[i].withHandle, writers[i].batchEvery, pipes[i][1]);
    }
    ::close(pipes[i][1]);
  }
  WriterReport reports[2];
  for (int i = 0; i < 2; ++i) {
    int status = -1;
    ASSERT_EQ(::waitpid(children[i], &status, 0), children[i]);
    EXPECT_EQ(status, 0) << i;
    EXPECT_EQ(::read(pipes[i][0], &reports[i], sizeof reports[i]), ssize_t{sizeof reports[i]});
    ::close(pipes[i][0]);
    EXPECT_EQ(reports[i].unexpected, 0u) << "writer " << i;
    EXPECT_GE(reports[i].last, 3u) << "writer " << i;
  }

  SetRegistryHivePath(hive);
  RegHandle race = 0;
  ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"Race", KEY_READ, &race), ERROR_SUCCESS);
  EXPECT_EQ(StoredCounter(HKEY_CURRENT_USER, u"first"), reports[0].last);
  EXPECT_EQ(StoredCounter(race, u"second"), reports[1].last);
  EXPECT_EQ(StoredCounter(race, u"shadow"), reports[1].lastBatch);
  EXPECT_EQ(Sql(hive, "PRAGMA integrity_check"), "ok");
  EXPECT_EQ(Listing(m_dir.Path()), std::set<std::string>{kHiveName});
}

}  // namespace
}  // namespace bitvane
