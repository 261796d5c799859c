#include "platform/registry_hive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <set>
#include <string_view>

#include "platform/file_system.h"
#include "platform/hive_folder.h"
#include "platform/registry.h"
#include "platform/registry_names.h"
#include "platform/sqlite_transaction.h"

namespace bitvane {

namespace {

// The roots' names in the order of their handles (already in upper case).
constexpr std::u16string_view kRootNames[kRootCount] = {
    u"HKEY_CLASSES_ROOT",     u"HKEY_CURRENT_USER",   u"HKEY_LOCAL_MACHINE", u"HKEY_USERS",
    u"HKEY_PERFORMANCE_DATA", u"HKEY_CURRENT_CONFIG", u"HKEY_DYN_DATA"};

struct Judgement {
  HiveState state;
  ErrorCode error;         // why, for Unreachable
  int result = SQLITE_OK;  // the SQLite result behind a failure
};

Judgement FromFailure(int result) {
  const int primary = result & 0xFF;
  if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT || primary == SQLITE_ERROR ||
      result == SQLITE_IOERR_SHORT_READ) {
    return {HiveState::Damaged, ERROR_REGISTRY_CORRUPT, result};
  }
  return {HiveState::Unreachable, ErrorFromSqlite(result), result};
}

// Reads the single integer `sql` yields.
int ReadInt(sqlite3* db, const char* sql, sqlite3_int64& value) {
  SqliteStatement statement(db, sql);
  const int step = statement.Step();
  if (step != SQLITE_ROW) return step == SQLITE_DONE ? SQLITE_CORRUPT : step;
  value = statement.Int(0);
  return SQLITE_OK;
}

// The tables of a hive, as created; a file whose schema differs in any object is not ours.
// Key ids are never reused: an open handle on a removed key must not come to name a key
// made later.
constexpr const char* kCreateKeys =
    "CREATE TABLE keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL,"
    " name BLOB NOT NULL, folded BLOB NOT NULL, UNIQUE(parent, folded))";
constexpr const char* kCreateVals =
    "CREATE TABLE vals(id INTEGER PRIMARY KEY, key INTEGER NOT NULL,"
    " name BLOB NOT NULL, folded BLOB NOT NULL, type INTEGER NOT NULL,"
    " data BLOB NOT NULL, UNIQUE(key, folded))";

// Whether the schema is exactly the one SetUpSchema makes: no other table, index, view
// or trigger (which could loop, grow the file or change what is written).
int HasOurSchema(sqlite3* db, bool& ours) {
  static const std::set<std::string> kExpected = {
      std::string("index|sqlite_autoindex_keys_1|keys|"),
      std::string("index|sqlite_autoindex_vals_1|vals|"),
      std::string("table|keys|keys|") + kCreateKeys,
      std::string("table|sqlite_sequence|sqlite_sequence|CREATE TABLE sqlite_sequence(name,seq)"),
      std::string("table|vals|vals|") + kCreateVals,
  };
  SqliteStatement objects(db, "SELECT type, name, tbl_name, sql FROM sqlite_schema");
  std::set<std::string> found;
  int step;
  while ((step = objects.Step()) == SQLITE_ROW && found.size() <= kExpected.size()) {
    found.insert(objects.Text(0) + '|' + objects.Text(1) + '|' + objects.Text(2) + '|' +
                 objects.Text(3));
  }
  if (step != SQLITE_ROW && step != SQLITE_DONE) return step;
  ours = found == kExpected;
  return SQLITE_OK;
}

// Whether an open connection's file is ours, fresh or something else.
Judgement Judge(sqlite3* db) {
  sqlite3_int64 applicationId = 0;
  if (const int rc = ReadInt(db, "PRAGMA application_id", applicationId)) return FromFailure(rc);
  if (applicationId == 0) {
    sqlite3_int64 objects = 0;
    if (const int rc = ReadInt(db, "SELECT count(*) FROM sqlite_schema", objects)) {
      return FromFailure(rc);
    }
    return {objects == 0 ? HiveState::Fresh : HiveState::Damaged, ERROR_REGISTRY_CORRUPT};
  }
  if (applicationId != kHiveApplicationId) return {HiveState::Damaged, ERROR_REGISTRY_CORRUPT};

  sqlite3_int64 version = 0;
  if (const int rc = ReadInt(db, "PRAGMA user_version", version)) return FromFailure(rc);
  if (version != kHiveSchemaVersion) return {HiveState::Damaged, ERROR_REGISTRY_CORRUPT};
  bool ours = false;
  if (const int rc = HasOurSchema(db, ours)) return FromFailure(rc);
  if (!ours) return {HiveState::Damaged, ERROR_REGISTRY_CORRUPT};

  SqliteStatement check(db, "PRAGMA quick_check(1)");
  const int step = check.Step();
  if (step != SQLITE_ROW) return FromFailure(step == SQLITE_DONE ? SQLITE_CORRUPT : step);
  if (check.Text(0) != "ok") return {HiveState::Damaged, ERROR_REGISTRY_CORRUPT};

  sqlite3_int64 roots = 0;
  if (const int rc = ReadInt(db,
                             "SELECT count(*) FROM keys WHERE parent = 0 AND id BETWEEN 1 AND 7 "
                             "AND typeof(name) = 'blob' AND typeof(folded) = 'blob'",
                             roots)) {
    return FromFailure(rc);
  }
  if (roots != kRootCount) return {HiveState::Damaged, ERROR_REGISTRY_CORRUPT};
  return {HiveState::Ours, ERROR_SUCCESS};
}

enum class OpenMode { ReadOnly, ReadWrite, Create };

// Opens `path` as a database with our connection settings.
int OpenDatabase(const std::string& path, OpenMode mode, SqliteDatabase& db) {
  sqlite3* raw = nullptr;
  const int flags = SQLITE_OPEN_EXRESCODE |
                    (mode == OpenMode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                    (mode == OpenMode::Create ? SQLITE_OPEN_CREATE : 0);
  const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  db.reset(raw);
  if (rc != SQLITE_OK) return rc;
  sqlite3_busy_timeout(raw, kRegistryBusyWaitMs);
  // A file from elsewhere must not be able to run code or corrupt itself further.
  sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
  // Durable commits: the journal's removal is synced with its folder.
  return sqlite3_exec(raw, "PRAGMA synchronous = EXTRA; PRAGMA cell_size_check = ON", nullptr,
                      nullptr, nullptr);
}

// What the first 100 bytes of a file say, read without SQLite, which would play a
// leftover journal or log into any database it opens.
enum class Header { Empty, NotDatabase, Unmarked, Ours, Foreign };

std::uint32_t BigEndian32(const unsigned char* bytes) {
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
         std::uint32_t{bytes[2]} << 8 | bytes[3];
}

Header ReadHeader(int fd) {
  unsigned char header[100] = {};
  std::size_t got = 0;
  while (got < sizeof header) {
    const ssize_t n = ::read(fd, header + got, sizeof header - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  if (got == 0) return Header::Empty;
  if (got < sizeof header || std::memcmp(header, "SQLite format 3", 16) != 0) {
    return Header::NotDatabase;
  }
  // A hive never uses a write-ahead log: even a read-only look at such a database
  // would change its companions, and a read-write one would fold the log into it.
  if (header[18] != 1 || header[19] != 1) return Header::Foreign;
  const std::uint32_t version = BigEndian32(header + 60);
  const std::uint32_t id = BigEndian32(header + 68);
  if (id == 0 && version == 0) return Header::Unmarked;
  return id == static_cast<std::uint32_t>(kHiveApplicationId) &&
                 version == static_cast<std::uint32_t>(kHiveSchemaVersion)
             ? Header::Ours
             : Header::Foreign;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

// Whether the file at `path`, read as it is (any journal beside it ignored, no lock
// taken), holds our schema; a file no longer there or unreadable does not.
bool HasOurSchemaAsItIs(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file:";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      uri += c;
    } else {
      uri.append({'%', kHex[byte >> 4], kHex[byte & 15]});
    }
  }
  uri += "?immutable=1";
  sqlite3* raw = nullptr;
  const int rc =
      sqlite3_open_v2(uri.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
  const SqliteDatabase db(raw);
  bool ours = false;
  return rc == SQLITE_OK && HasOurSchema(db.get(), ours) == SQLITE_OK && ours;
}

// Opens `path` in `mode` and judges what the connection sees.
Judgement JudgeFile(const std::string& path, OpenMode mode, SqliteDatabase& db) {
  if (const int rc = OpenDatabase(path, mode, db)) return FromFailure(rc);
  return Judge(db.get());
}

// Judges the file at `path` by its header and companions, opening it only read-only
// unless it carries our marks and a journal of a crashed write must be played back.
// When it is ours and `keep` is given, the connection that judged it is handed over:
// read-write when `write` asks for it, else read-only where possible.
Judgement InspectFile(const std::string& path, SqliteDatabase* keep = nullptr, bool write = false) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) return {HiveState::Missing, ERROR_FILE_NOT_FOUND};
    return {HiveState::Unreachable, ErrorFromErrno(errno)};
  }
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  const Header header = regular ? ReadHeader(fd) : Header::Empty;
  ::close(fd);
  if (!regular) return {HiveState::Unreachable, ERROR_ACCESS_DENIED};
  // A log or its index beside the file would be read (and changed) by any connection.
  if (Exists(path + "-wal") || Exists(path + "-shm")) {
    return {HiveState::Damaged, ERROR_REGISTRY_CORRUPT};
  }
  switch (header) {
    case Header::Empty:
      return {HiveState::Fresh, ERROR_SUCCESS};
    case Header::NotDatabase:
    case Header::Foreign:
      return {HiveState::Damaged, ERROR_REGISTRY_CORRUPT};
    case Header::Unmarked: {
      // Only an empty database may be taken over; read-only, so nothing of it changes
      // (a journal left by a crash makes it unreadable, so damaged).
      SqliteDatabase db;
      const Judgement judgement = JudgeFile(path, OpenMode::ReadOnly, db);
      if (judgement.state == HiveState::Unreachable && judgement.error != ERROR_BUSY) {
        return {HiveState::Damaged, ERROR_REGISTRY_CORRUPT};
      }
      return judgement;
    }
    case Header::Ours:
      break;
  }
  SqliteDatabase db;
  Judgement judgement = JudgeFile(path, write ? OpenMode::ReadWrite : OpenMode::ReadOnly, db);
  if (judgement.result == SQLITE_READONLY_ROLLBACK) {
    // A journal of a crashed write: only a read-write connection plays it back, which
    // changes the file, so only when the file holds our schema (which no write of ours
    // changes once it is set up).
    if (!HasOurSchemaAsItIs(path)) return {HiveState::Damaged, ERROR_REGISTRY_CORRUPT};
    judgement = JudgeFile(path, OpenMode::ReadWrite, db);
  }
  if (keep && judgement.state == HiveState::Ours) *keep = std::move(db);
  return judgement;
}

}  // namespace

