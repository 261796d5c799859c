#pragma once
// Registry calls that tests make again and again: a value from a byte string, a key with
// a value made in one go.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

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
