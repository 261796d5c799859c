// The registry against hive files it did not write, folders it may not write to, a disk
// that fills up, and another process writing at the same time.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <string>

#include "platform/registry.h"
#include "platform/registry_hive.h"
#include "tests/support/registry_helpers.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace bitvane {
namespace {

using test::SetBytes;
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
    if (stamp != std::string::npos) {
      moved[kHiveName + name.substr(name.find('Z', stamp) + 1)] = bytes;
    }
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

std::string GetText(RegHandle key, const char16_t* name, ErrorCode& error) {
  char buffer[256] = {};
  std::uint32_t size = sizeof buffer;
  error = RegQueryValue(key, name, nullptr, reinterpret_cast<std::uint8_t*>(buffer), &size);
  return error == ERROR_SUCCESS ? std::string(buffer, size) : std::string();
}

// The result of `check` run in a child process, whose limits and signals it may change.
bool InChild(const std::function<bool()>& check) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(check() ? 0 : 1);
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

class HiveFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_dir.Made()); }
  void TearDown() override {
    ::chmod(m_dir.Path().c_str(), 0700);
    SetRegistryHivePath("");
  }

  // A hive this code wrote, at `folder`/registry.sqlite3, big enough to span several pages.
  static std::string MakeRealHive(const std::string& folder) {
    const std::string hive = folder + "/" + kHiveName;
    SetRegistryHivePath(hive);
    EXPECT_EQ(test::StoreValue(HKEY_CURRENT_USER, u"Software\\Real", u"v", REG_BINARY, "real"),
              ERROR_SUCCESS);
    EXPECT_EQ(SetBytes(HKEY_CURRENT_USER, u"big", std::string(20000, 'b')), ERROR_SUCCESS);
    SetRegistryHivePath("");
    return hive;
  }

  test::TempDir m_dir;
};

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
  const std::string toLog = "PRAGMA journal_mode = WAL; INSERT INTO t VALUES('in the log only')";
  enum Start { kBytes, kRealHive };
  const struct {
    const char* what;
    Start start;
    std::string bytes;       // for kBytes
    std::string sql;         // run on it afterwards, if any
    bool log = false;        // then leave a write-ahead log with the last row in it
    bool noLogMark = false;  // then mark the header as not using a log
  } rows[] = {
      {"random bytes", kBytes, noise, ""},
      {"half a hive", kBytes, real.substr(0, real.size() / 2), ""},
      {"header and a little", kBytes, real.substr(0, 112), ""},
      {"another program's database, journal kept", kBytes, "",
       "PRAGMA journal_mode = PERSIST; CREATE TABLE t(x); INSERT INTO t VALUES(1)"},
      {"another program's database with a log", kBytes, "", "CREATE TABLE t(x);" + toLog, true},
      {"our id, another version", kBytes, "",
       marks + "PRAGMA user_version = 2; CREATE TABLE keys(id INTEGER)"},
      {"our marks, no tables", kBytes, "", marks},
      {"our hive with a log", kRealHive, "", "CREATE TABLE t(x);" + toLog, true},
      {"our marks, no log in the header, a log beside", kBytes, "",
       marks + "CREATE TABLE t(x);" + toLog, true, true},
      {"our hive with a view that never ends", kRealHive, "",
       "CREATE VIEW loop AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) "
       "SELECT i FROM n"},
      {"our hive with a trigger that grows it", kRealHive, "",
       "CREATE TRIGGER grow AFTER INSERT ON vals BEGIN INSERT INTO vals(key, name, folded, type,"
       " data) SELECT key, name || x'00', folded || x'00', type, zeroblob(1000000) FROM vals; END"},
      {"our hive without a root", kRealHive, "", "DELETE FROM keys WHERE id = 7"}};
  int index = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string folder = m_dir.MakeDir("case" + std::to_string(index++));
    const std::string hive = folder + "/" + kHiveName;
    if (row.start == kRealHive) MakeRealHive(folder);
    if (row.start == kBytes) std::ofstream(hive, std::ios::binary) << row.bytes;
    if (!row.sql.empty()) {
      ASSERT_NE(Sql(hive, row.sql, row.log), "(failed)");
    }
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
    EXPECT_EQ(GetText(HKEY_CURRENT_USER, u"v", error), "");
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
    EXPECT_EQ(GetText(key, u"v", error), "new");
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    SetRegistryHivePath("");
    EXPECT_EQ(InspectHive(hive), HiveState::Ours);
  }
}