ErrorCode ErrorFromSqlite(int result) noexcept {
  switch (result & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
      return ERROR_SUCCESS;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return ERROR_BUSY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_CANTOPEN:
      return ERROR_ACCESS_DENIED;
    case SQLITE_FULL:
      return ERROR_DISK_FULL;
    case SQLITE_NOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_TOOBIG:
      return ERROR_INVALID_PARAMETER;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return ERROR_REGISTRY_CORRUPT;
    default:
      return ERROR_REGISTRY_IO_FAILED;
  }
}

HiveState InspectHive(const std::string& path) {
  return InspectFile(path).state;
}

ErrorCode RegistryHive::OpenFile(bool create) {
  if (create) {
    // Private from the start: SQLite would make it 0644 less the umask, and gives its
    // journal the mode of the file.
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
    } else if (errno != EEXIST) {
      return ErrorFromErrno(errno);
    }
  }
  const int rc = OpenDatabase(m_path, create ? OpenMode::Create : OpenMode::ReadWrite, m_db);
  if (rc != SQLITE_OK) m_db.reset();
  return ErrorFromSqlite(rc);
}

sqlite3* RegistryHive::ForReading(ErrorCode& why) {
  why = ERROR_SUCCESS;
  if (m_db) return m_ours ? m_db.get() : nullptr;
  const Judgement judgement = InspectFile(m_path, &m_db);
  if (judgement.state == HiveState::Unreachable) why = judgement.error;
  if (judgement.state != HiveState::Ours) return nullptr;
  m_ours = true;
  m_writable = sqlite3_db_readonly(m_db.get(), "main") == 0;
  return m_db.get();
}

