// The transaction guard every registry write runs in: what it stores, what it drops,
// and that it never ends a transaction it did not begin.

#include <gtest/gtest.h>
#include <sqlite3.h>

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

int Commit(SqliteTransaction& t) {
  return t.Commit();
}

TEST(SqliteTransaction, StoresOnlyWhatWasCommittedAndEndsNoOtherTransaction) {
  test::TempDir dir;
  ASSERT_TRUE(dir.Made());
  const std::string path = dir.Join("t.db");
  const SqliteDatabase db = Open(path);
  ASSERT_EQ(Exec(db.get(), "CREATE TABLE t(x)"), SQLITE_OK);
  const struct {
    const char* label;
    const char* other;  // run first on a second connection
    const char* outer;  // run first on the guard's own connection
    int begin;
    int (*end)(SqliteTransaction&);  // gives `result`
    int result;
    bool open;  // before the guard is gone
    int rows;   // stored once every transaction is over
  } rows[] = {
      {"committed", "", "", SQLITE_OK, Commit, SQLITE_OK, false, 1},
      {"left to the destructor", "", "", SQLITE_OK, [](SqliteTransaction&) { return 0; }, 0, true,
       0},
      {"rolled back, then committed", "", "", SQLITE_OK,
       [](SqliteTransaction& t) { return t.Rollback(), t.Commit(); }, SQLITE_ERROR, false, 0},
      {"committed twice", "", "", SQLITE_OK,
       [](SqliteTransaction& t) { return (void)t.Commit(), t.Commit(); }, SQLITE_ERROR, false, 1},
      {"ended by the connection itself", "", "", SQLITE_OK,
       [](SqliteTransaction& t) { return Exec(t.Connection(), "ROLLBACK"), t.Commit(); },
       SQLITE_ERROR, false, 0},
      {"another writer", "BEGIN IMMEDIATE", "", SQLITE_BUSY, Commit, SQLITE_BUSY, false, 0},
      // The commit cannot write while a reader holds its lock: the guard still owns it.
      {"a reader", "BEGIN; SELECT count(*) FROM t", "", SQLITE_OK, Commit, SQLITE_BUSY, true, 0},
      {"inside an outer transaction", "", "BEGIN", SQLITE_ERROR, Commit, SQLITE_ERROR, false, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    ASSERT_EQ(Exec(db.get(), "DELETE FROM t"), SQLITE_OK);
    const SqliteDatabase other = Open(path);
    ASSERT_EQ(Exec(other.get(), row.other), SQLITE_OK);
    ASSERT_EQ(Exec(db.get(), row.outer), SQLITE_OK);
    {
      SqliteTransaction transaction(db.get());
      EXPECT_EQ(transaction.Result(), row.begin);
      (void)Exec(db.get(), "INSERT INTO t VALUES(1)");
      EXPECT_EQ(transaction.IsOpen(), row.begin == SQLITE_OK);
      EXPECT_EQ(row.end(transaction), row.result);
      EXPECT_EQ(transaction.IsOpen(), row.open);
    }
    EXPECT_EQ(sqlite3_get_autocommit(db.get()), *row.outer ? 0 : 1);
    (void)Exec(other.get(), "ROLLBACK");
    ASSERT_EQ(*row.outer ? Exec(db.get(), "COMMIT") : SQLITE_OK, SQLITE_OK);
    const SqliteDatabase counter = Open(path);
    SqliteStatement count(counter.get(), "SELECT count(*) FROM t");
    ASSERT_EQ(count.Step(), SQLITE_ROW);
    EXPECT_EQ(count.Int(0), row.rows);
  }
}

}  // namespace
}  // namespace bitvane
