#pragma once
// Registry calls that tests make again and again: a value from a byte string, a key with
// a value made in one go; SQL run on a hive behind the registry's back.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "tests/support/temp_dir.h"

namespace bitvane::test {

inline ErrorCode SetBytes(RegHandle key, const char16_t* name, std::string_view bytes,
                          std::uint32_t type = REG_BINARY) {
  return RegSetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                     static_cast<std::uint32_t>(bytes.size()));
}

// Creates `subKey` below `parent` and stores value `name` in it (null: only the key).
inline ErrorCode StoreValue(RegHandle parent, const char16_t* subKey, const char16_t* name,
                            std::uint32_t type = REG_NONE, std::string_view bytes = {}) {
  RegHandle key = 0;
  ErrorCode error = RegCreateKey(parent, subKey, KEY_ALL_ACCESS, &key, nullptr);
  if (error == ERROR_SUCCESS && name) error = SetBytes(key, name, bytes, type);
  const ErrorCode closed = key ? RegCloseKey(key) : ERROR_SUCCESS;
  return error != ERROR_SUCCESS ? error : closed;
}

using Rows = std::vector<std::string>;

// Runs `sql` on a connection of its own to `path` (made when missing): the first column
// of every row as text, or {"(failed)"}. `keepLog` leaves a write-ahead log as it is.
inline Rows Sql(const std::string& path, const std::string& sql, bool keepLog = false) {
  Rows rows;
  sqlite3* db = nullptr;
  const auto add = [](void* to, int, char** values, char**) {
    static_cast<Rows*>(to)->emplace_back(values[0] ? values[0] : "");
    return 0;
  };
  const bool ok =
      sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
      (!keepLog || !sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr)) &&
      sqlite3_exec(db, sql.c_str(), add, &rows, nullptr) == SQLITE_OK;
  return sqlite3_close(db) == SQLITE_OK && ok ? rows : Rows{"(failed)"};
}

// A test whose registry lives in a hive of its own, `m_hive` in a fresh temporary folder
// (at `where` below it), never the user's; the path is let go again afterwards.
class TempHiveTest : public ::testing::Test {
 protected:
  explicit TempHiveTest(std::string where = "registry.sqlite3") : m_where(std::move(where)) {}
  void SetUp() override {
    ASSERT_TRUE(m_dir.Made());
    m_hive = m_dir.Join(m_where);
    SetRegistryHivePath(m_hive);
  }
  void TearDown() override { SetRegistryHivePath(std::string()); }

  TempDir m_dir;
  std::string m_hive;

 private:
  std::string m_where;
};

}  // namespace bitvane::test