ErrorCode RegistryHive::Execute(const char* sql) {
  return ErrorFromSqlite(sqlite3_exec(m_db.get(), sql, nullptr, nullptr, nullptr));
}

ErrorCode RegistryHive::SetUpSchema() {
  SqliteTransaction transaction(m_db.get());
  if (const int begun = transaction.Result()) return ErrorFromSqlite(begun);
  const Judgement judgement = Judge(m_db.get());
  ErrorCode error = ERROR_SUCCESS;
  if (judgement.state == HiveState::Fresh) {
    const std::string schema = std::string(kCreateKeys) + ";" + kCreateVals +
                               ";"
                               "PRAGMA user_version = " +
                               std::to_string(kHiveSchemaVersion) +
                               ";"
                               "PRAGMA application_id = " +
                               std::to_string(kHiveApplicationId) + ";";
    error = Execute(schema.c_str());
    // The roots hang below the non-existent key 0.
    for (int root = 0; error == ERROR_SUCCESS && root < kRootCount; ++root) {
      const std::string name = Utf16LeBytes(kRootNames[root]);
      SqliteStatement insert(m_db.get(),
                             "INSERT INTO keys(id, parent, name, folded) VALUES(?, 0, ?, ?)");
      insert.Bind(1, kFirstRootKeyId + root);
      insert.BindBlob(2, name);
      insert.BindBlob(3, name);
      error = ErrorFromSqlite(insert.Step());
    }
  } else if (judgement.state != HiveState::Ours) {
    error = judgement.state == HiveState::Damaged ? ERROR_REGISTRY_CORRUPT : judgement.error;
  }
  return error != ERROR_SUCCESS ? error : ErrorFromSqlite(transaction.Commit());
}

