#pragma once
// The hive file behind the registry: where it lives, whether it can be read as ours,
// how a damaged one is moved aside, and the SQLite connection the registry works on.
// A hive is an SQLite database marked with our application id and schema version.

#include <sqlite3.h>

#include <cstdint>
#include <ctime>
#include <string>

#include "platform/last_error.h"
#include "platform/sqlite_handles.h"

namespace bitvane {

enum class HiveState {
  Missing,      // no file
  Fresh,        // an empty database (or empty file) that a write may set up
  Ours,         // our schema, passes the quick integrity check
  Unreachable,  // cannot be opened or read now (permissions, locked, I/O): left alone
  Damaged,      // readable bytes that are not our hive: to be moved aside
};

// Ids of the seven roots' rows, in the order of the root handles.
inline constexpr sqlite3_int64 kFirstRootKeyId = 1;
inline constexpr int kRootCount = 7;

// Our mark in the database header, and the schema this code reads and writes.
inline constexpr int kHiveApplicationId = 0x62767267;  // "bvrg"
inline constexpr int kHiveSchemaVersion = 1;

// The error number for an SQLite result code.
[[nodiscard]] ErrorCode ErrorFromSqlite(int result) noexcept;

// What the file at `path` holds, judged by our marks in its header (application id,
// schema version, no write-ahead log) and its companion files before SQLite opens it.
// Changes no file but ours, and ours only to play back the journal of a crashed write.
[[nodiscard]] HiveState InspectHive(const std::string& path);

// The name a damaged hive is moved to: `<path>.damaged-YYYYMMDDTHHMMSSZ`, with `-N`
// appended for the N-th attempt after the first.
[[nodiscard]] std::string DamagedHiveName(const std::string& path, std::time_t when, int attempt);

// Moves the hive at `path`, and any journal files beside it, to DamagedHiveName(...),
// never replacing an existing file; `movedTo` receives the new name. Works under a lock
// on the folder and only when the file there is still damaged, so two processes never
// move a fresh hive aside. A hive no longer there or no longer damaged is no failure
// (`movedTo` stays empty).
[[nodiscard]] ErrorCode MoveHiveAside(const std::string& path, std::string& movedTo);

// The first part of the folder of `path` that is there but is no folder (a file standing
// where a folder is needed); empty when there is none or it cannot be told. Follows
// symbolic links; linear in the length of `path`.
[[nodiscard]] std::string BlockingFile(const std::string& path);

// The connection to one hive file.
class RegistryHive {
 public:
  explicit RegistryHive(std::string path) : m_path(std::move(path)) {}
  RegistryHive(const RegistryHive&) = delete;
  RegistryHive& operator=(const RegistryHive&) = delete;

  [[nodiscard]] const std::string& Path() const noexcept { return m_path; }

  // The connection when the hive exists and is ours; null when it is missing, fresh or
  // damaged (all of which read as an empty registry) with `why` 0, or unreachable with
  // `why` telling why (busy, access denied, ...). Creates and changes nothing, but
  // plays back the journal of a crashed write of ours.
  [[nodiscard]] sqlite3* ForReading(ErrorCode& why);

  // A connection ready to write: creates the folder (0700) and the file (0600) when
  // missing, moves a damaged file aside first, and sets up the schema of a fresh one.
  [[nodiscard]] ErrorCode ForWriting(sqlite3*& db);

  void Close() noexcept {
    m_db.reset();
    m_ours = m_writable = false;
    ++m_closes;
  }
  [[nodiscard]] bool IsOpen() const noexcept { return m_db != nullptr; }
  // Changes whenever the connection may have been replaced, so that what was learnt
  // through the old one (such as PRAGMA data_version) is not compared with the new.
  [[nodiscard]] std::uint64_t ConnectionSerial() const noexcept { return m_closes; }

 private:
  // Runs `sql` (no results) on the open connection.
  [[nodiscard]] ErrorCode Execute(const char* sql);
  [[nodiscard]] ErrorCode OpenFile(bool create);
  [[nodiscard]] ErrorCode SetUpSchema();

  std::string m_path;
  SqliteDatabase m_db;
  bool m_ours = false;      // the connection's file holds our schema
  bool m_writable = false;  // the connection may write (else it was opened read-only)
  std::uint64_t m_closes = 0;
};

}  // namespace bitvane
