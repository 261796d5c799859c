#pragma once
// Owning handles for an SQLite connection and a prepared statement, so every path out
// of a function releases what it took.

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>

namespace bitvane {

struct SqliteCloser {
  void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
using SqliteDatabase = std::unique_ptr<sqlite3, SqliteCloser>;

class SqliteStatement {
 public:
  SqliteStatement() noexcept = default;
  // Prepares `sql`; Result() tells whether that worked.
  SqliteStatement(sqlite3* db, std::string_view sql) noexcept {
    m_result = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &m_stmt, nullptr);
  }
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;
  ~SqliteStatement() { sqlite3_finalize(m_stmt); }

  [[nodiscard]] int Result() const noexcept { return m_result; }
  [[nodiscard]] sqlite3_stmt* get() const noexcept { return m_stmt; }

  // Binds parameter `index` (from 1); a failed bind is kept as the result.
  void Bind(int index, sqlite3_int64 value) noexcept {
    Keep(sqlite3_bind_int64(m_stmt, index, value));
  }
  void BindBlob(int index, const void* data, std::size_t size) noexcept {
    // A zero-length blob must still be a blob, not NULL.
    static const char kNothing = 0;
    Keep(sqlite3_bind_blob64(m_stmt, index, size != 0 ? data : &kNothing, size, SQLITE_TRANSIENT));
  }
  void BindBlob(int index, const std::string& bytes) noexcept {
    BindBlob(index, bytes.data(), bytes.size());
  }

  // Runs one step: SQLITE_ROW, SQLITE_DONE or an error (also a failed prepare or bind).
  [[nodiscard]] int Step() noexcept {
    if (m_result != SQLITE_OK) return m_result;
    return sqlite3_step(m_stmt);
  }

  [[nodiscard]] sqlite3_int64 Int(int column) const noexcept {
    return sqlite3_column_int64(m_stmt, column);
  }
  [[nodiscard]] const void* BlobData(int column) const noexcept {
    return sqlite3_column_blob(m_stmt, column);
  }
  [[nodiscard]] std::size_t BlobSize(int column) const noexcept {
    return static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column));
  }
  [[nodiscard]] std::string Text(int column) const {
    const auto* text = sqlite3_column_text(m_stmt, column);
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
  }

 private:
  void Keep(int result) noexcept {
    if (m_result == SQLITE_OK) m_result = result;
  }

  sqlite3_stmt* m_stmt = nullptr;
  int m_result = SQLITE_MISUSE;
};

}  // namespace bitvane
