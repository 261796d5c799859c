// The transaction guard every registry write runs in: what it stores, what it drops,
// and that it never ends a transaction it did not begin.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <string>

#include "platform/sqlite_handles.h"
#include "platform/sqlite_transaction.h"
#include "tests/support/temp_dir.h"

namespace bitvane {
namespace {

SqliteDatabase Open(const std::string& path) {
  sqlite3* raw = nullptr;
  (void)sqlite3_open(path.c_str(), &raw);
  return SqliteDatabase(raw);
}

int Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// How many rows the table holds, as another connection sees it.
int Rows(const std::string& path) {
  const SqliteDatabase db = Open(path);
  SqliteStatement count(db.get(), "SELECT count(*) FROM t");
  return count.Step() == SQLITE_ROW ? static_cast<int>(count.Int(0)) : -1;
}

class SqliteTransactionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.Made());
    m_path = m_dir.Join("t.db");
    m_db = Open(m_path);
    ASSERT_EQ(Exec(m_db.get(), "CREATE TABLE t(x)"), SQLITE_OK);
  }

  test::TempDir m_dir;
  std::string m_path;
  SqliteDatabase m_db;
};

TEST_F(SqliteTransactionTest, StoresOnlyWhatWasCommitted) {
  const struct {
    const char* label;
    std::function<int(SqliteTransaction&)> end;  // the result it gives
    int result;
    int rows;           // stored once the guard is gone
    bool open = false;  // before the guard is gone
  } rows[] = {
      {"committed", [](SqliteTransaction& t) { return t.Commit(); }, SQLITE_OK, 1},
      {"left to the destructor", [](SqliteTransaction&) { return SQLITE_OK; }, SQLITE_OK, 0, true},
      {"rolled back, then committed",
       [](SqliteTransaction& t) {
         t.Rollback();
         return t.Commit();
       },
       SQLITE_ERROR, 0},
      {"committed twice",
       [](SqliteTransaction& t) {
         (void)t.Commit();
         return t.Commit();
       },
       SQLITE_ERROR, 1},
      {"ended by the connection itself",
       [](SqliteTransaction& t) {
         (void)Exec(t.Connection(), "ROLLBACK");
         return t.Commit();
       },
       SQLITE_ERROR, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    ASSERT_EQ(Exec(m_db.get(), "DELETE FROM t"), SQLITE_OK);
    {
      SqliteTransaction transaction(m_db.get());
      ASSERT_EQ(transaction.Result(), SQLITE_OK);
      EXPECT_TRUE(transaction.IsOpen());
      ASSERT_EQ(Exec(m_db.get(), "INSERT INTO t VALUES(1)"), SQLITE_OK);
      EXPECT_EQ(row.end(transaction), row.result);
      EXPECT_EQ(transaction.IsOpen(), row.open);
    }
    EXPECT_EQ(sqlite3_get_autocommit(m_db.get()), 1);
    EXPECT_EQ(Rows(m_path), row.rows);
  }
}

TEST_F(SqliteTransactionTest, AFailedBeginEndsNoOtherTransaction) {
  // Another connection's write lock: the begin waits no longer than the busy timeout.
  const SqliteDatabase other = Open(m_path);
  ASSERT_EQ(Exec(other.get(), "BEGIN IMMEDIATE"), SQLITE_OK);
  {
    const SqliteTransaction busy(m_db.get());
    EXPECT_EQ(busy.Result(), SQLITE_BUSY);
    EXPECT_FALSE(busy.IsOpen());
  }
  ASSERT_EQ(Exec(other.get(), "ROLLBACK"), SQLITE_OK);

  // Inside an outer transaction: the inner one cannot begin and must leave it open.
  ASSERT_EQ(Exec(m_db.get(), "BEGIN; INSERT INTO t VALUES(1)"), SQLITE_OK);
  {
    SqliteTransaction nested(m_db.get());
    EXPECT_NE(nested.Result(), SQLITE_OK);
    EXPECT_FALSE(nested.IsOpen());
    EXPECT_EQ(nested.Commit(), nested.Result());
  }
  EXPECT_EQ(sqlite3_get_autocommit(m_db.get()), 0);
  ASSERT_EQ(Exec(m_db.get(), "COMMIT"), SQLITE_OK);
  EXPECT_EQ(Rows(m_path), 1);
}

TEST_F(SqliteTransactionTest, ACommitThatCannotBeDoneIsRolledBack) {
  // A reader holding its shared lock keeps the commit from writing the file.
  const SqliteDatabase reader = Open(m_path);
  ASSERT_EQ(Exec(reader.get(), "BEGIN; SELECT count(*) FROM t"), SQLITE_OK);
  {
    SqliteTransaction transaction(m_db.get());
    ASSERT_EQ(transaction.Result(), SQLITE_OK);
    ASSERT_EQ(Exec(m_db.get(), "INSERT INTO t VALUES(1)"), SQLITE_OK);
    EXPECT_EQ(transaction.Commit(), SQLITE_BUSY);
    EXPECT_TRUE(transaction.IsOpen());  // SQLite keeps it; the guard still owns it
  }
  EXPECT_EQ(sqlite3_get_autocommit(m_db.get()), 1);
  ASSERT_EQ(Exec(reader.get(), "COMMIT"), SQLITE_OK);
  EXPECT_EQ(Rows(m_path), 0);
}

}  // namespace
}  // namespace bitvane