ErrorCode RegistryHive::ForWriting(sqlite3*& db) {
  db = nullptr;
  if (m_db && m_ours && m_writable) {
    db = m_db.get();
    return ERROR_SUCCESS;
  }
  Close();  // a read-only connection, or none
  ErrorCode error = ERROR_SUCCESS;
  for (int round = 0; round < 2; ++round) {
    const Judgement found = InspectFile(m_path, &m_db, true);
    if (found.state == HiveState::Unreachable) return found.error;
    if (found.state == HiveState::Ours) {
      m_ours = m_writable = true;
      db = m_db.get();
      return ERROR_SUCCESS;
    }
    m_db.reset();
    if (found.state == HiveState::Damaged) {
      std::string movedTo;
      if ((error = MoveHiveAside(m_path, movedTo))) return error;
    }
    if ((error = CreateFolders(FolderOf(m_path)))) return error;
    if ((error = OpenFile(true))) return error;
    error = SetUpSchema();
    if (error == ERROR_SUCCESS) {
      m_ours = m_writable = true;
      db = m_db.get();
      return ERROR_SUCCESS;
    }
    Close();
    // Only a file found damaged under the write lock is worth a second round.
    if (error != ERROR_REGISTRY_CORRUPT) return error;
  }
  return error;
}

}  // namespace bitvane