// A journal beside a hive of ours is what a crashed write leaves: reading plays it back.
// Beside a file with our marks but another schema it is left alone, as is the file.
TEST_F(HiveFaultsTest, ACrashedWriteIsUndoneOnlyInAHiveOfOurs) {
  for (const char* change : {"", "CREATE TABLE extra(x)"}) {
    SCOPED_TRACE(change);
    const std::string hive =
        MakeRealHive(m_dir.MakeDir(std::string("made") + (*change ? "2" : "")));
    ASSERT_NE(Sql(hive, change), "(failed)");
    // Characters a URI would take for its own.
    const std::string folder = m_dir.MakeDir(std::string("crashed #%?") + (*change ? "2" : ""));
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
    for (const char* suffix : {"", "-journal"}) {
      std::filesystem::copy_file(hive + suffix, crashed + suffix);
    }
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_NE(ReadFile(crashed), ReadFile(hive));
    const Files files = Snapshot(folder);

    SetRegistryHivePath(crashed);
    RegHandle key = 0;
    const ErrorCode opened = RegOpenKey(HKEY_CURRENT_USER, u"Software\\Real", KEY_READ, &key);
    if (*change) {
      EXPECT_EQ(opened, ERROR_FILE_NOT_FOUND);
      EXPECT_EQ(InspectHive(crashed), HiveState::Damaged);
      EXPECT_EQ(Snapshot(folder), files);
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

TEST_F(HiveFaultsTest, EmptyFileIsTakenOverAndAFolderLeftAlone) {
  const std::string hive = m_dir.Write(kHiveName, "");
  SetRegistryHivePath(hive);
  EXPECT_EQ(InspectHive(hive), HiveState::Fresh);
  RegHandle key = 0;
  EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"Software", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(SetBytes(HKEY_CURRENT_USER, u"v", "new"), ERROR_SUCCESS);
  EXPECT_EQ(Snapshot(m_dir.Path()).size(), 1u);
  EXPECT_EQ(InspectHive(hive), HiveState::Ours);

  // Something that is not a file cannot be ours, and is no damaged file either.
  const std::string folder = m_dir.MakeDir("folder");
  SetRegistryHivePath(folder);
  EXPECT_EQ(InspectHive(folder), HiveState::Unreachable);
  EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, u"Software", KEY_READ, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(SetBytes(HKEY_CURRENT_USER, u"v", "new"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Snapshot(m_dir.Path()).size(), 2u);
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
          ok = ok && SetBytes(HKEY_CURRENT_USER, u"v", "x") == ERROR_ACCESS_DENIED &&
               RegCreateKey(HKEY_CURRENT_USER, u"K", KEY_ALL_ACCESS, &key, nullptr) ==
                   ERROR_ACCESS_DENIED &&
               RegBeginBatch() == ERROR_ACCESS_DENIED && Snapshot(folder).empty();
        }
        // An existing hive whose folder cannot take a journal keeps what it holds.
        ok = ok && ::chmod(folder.c_str(), 0700) == 0;
        SetRegistryHivePath(hive);
        ok = ok && SetBytes(HKEY_CURRENT_USER, u"v", "stored") == ERROR_SUCCESS &&
             ::chmod(folder.c_str(), 0500) == 0;
        SetRegistryHivePath(hive);
        const Files before = Snapshot(folder);
        ErrorCode error = 0;
        ok = ok && SetBytes(HKEY_CURRENT_USER, u"v", "changed") == ERROR_ACCESS_DENIED &&
             SetBytes(HKEY_CURRENT_USER, u"w", "added") == ERROR_ACCESS_DENIED &&
             GetText(HKEY_CURRENT_USER, u"v", error) == "stored";
        (void)GetText(HKEY_CURRENT_USER, u"w", error);
        ok = ok && error == ERROR_FILE_NOT_FOUND && Snapshot(folder) == before;
        return ::chmod(folder.c_str(), 0700) == 0 && ok;
      },
      {folder}));
}

// A hive another process holds locked past the wait is busy, not damaged: calls fail
// with ERROR_BUSY and the file stays where it is.
TEST_F(HiveFaultsTest, ALockedHiveIsBusyNotDamaged) {
  const std::string hive = MakeRealHive(m_dir.Path());
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(hive.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  const Files before = Snapshot(m_dir.Path());
  SetRegistryHivePath(hive);
  ErrorCode error = 0;
  EXPECT_EQ(GetText(HKEY_CURRENT_USER, u"big", error), "");
  EXPECT_EQ(error, ERROR_BUSY);
  EXPECT_EQ(SetBytes(HKEY_CURRENT_USER, u"v", "x"), ERROR_BUSY);
  EXPECT_EQ(Snapshot(m_dir.Path()), before);
  sqlite3_close(other);
}

// A write whose file cannot grow fails with the reason and stores nothing, also inside
// a batch, where no later commit would tell.
TEST_F(HiveFaultsTest, AWriteThatCannotBeStoredFails) {
  const std::string hive = MakeRealHive(m_dir.Path());
  EXPECT_TRUE(InChild([&] {
    SetRegistryHivePath(hive);
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
    return ok && GetText(key, u"v", error) == "real";
  }));
}

// The settings are the user's alone, whatever folder they land in and whatever umask.
TEST_F(HiveFaultsTest, HiveAndJournalArePrivate) {
  const mode_t mask = ::umask(022);
  for (const char* folder : {"", "/new"}) {  // an existing folder (0700) and a new one
    SCOPED_TRACE(folder);
    const std::string hive = m_dir.Path() + folder + "/" + kHiveName;
    SetRegistryHivePath(hive);
    ASSERT_EQ(RegBeginBatch(), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(HKEY_CURRENT_USER, u"v", "secret"), ERROR_SUCCESS);
    for (const char* suffix : {"", "-journal"}) {
      struct stat file {};
      ASSERT_EQ(::stat((hive + suffix).c_str(), &file), 0);
      EXPECT_EQ(file.st_mode & 0777, 0600u) << suffix;
    }
    ASSERT_EQ(RegEndBatch(true), ERROR_SUCCESS);
  }
  ::umask(mask);
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
  EXPECT_EQ(Snapshot(m_dir.Path()).size(), 1u);
}

}  // namespace
}  // namespace bitvane
