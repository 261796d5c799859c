#pragma once
// One write transaction on an SQLite connection: begun when made, rolled back when it
// ends unless Commit() succeeded, so no path out of a write leaves it open.

#include <sqlite3.h>

namespace bitvane {

class SqliteTransaction {
 public:
  // Begins the transaction with the write lock taken at once (BEGIN IMMEDIATE), waiting
  // for another writer as long as the connection's busy timeout; Result() tells how
  // that went. A failed begin leaves the connection as it was.
  explicit SqliteTransaction(sqlite3* db) noexcept
      : m_db(db), m_result(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr)) {}
  SqliteTransaction(const SqliteTransaction&) = delete;
  SqliteTransaction& operator=(const SqliteTransaction&) = delete;
  ~SqliteTransaction() { Rollback(); }

  // SQLITE_OK when the transaction was begun, else the begin's result.
  [[nodiscard]] int Result() const noexcept { return m_result; }
  [[nodiscard]] sqlite3* Connection() const noexcept { return m_db; }

  // Whether the transaction is still going: begun, neither committed nor rolled back,
  // and not ended by SQLite itself (which it does on some failures).
  [[nodiscard]] bool IsOpen() const noexcept {
    return m_result == SQLITE_OK && !m_ended && sqlite3_get_autocommit(m_db) == 0;
  }

  // Stores what the transaction wrote. A transaction that is no longer open gives
  // SQLITE_ERROR and stores nothing; a failed commit leaves the rest to the rollback.
  [[nodiscard]] int Commit() noexcept {
    if (!IsOpen()) return m_result != SQLITE_OK ? m_result : SQLITE_ERROR;
    const int result = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    m_ended = result == SQLITE_OK;
    return result;
  }

  // Drops what the transaction wrote, if it is still open.
  void Rollback() noexcept {
    if (IsOpen()) (void)sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_ended = true;
  }

 private:
  sqlite3* m_db;
  int m_result;
  bool m_ended = false;
};

}  // namespace bitvane
